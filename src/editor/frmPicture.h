#pragma once
// The picture window "Pfeileditor": alarm picture with its arrows, the two
// scroll bars, the arrow display in the three modes and the arrow dragging.
// The arrows as data are a Pfeilliste, their writes go through the
// PfeilSteuerung, scrolling and zoom are the Bildansicht; the window ties them
// to its widgets and events. It asks nothing of the main window: it reads the
// values the shell hands down and says everything else through its signals.
#include <QCache>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "alarms/AlarmRecord.h"
#include "alarms/Zeilenstand.h"
#include "editor/PfeilBild.h"
#include "editor/Vorschlagsmarke.h"
#include <vector>

class AlarmAuswahl;
class Bildansicht;
class Bildflaeche;
class Fensterlage;
class PfeilSteuerung;
class Pfeilliste;
struct Hauptwerte;
class QMdiSubWindow;
class QScrollBar;
class QThreadPool;
class QTimer;

class frmPicture : public QWidget {
    Q_OBJECT
public:
    explicit frmPicture(Hauptwerte& werte, QWidget* parent = nullptr);
    ~frmPicture() override;
    // The load step; whoever makes the window calls it once its signals are connected.
    void Laden();

    // Loads the current alarm's picture and the arrows the display mode asks for.
    void PfeilActivate();
    // Frames the arrow element with that index.
    void FocusRect(std::int16_t AktImgPfeilIndex);
    // Scrolls the focused arrow into the middle of the view, as far as the ranges allow.
    void AnsichtZentrieren();

    // Controls, in the order they are created.
    QWidget* picBlende = nullptr;
    QScrollBar* Bildlaufvertikal = nullptr;
    QScrollBar* BildlaufHorizontal = nullptr;
    Bildflaeche* Formbox = nullptr;  // holds shpFocus and the imgPfeil elements

    std::int16_t mAktPfeilIndex = 0;
    float mGriffX = 0;
    float mGriffY = 0;
    std::optional<AlarmRecord> mAktAlarm;

    // The arrow elements; element 0 is the hidden template.
    int PfeilAnzahl() const;
    const PfeilBild& imgPfeil(int index) const;
    QRect shpFocus() const;
    bool shpFocusVisible() const;
    // Loads a symbol file (Windows form) into an element; one that cannot be
    // loaded gets a visible placeholder. Returns whether the file was loaded.
    bool PfeilBildLaden(int index, const QString& sWinPfad);
    void PfeilBeschriften(int index, const QString& tag, const QString& toolTip, const QString& ident,
                          const QString& alarmtext);
    // Loads an alarm picture (Windows form) into Formbox; a placeholder when it cannot be loaded.
    bool BildLaden(const QString& sWinPfad);
    // Pictures of at least so many pixels are decoded on a worker (the bench
    // raises it for the figure of a decode on the window's thread).
    static inline qint64 BildImHintergrundAb = 4'000'000;
    // Whether the picture shown is still being decoded.
    bool BildImLaden() const;
    // Forgets the pictures and symbols read before (the bench, for a pick as
    // the window did it before it kept them).
    void BilderVergessen() {
        m_Bilder.clear();
        m_Symbole.clear();
    }
    bool BildIstPlatzhalter() const { return m_BildPlatzhalter; }
    // While a pick loads its picture the arrows shown still belong to the alarm before.
    bool Bildwechsel() const { return m_Wechsel; }
    // Redraws the picture area after its picture changed; the ranges follow its size.
    void BildNeuZeichnen();
    // The picture name the window shows (empty: none of an alarm).
    QString BildForm() const { return m_BildForm; }
    void setBildForm(const QString& form);

    // Shows nothing that could be written into a row: no arrows, and instead of
    // the picture a note saying why (without one, the design picture).
    void Leeren(const QString& grund = {});
    // Rows hold new values now: their arrows follow; an arrow whose alarm has
    // gone to another picture is taken away.
    void ZeilenAktualisieren(const QList<Zeilenstand>& staende);
    // An alarm without a picture that is given one by the picture menu gets its
    // arrow on the picture shown, framed; returns its element.
    int PfeilFuerAlarmOhneBild(const AlarmRecord& alarm);
    // Puts an arrow back to what its row holds, after a write that did not go through.
    void PfeilZuruecksetzen(int index);
    // The proposed places of the picture shown (replacing those shown before).
    void VorschlaegeZeigen(const std::vector<Vorschlagsmarke>& marken);

    // The arrows as data, the one road of their writes, the view.
    Pfeilliste& Pfeile() { return *m_Pfeile; }
    PfeilSteuerung* Steuerung() const { return m_Steuerung; }
    Bildansicht* Ansicht() const { return m_Ansicht; }
    // Shows a picture of the picture folder (form: its name, datei: its file).
    void BildZeigen(const QString& form, const QString& datei);

    // Zoom of the view, 25 % to 800 %; positions stay picture pixels. The point
    // of the picture under the anchor (window coordinates) stays where it is.
    double Zoom() const;
    void ZoomSetzen(double zoom, const QPoint& anker);
    // One zoom step in or out; without an anchor, on the framed arrow.
    void ZoomSchritt(int richtung, std::optional<QPoint> anker = std::nullopt);
    // The zoom at which the whole picture fits the view (Ctrl+9).
    void Einpassen();
    // Each arrow's alarm number beside it; the choice is kept in the settings.
    void NummernZeigen(bool an);
    bool NummernSichtbar() const;
    static bool NummernGemerkt();
    static void NummernMerken(bool an);
    // The framed arrow's place on the screen, as far as it is in view (empty: none).
    QRect FokusGlobal() const;
    // The display mode changed: the picture shows it at once.
    void ModusAnwenden();
    // An arrow moved by keys and not written yet is written now.
    void AusstehendesSchreiben();
    // Arrows built per turn of the event loop in the all-arrows mode: a picture
    // of ten thousand goes up in parts, so no turn is longer than a frame.
    // Raised by the bench for the figure of the build in one go.
    static inline int AufbauTeil = 1000;
    // The part built at once with the picked arrow; the rest follow per turn.
    static inline int ErsterAufbauTeil = 250;
    // Later parts also end once they took so long (a loaded machine).
    static inline int AufbauTeilMs = 4;
    // Cleared arrows beyond so many are freed on a worker.
    static inline std::size_t FreigebenAb = 500;
    // Whether arrows of the picture shown are still waiting to be built.
    bool PfeileImAufbau() const { return m_AufbauNaechster > 0; }
    // Picture decoded and every arrow built.
    bool BildFensterFertig() const { return !PfeileImAufbau() && !BildImLaden(); }
    // How long the keys must rest before an arrow moved by them is written.
    static constexpr int SchubsenRuheMs = 500;
    // How often the view scrolls on while a dragged arrow rests near an edge.
    static constexpr int AutoBildlaufMs = 50;

    // Mouse events as the arrow images and the picture box report them:
    // Button 1 left, 2 right (summed when several are held); X, Y in twips.
    void imgPfeil_MouseDown(std::int16_t Index, int Button, int Shift, double X, double Y,
                            const QPoint& globalPos = {});
    void imgPfeil_MouseMove(std::int16_t Index, int Button, int Shift, double X, double Y);
    void imgPfeil_MouseUp(std::int16_t Index, int Button, int Shift, double X, double Y);
    void Formbox_MouseDown(int Button, int Shift, double X, double Y, const QPoint& globalPos = {});
    void BildlaufHorizontal_Change();
    void Bildlaufvertikal_Change();

    // Where the window stands: by the layout rules at each activation, or as the user left it.
    Fensterlage* Lage();
    // The frame's place by the activation rule, in pixels of the MDI area.
    QRect AktivierungsPlatz() const;

    // The design-time picture, shown until the first alarm picture is loaded.
    static QPixmap Entwurfsbild();

signals:
    // Another picture is shown (empty: none of an alarm).
    void BildGezeigt(const QString& form);
    void VorschlagVerschoben(const QString& ident, QPoint pos);
    void VorschlagAnnehmen(const QString& ident);
    // What the window has to say; the shell shows it in the status bar.
    void StatusText(int panel, const QString& text);
    void StatusMeldung(const QString& text, const QString& detail);
    // The window became the one the user works in (the tool bar's "Editor").
    void Aktiv();
    // A double click on an arrow: that alarm is to be picked.
    void AlarmAnzeigen(const QString& ident);
    // A right click in the single-arrow mode: the menus "Pfeile" and "Alarm".
    void PfeilMenuZeigen(const QPoint& globalPos);
    void AlarmMenuZeigen(const QPoint& globalPos);
    // A picture was chosen: the window is to be shown.
    void Zeigen();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void PfeilSchreiben(int index, bool bewegt);
    void ZiehenAbbrechen();
    void Schubsen(int dx, int dy);
    void AutoBildlaufWeiter();
    void PfeilLaden(const AlarmRecord& record);
    void PfeileLeeren();
    // One part of the arrows still waiting; aufbau names the build it belongs
    // to, so a newer pick or a cleared picture stops an older build.
    void AufbauWeiter(int aufbau, int teil, bool nachZeit = false);
    // The arrows still waiting are built now (before a mode that looks at all of them).
    void AufbauAbschliessen();
    void ToolTipNeu(int index);
    void Ziehschritt(int index, double X, double Y);
    void LageMelden(const PfeilBild& a);
    QPixmap SymbolHolen(const QString& sWinPfad, bool* geladen);
    PfeilBild& Element(int index);
    AlarmAuswahl* Komponente() const;

    QPixmap SymbolFuer(const QString& symbol, bool* geladen);

    Hauptwerte& m_Werte;
    std::unique_ptr<Pfeilliste> m_Pfeile;
    PfeilSteuerung* m_Steuerung = nullptr;
    Bildansicht* m_Ansicht = nullptr;
    void BildAnkommen(QImage bild, const QString& schluessel, const QString& sWinPfad);
    struct Symbol {
        QPixmap bild;
        QString stempel;  // the file's size and times when read
        int aktivierung = 0;  // the pick that last looked at the file
    };
    QHash<QString, Symbol> m_Symbole;  // symbol files, looked at again by each pick
    // Pictures decoded lately, by file, size and times; the cost in KiB.
    QCache<QString, QPixmap> m_Bilder{160 * 1024};
    QThreadPool* m_Lader = nullptr;  // one worker decodes large pictures
    int m_BildLauf = 0;              // counts the picture loads; an older decode is dropped
    QString m_BildForm;
    int m_Aktivierung = 0;       // counts the calls of PfeilActivate
    int m_Aufbau = 0;            // counts the arrow builds; a part of an older one does nothing
    int m_AufbauNaechster = 0;   // the next element the build looks at (0: none waiting)
    bool m_Wechsel = false;      // a pick is loading its picture; the arrows shown are the old alarm's
    QPoint m_DruckStelle;        // where the pressed arrow stood when the left button went down
    bool m_ZiehenAbgebrochen = false;
    QPoint m_SchubsStart;
    QTimer* m_SchubsUhr = nullptr;
    QPointer<QMdiSubWindow> m_Rahmen;
    bool m_ImLaden = false;
    bool m_Platziert = false;
    bool m_BildPlatzhalter = false;
};
