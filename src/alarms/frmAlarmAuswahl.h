#pragma once
// The alarm selection window "Alarmauswahl": picture tree beside a grid bound
// to Alarmdefs. The contents come with the selection window's own work; this
// header fixes what the component and the main window use of it.
#include <QPointer>
#include <QWidget>

class AlarmAuswahl;

class frmAlarmAuswahl : public QWidget {
    Q_OBJECT
public:
    explicit frmAlarmAuswahl(QWidget* parent = nullptr);
    ~frmAlarmAuswahl() override;

    // The owning component; set by AuswahlShow before the window is shown,
    // cleared when the window unloads.
    QPointer<AlarmAuswahl> mgobjAlarmAuswahl;

    // Shows the window modeless (as an MDI child when there is a main window);
    // the first call runs the load step.
    void Anzeigen();
    void Verbergen();
    // The bound view shows its current record again (after a write-back).
    void AktuellenDatensatzZeigen();
};
