#pragma once
// Reading the members of a zip file in memory (an XLSX workbook is one),
// through zlib. QuaZip is not used: it exports the minizip functions under
// their own names, and in one process with libxlsxwriter (our export, which
// uses the system's minizip) the export's calls land in QuaZip and crash.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

class ZipArchiv {
public:
    // false when the bytes are no zip file this reader understands (fehler says why).
    bool Oeffnen(const QByteArray& daten, QString* fehler);
    // The unpacked member, nullopt when there is none of that name or it cannot be unpacked.
    std::optional<QByteArray> Lesen(const QString& name, QString* fehler = nullptr) const;

private:
    struct Eintrag {
        quint16 methode = 0;
        quint32 gepackt = 0, groesse = 0, kopf = 0;
    };
    QByteArray m_daten;
    QHash<QString, Eintrag> m_eintraege;
};
