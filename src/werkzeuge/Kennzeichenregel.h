#pragma once
// Which equipment an alarm belongs to: the tag in its VarName. Usually the
// leading part up to the first "_" or "." ("P201_ST.6" gives "P201"); a
// project with other names gives a regular expression instead, whose first
// capture group is the tag (the whole match when it has none).
#include <QRegularExpression>
#include <QString>

class Kennzeichenregel {
public:
    explicit Kennzeichenregel(const QString& muster = {});

    bool Gueltig() const { return m_fehler.isEmpty(); }
    QString Fehler() const { return m_fehler; }  // German, for an invalid pattern
    QString Muster() const { return m_muster; }

    // The tag of a VarName; empty when it has none.
    QString Kennzeichen(const QString& varName) const;

private:
    QString m_muster;
    QRegularExpression m_ausdruck;
    QString m_fehler;
};
