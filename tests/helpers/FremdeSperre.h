#pragma once
// Another program (the sqlite3 shell) holding the whole file in a write transaction,
// from its construction (which waits until the lock holds) until Freigeben.
#include <QProcess>
#include <QString>

class FremdeSperre {
public:
    explicit FremdeSperre(const QString& pfad);
    ~FremdeSperre();
    void Freigeben();
    // Whether a reader that does not wait gets at the file.
    bool Lesbar() const;

private:
    QString m_pfad;
    QProcess m_p;
};
