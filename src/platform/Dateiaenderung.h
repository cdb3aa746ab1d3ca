#pragma once
// One read-modify-write of a whole file that no other writer can interleave
// with. Profile and registry files are shared with other programs and other
// windows of this one: the change holds an advisory lock on the file's folder
// from before reading until after the rename, writes to a temporary file of
// its own, flushes it to disk and renames it over the old file.
#include <string>

class Dateiaenderung {
public:
    // Follows symbolic links to the real file and locks its folder; waits while
    // another writer holds the lock. A missing folder is created only when
    // fOrdnerAnlegen is set (a new Wine prefix), never for a profile file.
    explicit Dateiaenderung(const std::string& sDatei, bool fOrdnerAnlegen = false);
    ~Dateiaenderung();
    Dateiaenderung(const Dateiaenderung&) = delete;
    Dateiaenderung& operator=(const Dateiaenderung&) = delete;

    // False when the folder is missing or cannot be locked: nothing may be written.
    bool Gesperrt() const { return mfGesperrt; }
    // The file that is read and replaced: the target of a link, not the link.
    const std::string& Ziel() const { return msZiel; }
    // Replaces the file by sInhalt. A replaced file keeps its permissions and,
    // where the system allows it, its owner; a new file gets the usual ones.
    bool Ersetzen(const std::string& sInhalt);

private:
    std::string msZiel;
    int mnOrdner = -1;   // the locked folder
    bool mfGesperrt = false;
};
