#pragma once
// Turns the rows of one query on Alarmdefs into alarm records. Texts that come
// again and again in a picture's rows (small numbers, the picture name, the
// symbol file names) are made once and shared by the records, which keeps
// reading ten thousand rows close to the cost of the database itself.
#include <QHash>
#include <QString>
#include <array>

#include "alarms/AlarmRecord.h"

class QSqlQuery;

class AlarmRecordLeser {
public:
    // spalten: the number of columns of the query's rows.
    explicit AlarmRecordLeser(int spalten);
    // The record of the query's current row: NULL as empty text, index 12 the
    // symbol's file name, index 18 empty.
    AlarmRecord Lesen(const QSqlQuery& q);

private:
    QString Zahl(qlonglong n) const;

    int m_spalten;
    const char16_t* m_zahlen;              // zero-terminated texts of small numbers, five places each
    QHash<QString, QString> m_dateiNamen;  // Symbol value -> its file name
    std::array<QString, AlarmFeld::Spalten> m_letzte;  // each column's text of the row before
};
