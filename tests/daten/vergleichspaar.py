#!/usr/bin/env python3
"""Writes an earlier state and two changed copies of an alarm table with
Python's sqlite3 module, each file with its own column order and declared
types, so a comparison meets what other programs write.

vergleichspaar.py SEED BASIS HIER DORT [--ident-text-ungewoehnlich]
"""
import random
import sqlite3
import sys

SPALTEN = ["Ident", "Type", "Acknowledge", "VarName", "BitNo", "Min", "Max", "Priority", "Group",
           "Helpindex", "Alarmtext", "Form", "Symbol", "X", "Y", "Sensor1", "Sensor2", "Fault"]


def typen(r, nummer_als_text):
    t = {s: r.choice(["INTEGER", "int", "", "NUMERIC"]) for s in SPALTEN}
    for s in ["VarName", "Min", "Max", "Alarmtext", "Form", "Symbol"]:
        t[s] = r.choice(["TEXT", "VARCHAR(40)", "", "TEXT COLLATE NOCASE"])
    t["X"] = r.choice(["INTEGER", "TEXT", "", "REAL"])
    t["Y"] = r.choice(["INTEGER", "TEXT", ""])
    t["Ident"] = "TEXT" if nummer_als_text else r.choice(["INTEGER", "INTEGER PRIMARY KEY", "", "BIGINT"])
    return t


def schreiben(pfad, zeilen, r, nummer_als_text, ungewoehnlich):
    t = typen(r, nummer_als_text)
    ordnung = SPALTEN[:]
    r.shuffle(ordnung)
    if "PRIMARY KEY" in t["Ident"] and len({z["Ident"] for z in zeilen}) != len(zeilen):
        t["Ident"] = "INTEGER"
    db = sqlite3.connect(pfad)
    db.execute("create table Alarmdefs (%s)" % ", ".join('"%s" %s' % (s, t[s]) for s in ordnung))
    for z in zeilen:
        werte = []
        for s in ordnung:
            w = z[s]
            if s == "Ident" and nummer_als_text:
                w = ("0%d" % w) if ungewoehnlich and w % 7 == 0 else str(w)
            werte.append(w)
        db.execute("insert into Alarmdefs values (%s)" % ",".join("?" * len(ordnung)), werte)
    db.commit()
    db.close()


def aendern(r, zeilen, naechste):
    neu = []
    for z in zeilen:
        z = dict(z)
        f = r.random()
        if f < 0.05:
            continue                                   # gone on this side
        if f < 0.15:
            z["X"] = (z["X"] or 0) + r.randint(1, 30)  # moved
        elif f < 0.20:
            z["Form"] = r.choice(["Kessel", "Turbine", "Pumpe", "kessel"])
        elif f < 0.24:
            z["Symbol"] = r.choice(["Pfeil.gif", "Standard\\Rot.gif", "PfeilLeer.gif"])
        elif f < 0.28:
            z["X"] = z["Y"] = None                     # position cleared
        elif f < 0.31:
            z["Alarmtext"] = z["Alarmtext"] + " geändert"
        elif f < 0.33:
            z["X"] = float(z["X"] or 0)                # the same number as a floating value
        elif f < 0.35:
            z["Y"] = "links"                           # a text in a number column
        elif f < 0.37:
            z["X"] = str(z["X"])                       # the number as text
        neu.append(z)
        if r.random() < 0.02:
            d = dict(z)
            d["Form"] = "Doppelt"
            neu.append(d)                              # a number twice
    for _ in range(r.randint(0, 5)):
        neu.append(dict(zeilen[0], Ident=naechste + r.randint(0, 20), Form="Neu"))
    r.shuffle(neu)
    return neu


def main():
    seed = int(sys.argv[1])
    ungewoehnlich = "--ident-text-ungewoehnlich" in sys.argv
    r = random.Random(seed)
    basis = []
    for i in range(1, 301):
        basis.append({"Ident": i * 3, "Type": 1, "Acknowledge": r.randint(0, 1), "VarName": "V%d" % i, "BitNo": r.randint(0, 15),
                      "Min": "0", "Max": "100", "Priority": r.randint(1, 5), "Group": 7, "Helpindex": 1,
                      "Alarmtext": r.choice(["Störung Kessel", "Übertemperatur", "Druck zu hoch"]),
                      "Form": r.choice(["Kessel", "Turbine", None]), "Symbol": r.choice(["Pfeil.gif", None]),
                      "X": r.choice([r.randint(0, 1200), None]), "Y": r.randint(0, 900), "Sensor1": 150, "Sensor2": 0,
                      "Fault": r.randint(0, 1)})
    schreiben(sys.argv[2], basis, r, r.random() < 0.5 or ungewoehnlich, ungewoehnlich)
    schreiben(sys.argv[3], aendern(r, basis, 1000), r, r.random() < 0.5 or ungewoehnlich, ungewoehnlich)
    schreiben(sys.argv[4], aendern(r, basis, 1000), r, r.random() < 0.5 or ungewoehnlich, ungewoehnlich)


main()
