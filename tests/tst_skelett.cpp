// The build and the dialog seam stand.
#include <QtTest>

#include "helpers/SkriptDialoge.h"

class TstSkelett : public QObject {
    Q_OBJECT
private slots:
    void seamRecordsMessages() {
        SkriptDialoge d;
        Dialoge::aktuell().Meldung(nullptr, QStringLiteral("Hallo"));
        QCOMPARE(d.meldungen, QStringList{QStringLiteral("Hallo")});
    }
};

QTEST_MAIN(TstSkelett)
#include "tst_skelett.moc"
