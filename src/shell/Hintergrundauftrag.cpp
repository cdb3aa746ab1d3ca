#include "shell/Hintergrundauftrag.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QKeyEvent>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include "alarms/AlarmdefsZugriff.h"
#include "werkzeuge/DateiFehler.h"

namespace {
int g_laufende = 0;

QMainWindow* HauptfensterVon(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* m = qobject_cast<QMainWindow*>(w))
            return m;
    return nullptr;
}
}  // namespace

Hintergrundauftrag::Hintergrundauftrag(const QString& titel, QWidget* fenster, Arbeit arbeit)
    : QObject(fenster), m_titel(titel), m_fenster(fenster), m_arbeit(std::move(arbeit)) {}

Hintergrundauftrag::~Hintergrundauftrag() {
    if (m_thread) {
        // The window goes: the work stops and its clean-up runs before the job is gone.
        m_lauf.Abbrechen();
        m_thread->wait();
        delete m_thread;
    }
    if (m_laeuft)
        --g_laufende;
    for (const QPointer<QWidget>& f : std::as_const(m_escFenster))
        if (f)
            f->removeEventFilter(this);
    delete m_anzeige.data();
}

int Hintergrundauftrag::Laufende() { return g_laufende; }

void Hintergrundauftrag::Starten() {
    if (m_thread)
        return;
    m_laeuft = true;
    ++g_laufende;
    m_thread = QThread::create([this] {
        const Auftragslauf::Rahmen rahmen(&m_lauf);
        try {
            m_arbeit(m_lauf);
            m_ausgang = Ausgang::Fertig;
        } catch (const Auftragsabbruch&) {
            m_ausgang = Ausgang::Abgebrochen;
        } catch (...) {
            // handed to the user-interface thread, which says it in German
            m_fehler = std::current_exception();
            m_ausgang = Ausgang::Fehler;
        }
    });
    m_thread->setObjectName(m_titel);
    // finished comes from the worker; this object lives on the user-interface thread: queued.
    connect(m_thread, &QThread::finished, this, &Hintergrundauftrag::Ende);
    Anzeigen();
    m_thread->start();
}

void Hintergrundauftrag::Abbrechen() {
    m_lauf.Abbrechen();
    if (!m_anzeige || !m_laeuft)
        return;
    m_text->setText(m_titel + QStringLiteral(": wird abgebrochen …"));
    m_abbrechen->setEnabled(false);
}

void Hintergrundauftrag::Anzeigen() {
    if (!m_fenster)
        return;
    if (QMainWindow* haupt = HauptfensterVon(m_fenster)) {
        m_anzeige = new QWidget;
        m_anzeige->setObjectName(QStringLiteral("Hintergrundauftrag"));
        auto* ly = new QHBoxLayout(m_anzeige);
        ly->setContentsMargins(0, 0, 0, 0);
        m_text = new QLabel(m_titel, m_anzeige);
        m_balken = new QProgressBar(m_anzeige);
        m_balken->setObjectName(QStringLiteral("Auftragsfortschritt"));
        m_balken->setRange(0, 0);  // moving until the work says how far it is
        m_balken->setMaximumWidth(160);
        m_balken->setMaximumHeight(16);
        m_abbrechen = new QPushButton(QStringLiteral("Abbrechen"), m_anzeige);
        m_abbrechen->setObjectName(QStringLiteral("Auftragabbrechen"));
        m_abbrechen->setToolTip(QStringLiteral("%1 abbrechen (Esc); nichts wird geschrieben").arg(m_titel));
        ly->addWidget(m_text);
        ly->addWidget(m_balken);
        ly->addWidget(m_abbrechen);
        connect(m_abbrechen, &QPushButton::clicked, this, &Hintergrundauftrag::Abbrechen);
        // The bar keeps its height, that of a line of text: a taller one would
        // lay out and paint the whole main window again (a grid of a million
        // rows, the picture) as the job starts, and once more as it ends.
        const int hoehe = m_text->sizeHint().height();
        m_abbrechen->setFlat(true);
        m_abbrechen->setMaximumHeight(hoehe);
        m_balken->setMaximumHeight(std::min(16, hoehe));
        m_anzeige->setMaximumHeight(hoehe);
        haupt->statusBar()->insertPermanentWidget(0, m_anzeige);
    }
    // Esc cancels in the window that started the job and in the main window;
    // a key a widget takes for itself (Esc during a drag, in a cell being
    // edited) never reaches them. With two jobs, Esc stops the newer first.
    m_escFenster << m_fenster->window();
    if (QMainWindow* haupt = HauptfensterVon(m_fenster); haupt && haupt != m_fenster->window())
        m_escFenster << haupt;
    for (const QPointer<QWidget>& f : std::as_const(m_escFenster))
        f->installEventFilter(this);
    m_uhr = new QTimer(this);
    m_uhr->setInterval(100);
    connect(m_uhr, &QTimer::timeout, this, [this] {
        if (!m_anzeige || m_lauf.Abgebrochen())
            return;
        const qint64 getan = m_lauf.Getan(), gesamt = m_lauf.Gesamt();
        if (gesamt > 0) {
            m_balken->setRange(0, 1000);
            m_balken->setValue(static_cast<int>(std::min<qint64>(1000, getan * 1000 / gesamt)));
        }
        if (getan > 0)
            m_text->setText(QStringLiteral("%1: %2 Zeilen").arg(m_titel, QLocale().toString(getan)));
    });
    m_uhr->start();
}

void Hintergrundauftrag::Ende() {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_laeuft = false;
    --g_laufende;
    for (const QPointer<QWidget>& f : std::as_const(m_escFenster))
        if (f)
            f->removeEventFilter(this);
    m_escFenster.clear();
    if (m_uhr)
        m_uhr->stop();
    delete m_anzeige.data();
    m_text = nullptr;
    m_balken = nullptr;
    m_abbrechen = nullptr;
    emit Beendet(m_ausgang);
    deleteLater();
}

bool Hintergrundauftrag::eventFilter(QObject* objekt, QEvent* e) {
    if (e->type() == QEvent::KeyPress && m_laeuft && !m_lauf.Abgebrochen()) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier) {
            Abbrechen();
            return true;
        }
    }
    return QObject::eventFilter(objekt, e);
}

QString Hintergrundauftrag::Fehlertext() const {
    if (!m_fehler)
        return {};
    try {
        std::rethrow_exception(m_fehler);
    } catch (const AlarmdefsFehler& f) {
        return f.Text();
    } catch (const DateiFehler& f) {
        return f.Text();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("%1: zu wenig Speicher; nichts wurde geschrieben.").arg(m_titel);
    } catch (const std::exception& f) {
        return QStringLiteral("%1 ist gescheitert: %2").arg(m_titel, QString::fromLocal8Bit(f.what()));
    } catch (...) {
        return QStringLiteral("%1 ist gescheitert.").arg(m_titel);
    }
}

QString Hintergrundauftrag::Fehlerdetail() const {
    if (!m_fehler)
        return {};
    try {
        std::rethrow_exception(m_fehler);
    } catch (const AlarmdefsFehler& f) {
        return f.Detail();
    } catch (...) {
        return {};
    }
}
