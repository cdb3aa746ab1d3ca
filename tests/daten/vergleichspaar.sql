-- An earlier state and two changed copies of an alarm table, written by the
-- sqlite3 program alone. Run on the earlier state's file with the other two
-- attached as hier and dort, after
--   create temp table saat as select <number> as s, <rows> as n;
-- Each file has its own column order and declared types: the other side
-- keeps Ident as text, X as floating values and Y untyped; NULLs, a number
-- held by two rows on each side, rows on one side only.
create table main.Alarmdefs (Ident integer, Type int, Acknowledge int, VarName text, BitNo int, Min text, Max text,
    Priority int, "Group" int, Helpindex int, Alarmtext text, Form text, Symbol text, X int, Y int, Sensor1 int,
    Sensor2 int, Fault int);
create table hier.Alarmdefs (Symbol text, Form text, Ident integer, X int, Y int, Alarmtext text, Type int,
    Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, "Group" int, Helpindex int,
    Sensor1 int, Sensor2 int, Fault int);
create table dort.Alarmdefs (Fault int, Y, X real, Sensor2 int, Symbol varchar(80), Ident text, Form varchar(80),
    Alarmtext text, VarName text, Type int, Acknowledge int, BitNo int, Min, Max text, Priority text, "Group" int,
    Helpindex int, Sensor1 int);

create temp table z as
with recursive n(i) as (select 1 union all select i + 1 from n where i < (select n from saat))
select i, 1000 + 2 * i as ident,
       (i * 7919 + (select s from saat) * 104729) % 1000 as r1,
       (i * 104723 + (select s from saat) * 7919 + 500) % 1000 as r2,
       (i * 31 + (select s from saat) * 17) % 97 as q
from n;

create temp table b as
select i, ident, r1, r2, q,
       case when q < 5 then null else 'Bild ' || (q % 7) end as form,
       case q % 3 when 0 then 'Standard\Pfeil.gif' when 1 then 'Pfeil.gif' else null end as symbol,
       case when q % 11 = 0 then null else (i * 13) % 1200 end as x,
       case when q % 11 = 0 or q % 23 = 0 then null else (i * 17) % 900 end as y,
       'Störung ' || (i % 50) as text, 'V' || i as var
from z;

insert into main.Alarmdefs select ident, 1, i % 2, var, i % 16, '0', '100', 2, 7, 1, text, form, symbol, x, y, 150, 0, 1
    from b;
insert into main.Alarmdefs select ident, 1, 0, var, 0, '0', '100', 2, 7, 1, text, 'Doppelt', symbol, 1, 1, 150, 0, 1
    from b where i % 400 = 7;

-- this side: moved, other picture, Y cleared, other text, other symbol, gone
insert into hier.Alarmdefs (Symbol, Form, Ident, X, Y, Alarmtext, Type, Acknowledge, VarName, BitNo, Min, Max, Priority,
                            "Group", Helpindex, Sensor1, Sensor2, Fault)
select case when r1 between 100 and 109 then 'Standard\Rot.gif' else symbol end,
       case when r1 between 60 and 79 then 'Bild 9' else form end,
       ident,
       case when r1 < 60 and x is not null then x + 5 else x end,
       case when r1 between 80 and 89 then null else y end,
       case when r1 between 90 and 99 then text || ' (hier)' else text end,
       1, i % 2, var, i % 16, '0', '100', 2, 7, 1, 150, 0, 1
from b where r1 not between 110 and 114;
insert into hier.Alarmdefs (Ident, Form, Symbol, X, Y, Alarmtext) select ident, 'Zweimal', 'Pfeil.gif', 3, 4, text
    from b where i % 500 = 3;

-- the other side: moved (also by half a pixel), other picture, position
-- cleared or set, other symbol, other texts, gone, some changed as here;
-- the same numbers as other kinds of values (Min as a number, Priority as text)
insert into dort.Alarmdefs (Fault, Y, X, Sensor2, Symbol, Ident, Form, Alarmtext, VarName, Type, Acknowledge, BitNo,
                            Min, Max, Priority, "Group", Helpindex, Sensor1)
select 1,
       case when r2 between 140 and 149 then null
            when r2 between 150 and 159 and (x is null or y is null) then 480
            when r2 between 190 and 259 and r1 between 80 and 89 then null
            when i % 5 = 0 and y is not null then cast(y as text)
            else y end,
       case when r2 < 100 and x is not null then x + 7
            when r2 between 100 and 119 and x is not null then x + 0.5
            when r2 between 140 and 149 then null
            when r2 between 150 and 159 and (x is null or y is null) then 640
            when r2 between 190 and 259 and r1 < 60 and x is not null then x + 5
            else x end,
       0,
       case when r2 between 160 and 169 then 'Standard\Gruen.gif'
            when r2 between 190 and 259 and r1 between 100 and 109 then 'Standard\Rot.gif'
            else symbol end,
       cast(ident as text),
       case when r2 between 120 and 139 then 'Bild 8'
            when r2 between 190 and 259 and r1 between 60 and 79 then 'Bild 9'
            else form end,
       case when r2 between 170 and 179 then 'anders' else text end,
       case when r2 between 185 and 189 then var || 'b' else var end,
       1, i % 2, i % 16, 0, '100', '2', 7, 1, 150
from b where r2 not between 180 and 184;
insert into dort.Alarmdefs (Ident, Form, Symbol, X, Y) select cast(ident as text), 'Zweimal', 'Pfeil.gif', 5, 6
    from b where i % 300 = 11;
insert into dort.Alarmdefs (Ident, Form, Symbol, X, Y, Alarmtext)
select cast(2 * (select n from saat) + 1001 + 2 * i as text), 'Neu', 'Pfeil.gif', i, i, 'neu' from z where i <= 7;
