#pragma once
// The demo project of a million alarms that several areas measure on, made
// once per run, and the plain sqlite3 reading the figures are compared with.
#include <QByteArray>
#include <QString>
#include <string>
#include <utility>
#include <vector>

// 86 pictures give each about ten thousand of the alarms with a picture.
inline constexpr int kGrosseDemoAlarme = 1000000;
inline constexpr int kGrosseDemoBilder = 86;

// The project folder (its prefix lies in it); empty when it could not be made.
QString GrosseDemo(const QString& arbeitsOrdner);
// The picture whose alarm count is nearest to ten thousand, and its count.
std::pair<std::string, int> BildMitZehntausend(const QString& db);
// The alarm list of a picture the plain way: open, prepare, step all rows copying the texts, close.
std::size_t ListeDirekt(const QByteArray& datei, const std::string& form);
double Median(std::vector<double> werte);
// A demo project of that many alarms on six pictures, without drawn pictures; its database, empty on failure.
QString DemoDatenbank(const QString& ordner, int alarme);
