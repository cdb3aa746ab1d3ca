#pragma once
// The other database's arrows on the picture, while a comparison is open:
// pale, with a dashed outline, each joined by a thin line to this side's arrow
// of the same alarm; conflicts in red. A worker blends them into a copy of the
// picture at the zoom shown, which the picture box then draws in place of the
// picture, beneath its own arrows: a repaint costs what the picture alone
// does. Every click goes through to the arrows, in every display mode; only a
// double click on a ghost is taken: it picks the alarm. A picture too large to
// copy (or still being decoded) gets the ghosts as a layer over the box instead,
// drawn on a worker too; a box too large for one layer gets one of the part in
// view and around it, and another when a part beyond it is exposed.
// A large set of ghosts is sorted by picture on a worker too: the ghosts shown
// stay until it is ready, and a set replaced meanwhile is dropped.
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Bildflaeche;
class frmPicture;

class Geisterpfeile : public QWidget {
    Q_OBJECT
public:
    struct Geist {
        QString ident;
        QString form;                 // the picture the other side puts the arrow on
        QPoint pos;                   // the other side's X/Y, picture pixels
        QString symbol;               // the other side's symbol file name
        std::optional<QPoint> hier;   // this side's arrow on the same picture, if any
        bool konflikt = false;
        QString text;                 // tool tip
    };
    using SymbolLader = std::function<QPixmap(const QString& symbol)>;
    // This side's arrows on the box: alarm number and place.
    using HierListe = std::vector<std::pair<QString, QPoint>>;

    // Lays itself over the picture box of the window and follows its picture.
    explicit Geisterpfeile(frmPicture* bild, SymbolLader lader = {});
    // Over a picture box alone (the picture named by FormSetzen).
    explicit Geisterpfeile(Bildflaeche* flaeche, SymbolLader lader = {});

    // Up to SofortHoechstens ghosts are taken at once; more are sorted by
    // picture on a worker and shown when ready (SatzUnterwegs until then).
    void Setzen(std::vector<Geist> geister);
    static constexpr std::size_t SofortHoechstens = 10000;
    bool SatzUnterwegs() const { return m_satzUnterwegs; }
    void FormSetzen(const QString& form);
    QString Form() const { return m_form; }
    // The ghosts of the picture shown.
    const std::vector<Geist>& Gezeigt() const;
    // The ghost at a point of the picture box (screen pixels at the zoom), empty when none.
    QString GeistAn(const QPoint& punkt) const;
    // Where a ghost lies on the picture box at the current zoom.
    QRect Rechteck(const Geist& g) const;

    static constexpr double Blass = 0.4;
    // The most pixels a blended copy of the picture may have (4 bytes each):
    // above it at the zoom the copy is made at 100 % and scaled as the
    // picture is; a picture above it at 100 % gets the layer over the box.
    static constexpr qint64 KopieHoechstens = 12'000'000;
    // The ghosts are blended into the picture (not laid over it).
    bool Eingeblendet() const;
    // The layer of the ghosts, picture and zoom now set is drawn and shown.
    bool EbeneBereit() const { return !m_satzUnterwegs && (m_ebeneGueltig || Gezeigt().empty()); }

    // The ghosts of one picture, and of them the alarms joined to this side's arrow.
    struct Gruppe {
        std::vector<Geist> geister;
        QSet<QString> verbunden;
    };
    using Gruppen = QHash<QString, std::shared_ptr<const Gruppe>>;
    // Sorts a set by picture; plain data, so a worker can do it.
    static Gruppen Gruppieren(std::vector<Geist> geister);

signals:
    void GeistDoppelklick(const QString& ident);
    // A set sorted on a worker is taken now.
    void SatzUebernommen();
    // A layer drawn on the worker is on the screen now.
    void EbeneGezeichnet();

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void Anhaengen();
    void Uebernehmen(Gruppen gruppen);
    void EbeneVerwerfen();
    // Draws the layer of the picture shown on a worker; what it needs is
    // copied or shared, never read from this widget there.
    void EbeneBestellen();
    void EbeneAngekommen(quint64 generation, const QImage& ebene, const QPoint& ab, const QRect& bereich, double massstab,
                         qint64 bild);
    // The part of the box a layer over it is drawn for: all of it, or on a box
    // too large for that the part in view (and the one last exposed) with a margin.
    QRect Bereich() const;
    // Before the box paints: a copy made for another picture, zoom or size is
    // stale; bestellen orders the one now needed.
    void Pruefen(bool bestellen);
    void PfeilGeaendert(int index);
    // The places of this side's arrows now on the box, by alarm number.
    HierListe EigenePfeile() const;
    void IdenteMerken();
    const QPixmap& BlassesBild(const QString& symbol);
    // The pale symbols of these ghosts as images, which a worker may draw.
    QHash<QString, QImage> BlasseBilder(const std::vector<Geist>& geister);

    QPointer<Bildflaeche> m_flaeche;
    SymbolLader m_lader;
    QString m_form;
    // Shared with a worker drawing them: never changed once set, only replaced.
    Gruppen m_jeForm;
    quint64 m_satz = 0;           // the number of the last set given; an older one sorted on a worker is dropped
    bool m_satzUnterwegs = false;
    QHash<QString, QPixmap> m_bilder;
    QHash<QString, QImage> m_blassBilder;
    // The layer of the whole picture, kept until the ghosts, the picture or
    // the zoom change; a repaint only copies it. A new one is drawn on a
    // worker: meanwhile the previous ghosts stay (none after another picture
    // or zoom), and a layer made for an older state is dropped by its number.
    QImage m_ebene;
    QPoint m_ebeneAb;
    QRect m_ebeneBereich;         // the part of the box the kept layer was drawn for
    QRect m_freigelegt;           // the part the last repaint exposed
    bool m_ebeneGueltig = false;
    bool m_ebeneZeigen = false;   // the kept layer still fits the picture and zoom
    quint64 m_generation = 0;
    bool m_bestellt = false;      // a worker draws one now
    double m_ebeneZoom = 0;
    QSize m_ebeneGroesse;
    qint64 m_ebeneBild = 0;       // the picture pixels the kept copy was made of
    QSet<QString> m_identeGezeigt;  // the alarms of the picture shown whose ghost is joined to this side's arrow
};
