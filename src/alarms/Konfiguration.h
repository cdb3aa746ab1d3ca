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
// The Tavero.ini the program reads without --ini: the first that exists of
// program folder + "\Tavero\Tavero.ini" (a copy of the program with its own
// settings), the user's own (~/.config/tavero/Tavero.ini), the system-wide
// one (/etc/tavero/Tavero.ini). None there: the one beside the program, which
// the configuration-file dialog then asks for.
QString StandardIniPfad();
// Where the program looks, in that order.
QStringList IniOrte();
// The folder of the system-wide Tavero.ini ("/etc/tavero"; tests set another).
void SystemOrdnerSetzen(const QString& sOrdner);
bool Vorhanden(const QString& sPfad);  // file or folder
// Where file dialogs about this database start: the folder of the database
// file (its mapped form); the home folder for a server database or none.
QString DateiOrdner(const QString& sDatenbank);
}  // namespace Konfiguration
