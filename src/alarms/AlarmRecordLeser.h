#pragma once
// Turns the rows of one query on Alarmdefs into alarm records. Texts that come
// again and again in a picture's rows (small numbers, the picture name, the
// symbol file names) are made once and shared by the records, which keeps
// reading ten thousand rows close to the cost of the database itself.
#include <QHash>
#include <QString>
#include <array>
#include <string>

#include "alarms/AlarmRecord.h"

class QSqlQuery;
class QVariant;
struct sqlite3_stmt;

class AlarmRecordLeser {
public:
    // spalten: the number of columns of the query's rows.
    explicit AlarmRecordLeser(int spalten);
    // The record of the query's current row: NULL as empty text, index 12 the
    // symbol's file name, index 18 empty.
    AlarmRecord Lesen(const QSqlQuery& q);
    // The same from a statement of the SQLite library stepped to a row.
    AlarmRecord Lesen(sqlite3_stmt* st);
    // One value as a record shows it (AlarmRecordBau::FeldText), small numbers shared.
    QString FeldText(int spalte, const QVariant& wert) const;

private:
    QString Zahl(qlonglong n) const;
    void SymbolKuerzen(QString& symbol);

    int m_spalten;
    const char16_t* m_zahlen;              // zero-terminated texts of small numbers, five places each
    QHash<QString, QString> m_dateiNamen;  // Symbol value -> its file name
    std::array<QString, AlarmFeld::Spalten> m_letzte;  // each column's text of the row before
    // The same as the library's bytes, and whether sharing still pays in that
    // column (a text that differs row after row is converted without comparing).
    std::array<std::string, AlarmFeld::Spalten> m_letzteRoh;
    std::array<int, AlarmFeld::Spalten> m_wechsel{};
    std::array<int, AlarmFeld::Spalten> m_gleich{};
};
