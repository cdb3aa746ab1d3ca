#include "alarms/Wahlablauf.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "platform/WinUmgebung.h"

Wahlablauf::Wahlablauf(QObject* parent) : QObject(parent) {}

void Wahlablauf::setModell(AlarmdefsModell* modell) {
    Verwerfen();
    for (const QMetaObject::Connection& c : std::as_const(m_verbindungen))
        disconnect(c);
    m_verbindungen.clear();
    m_gewaehlt.reset();
    m_modell = modell;
    if (!modell)
        return;
    m_verbindungen << connect(modell->Dienst(), &Datendienst::Beantwortet, this, &Wahlablauf::ListeBeantwortet);
    // A pick waiting for its row goes on when the row comes, or is refused when it cannot be read.
    m_verbindungen << connect(modell, &QAbstractItemModel::dataChanged, this, &Wahlablauf::ZeileGekommen);
    m_verbindungen << connect(modell, &QAbstractItemModel::modelReset, this, &Wahlablauf::ZeileGekommen);
    m_verbindungen << connect(modell, &AlarmdefsModell::ZeilenUnlesbar, this, &Wahlablauf::ZeilenUnlesbar);
    m_verbindungen << connect(modell, &AlarmdefsModell::ZeileGefunden, this,
                              [this](qlonglong nummer, int zeile) { Gefunden(nummer, zeile); });
}

void Wahlablauf::Beginnen(int zeile, const QString& bilderPath) {
    // A failing step is skipped: the picture window is shown all the same, but
    // with nothing on it that could be written into another row than this one.
    Verwerfen();
    std::optional<QString> grund;
    QString detail;
    // The row and the list are waited for together, less than a frame in all.
    m_frist = QDeadlineTimer(WartenMs);
    m_beginnt = true;
    const auto fertig = qScopeGuard([this] { m_beginnt = false; });
    try {
        if (m_modell && zeile >= 0) {
            // The click names its row by key: a row whose page is still on its
            // way is taken when it comes (wherever a new order put it
            // meanwhile); a pick never takes the empty placeholder for the alarm.
            const quint64 nr = ++m_folge;
            m_offen = Offen{nr, 0, {}, m_modell->Schluessel(zeile), zeile, bilderPath};
            const bool da = m_modell->ZeileLesen(zeile, Takt::Rest(m_frist));
            // A row that comes during this wait is told by the model at once,
            // and ZeileGekommen has taken the pick on (and maybe finished it):
            // it is not taken a second time.
            if (!m_offen || m_offen->nr != nr || m_offen->ticket)
                return;
            if (da)
                grund = ZeileUebernehmen(zeile);
        }
    } catch (const AlarmdefsFehler& e) {
        m_offen.reset();
        grund = e.Text() + QStringLiteral(" Kein Alarm gewählt.");
        detail = e.Detail();
    }
    Fortsetzen(grund, detail, m_frist);
}

std::optional<QString> Wahlablauf::ZeileUebernehmen(int zeile) {
    const QString ident = m_modell->index(zeile, AlarmFeld::Ident).data().toString();
    const QString form = m_modell->index(zeile, AlarmFeld::Form).data().toString();
    // A server's column of fixed width pads the name with blanks; no folder
    // of pictures ends in one (Windows drops them from a folder's name).
    QString bild = form;
    while (bild.endsWith(QLatin1Char(' ')))
        bild.chop(1);
    const QString bilderPath = m_offen->bilderPath;
    std::optional<QString> grund;
    if (form.isEmpty())
        grund = QStringLiteral("Alarm %1 hat kein Bild (Form ist leer); kein Pfeil zu bearbeiten.").arg(ident);
    else if (!BildDateiGueltig(bilderPath, bild))
        grund = QStringLiteral("Für Alarm %1 fehlt das Bild %2; kein Pfeil zu bearbeiten.")
                    .arg(ident, bilderPath + QLatin1Char('\\') + bild + QLatin1Char('\\') + bild + QStringLiteral(".bmp"));
    if (grund) {
        m_offen.reset();
        return grund;
    }
    AlarmRecord satz(AlarmFeld::Anzahl);
    for (int i = 0; i < m_modell->columnCount() && i < AlarmFeld::Spalten; ++i)
        satz[i] = m_modell->index(zeile, i).data().toString();
    satz[AlarmFeld::Symbol] = AlarmRecordBau::SymbolDateiName(satz[AlarmFeld::Symbol]);
    // The picture's alarms are read by the data service, after every write asked before.
    m_offen->satz = satz;
    m_offen->zeile = zeile;
    m_offen->ticket = m_modell->Dienst()->AlarmListeLesen(form);
    return std::nullopt;
}

void Wahlablauf::Fortsetzen(std::optional<QString> grund, const QString& detail, const QDeadlineTimer& frist) {
    if (!m_offen) {
        emit Beendet(grund, detail);
        return;
    }
    // A list that comes within what is left of the pick's wait finishes the
    // pick now; a longer one (a large picture, a locked file, a busy worker)
    // finishes it when its answer comes, as does a row whose page is still on
    // its way.
    if (m_offen->ticket && m_modell) {
        Datendienst* dienst = m_modell->Dienst();
        const int warten = Takt::Rest(frist);
        if (const auto a = GrosseListeAbwarten ? dienst->Abwarten(m_offen->ticket, warten)
                                               : dienst->AbwartenKlein(m_offen->ticket, warten))
            ListeBeantwortet(*a);
    }
}

void Wahlablauf::ZeileGekommen() {
    if (!m_offen || m_offen->ticket || !m_modell)
        return;
    const int zeile = m_modell->ZeileMitSchluessel(m_offen->schluessel, m_offen->zeile);
    if (zeile < 0) {
        const int war = m_offen->zeile;
        m_offen.reset();
        emit Beendet(QStringLiteral("Die Zeile %1 ist nicht mehr in der Liste; kein Alarm gewählt.").arg(war + 1), {});
        return;
    }
    m_offen->zeile = zeile;
    // A new order may have put the row on a page nobody asked for yet: the pick asks for it.
    if (!m_modell->ZeileGeladen(zeile)) {
        m_modell->ZeileLesen(zeile, 0);
        return;
    }
    // Come while Beginnen still waits: the list gets what is left of its wait.
    const QDeadlineTimer frist = Frist();
    std::optional<QString> grund;
    QString detail;
    try {
        grund = ZeileUebernehmen(zeile);
    } catch (const AlarmdefsFehler& e) {
        m_offen.reset();
        grund = e.Text() + QStringLiteral(" Kein Alarm gewählt.");
        detail = e.Detail();
    }
    Fortsetzen(grund, detail, frist);
}

void Wahlablauf::ZeilenUnlesbar(int von, int bis, const QString& grund) {
    if (!m_offen || m_offen->ticket || m_offen->zeile < von || m_offen->zeile > bis)
        return;
    const int zeile = m_offen->zeile;
    m_offen.reset();
    emit Beendet(QStringLiteral("Die Zeile %1 lässt sich nicht lesen: %2 Kein Alarm gewählt.").arg(zeile + 1).arg(grund), {});
}

void Wahlablauf::ListeBeantwortet(const Datendienst::Antwort& a) {
    // The answer to a pick given up (a newer click, another database) is dropped.
    if (!m_offen || a.ticket != m_offen->ticket)
        return;
    // Nothing of the pick is left on its way before anyone is told: whoever
    // hears of the new alarm finds no pick waiting.
    const Offen w = std::move(*m_offen);
    m_offen.reset();
    // A list that cannot be read stops the pick: the picture would otherwise
    // show, and write back, the arrows of the previous one.
    if (!a.ok) {
        emit Beendet(a.fehler.databaseText() + QStringLiteral(" Kein Alarm gewählt."), a.fehler.driverText());
        return;
    }
    m_gewaehlt = Gewaehlte{w.schluessel, w.satz.value(AlarmFeld::Ident)};
    emit Gewaehlt(w.satz, a.liste);
}

void Wahlablauf::Verwerfen() {
    m_halten.reset();
    if (!m_offen)
        return;
    if (m_modell && m_offen->ticket)
        m_modell->Dienst()->Abbrechen(m_offen->ticket);
    m_offen.reset();
}

QString Wahlablauf::UnterwegsFuer() const { return m_offen ? m_offen->satz.value(AlarmFeld::Ident) : QString(); }

void Wahlablauf::Abgleichen(const QList<Zeilenstand>& staende) {
    if (m_offen)
        Zeilenstand::Anwenden(staende, Zeilenstand::NachNummer(staende), m_offen->satz);
}

void Wahlablauf::Halten(const std::optional<AlarmRecord>& aktuell, bool suchen) {
    // A pick still on its way keeps the row it was clicked on.
    const std::optional<AlarmRecord> alarm = m_offen ? std::optional<AlarmRecord>(m_offen->satz) : aktuell;
    const QString ident = alarm ? alarm->value(AlarmFeld::Ident) : QString();
    const auto nummer = AlarmdefsZugriff::Alarmnummer(ident);
    m_halten.reset();
    if (!m_modell)
        return;
    if (m_offen && !m_offen->ticket) {
        m_offen->zeile = m_modell->ZeileMitSchluessel(m_offen->schluessel, m_offen->zeile);
        if (m_offen->zeile >= 0)
            emit ZeileHalten(m_offen->zeile);
        return;
    }
    if (!nummer || !suchen)
        return;
    // The row picked (or being picked) by its key, while it still carries the
    // number: another row of the same number is not the one the user chose.
    qint64 schluessel = -1;
    if (m_offen)
        schluessel = m_offen->schluessel;
    else if (m_gewaehlt && m_gewaehlt->ident == ident)
        schluessel = m_gewaehlt->schluessel;
    if (schluessel >= 0 && !m_modell->QuelleUnterwegs()) {
        const int zeile = m_modell->ZeileMitSchluessel(schluessel, -1);
        if (zeile >= 0) {
            emit ZeileHalten(zeile);
            return;
        }
    }
    // Not counted yet: looked for on the worker; a row found within a frame
    // is selected before this returns, one found later when it comes.
    m_halten = *nummer;
    m_modell->ZeileSuchen(*nummer, Takt::Ms);
}

void Wahlablauf::Gefunden(qlonglong nummer, int zeile) {
    // The picked alarm's row after a sort or a filter change, unless another alarm was picked meanwhile.
    if (!m_halten || *m_halten != nummer)
        return;
    m_halten.reset();
    if (m_offen && AlarmdefsZugriff::Alarmnummer(m_offen->satz.value(AlarmFeld::Ident)) != nummer)
        return;
    if (zeile >= 0)
        emit ZeileHalten(zeile);
}

bool Wahlablauf::BildDateiGueltig(const QString& bilderPath, const QString& form) {
    if (form.isEmpty())
        return false;
    const QString datei = form + QStringLiteral(".bmp");
    const QFileInfo info(QString::fromStdString(
        WinUmgebung::PfadAbbilden((bilderPath + QLatin1Char('\\') + form + QLatin1Char('\\') + datei).toStdString())));
    if (!info.isFile())
        return false;
    // The name found on disk must be exactly N.bmp, also where names ignore case.
    return QDir(info.absolutePath()).entryList({datei}, QDir::Files).contains(datei);
}
