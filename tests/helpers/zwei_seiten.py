# Two sides of a comparison made by Python's sqlite3 module, without any of
# Tavero's code: this side (argument 1) and the other side (argument 2), with
# a column order of their own; moved, cleared and set positions, other
# pictures and symbols, other texts, numbers on two rows, rows on one side only.
import random, sqlite3, sys
hier, dort = sys.argv[1], sys.argv[2]
r = random.Random(20261207)
def tabelle(pfad):
    c = sqlite3.connect(pfad)
    c.execute("create table Alarmdefs (Y integer, Symbol varchar(255), Sensor2 integer, Ident integer, Form varchar(255), "
              "Alarmtext varchar(255), X integer, Type integer, Acknowledge integer, VarName varchar(255), BitNo integer, "
              "Min varchar(255), Max varchar(255), Priority integer, \"Group\" integer, Helpindex integer, "
              "Sensor1 integer, Fault integer)")
    return c
zeilen = []
for i in range(6000):
    ident = 100000 + i * 3 if i % 997 else 100000 + (i - 1) * 3   # a few numbers on two rows
    form = r.choice(["Kläranlage", "Vorklärung", "Belebung 2", "Faulturm"]) if i % 50 else None
    pos = form is not None and i % 13 != 0
    zeilen.append([r.randrange(800) if pos else None, "Standard\\Pfeil%d.gif" % r.randrange(4), 0, ident, form,
                   "Störung %d" % i, r.randrange(1200) if pos else None, 1, 0, "V%d" % i, i % 16, "0", "100", 2, 7, i, 150, 1])
h = tabelle(hier)
h.executemany("insert into Alarmdefs values (%s)" % ",".join("?" * 18), zeilen)
h.commit()
for z in zeilen:
    k = r.randrange(100)
    if k < 10 and z[6] is not None:
        z[6] += r.randrange(1, 40); z[0] = max(0, z[0] - r.randrange(30))
    elif k < 13:
        z[4] = "Nachklärung"
    elif k < 15:
        z[1] = "Standard\\PfeilRot.gif"
    elif k < 17 and z[4] is not None:
        z[6], z[0] = 640, 480
    elif k < 19:
        z[6] = z[0] = None
    elif k < 21:
        z[5] = "anderer Text"
d = tabelle(dort)
d.executemany("insert into Alarmdefs values (%s)" % ",".join("?" * 18), [z for j, z in enumerate(zeilen) if j % 701])
d.execute("insert into Alarmdefs (Ident, Form, X, Y) values (9999999, 'Kläranlage', 1, 1)")
d.commit()
