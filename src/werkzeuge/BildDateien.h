#pragma once
// The picture and symbol files the alarms name, each looked at once however
// many alarms name it: whether it is there and, for a bitmap, its size from
// the file's header alone.
#include <QHash>
#include <QSize>
#include <QString>
#include <optional>

class BildDateien {
public:
    BildDateien(const QString& bilderPath, const QString& symbolPath);

    struct Bitmap {
        QString pfad;                 // Windows form, as the user knows it
        bool vorhanden = false;       // found under exactly that name, letter case included
        std::optional<QSize> groesse; // empty when the file is no readable BMP
    };
    // The bitmap of picture N: bilderPath\N\N.bmp.
    const Bitmap& Bild(const QString& form);
    // SymbolPath\<file name>.
    bool SymbolVorhanden(const QString& dateiName);
    // Whether the symbol file there is a picture that can be read whole (see Lesbar).
    bool SymbolLesbar(const QString& dateiName);
    QString SymbolPfad(const QString& dateiName) const;
    int Nachgesehen() const { return m_nachgesehen; }  // distinct files looked at

    // Width and height from a BMP file's header (core or info header); a
    // negative height is a picture stored top-down.
    // A file that is no picture, or one cut short (a BMP without all its
    // pixels, a GIF or PNG without its end), gives nullopt.
    static std::optional<QSize> BmpGroesse(const QString& pfad);
    // Whether the file is a BMP, GIF, PNG or JPEG picture that is there whole,
    // judged from its header and its end without decoding it.
    static bool Lesbar(const QString& pfad);

private:
    QString m_bilderPath;
    QString m_symbolPath;
    QHash<QString, Bitmap> m_bilder;
    QHash<QString, bool> m_symbole;
    QHash<QString, bool> m_symboleLesbar;
    int m_nachgesehen = 0;
};
