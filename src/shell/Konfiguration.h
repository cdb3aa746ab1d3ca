#pragma once
// Reading the lists and folders of Tavero.ini. Every read goes through the
// profile-file read with an empty default, so a missing file, section or key
// and an empty value all read as the empty text.
#include <QString>
#include <QStringList>

namespace Konfiguration {
// The numbered keys are 16-bit counters: never more entries than this.
inline constexpr int MaxEintraege = 32767;

QString Wert(const QString& sBereich, const QString& sEintrag, const QString& sIniPath);
// Keys 1<sEndung>, 2<sEndung>, ... of sBereich up to the first empty value;
// of each value only the part behind its last "\" is kept.
QStringList ListeLesen(const QString& sBereich, const QString& sEndung, const QString& sIniPath);
QStringList SymbolListeLesen(const QString& sIniPath);   // "Arrow", nSymbol
QStringList BilderListeLesen(const QString& sIniPath);   // "Picture", nPic
// Part behind the last "\" (the whole text when there is none).
QString NamensTeil(const QString& sWert);
// Caption of a picture without its extension: the last four characters go.
// A name of four characters or fewer has no extension to drop and stays whole,
// so no menu item is left without a caption.
QString OhneEndung(const QString& sName);
// The database of a chosen project: sPath + "\" + sName without its first
// character (the "|" of a registered project) + ".kvs".
QString DatenbankPfad(const QString& sPath, const QString& sName);
// Program folder + "\Tavero\Tavero.ini".
QString StandardIniPfad();
bool Vorhanden(const QString& sPfad);  // file or folder
}  // namespace Konfiguration
