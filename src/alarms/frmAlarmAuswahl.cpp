// Placeholder until the selection window's own work lands.
#include "alarms/frmAlarmAuswahl.h"

frmAlarmAuswahl::frmAlarmAuswahl(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Alarmauswahl")); }
frmAlarmAuswahl::~frmAlarmAuswahl() = default;
void frmAlarmAuswahl::Anzeigen() { show(); }
void frmAlarmAuswahl::Verbergen() { hide(); }
void frmAlarmAuswahl::AktuellenDatensatzZeigen() {}
