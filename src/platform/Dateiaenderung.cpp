#include "platform/Dateiaenderung.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
// The file a path finally names; a link's target may itself be missing.
fs::path LinksFolgen(fs::path p) {
    for (int i = 0; i < 40; ++i) {   // a loop of links ends somewhere
        std::error_code ec;
        if (!fs::is_symlink(p, ec))
            break;
        const fs::path ziel = fs::read_symlink(p, ec);
        if (ec)
            break;
        p = ziel.is_absolute() ? ziel : p.parent_path() / ziel;
    }
    return p.lexically_normal();
}

std::string TempName(const std::string& ziel) {
    static std::atomic<unsigned> zaehler{0};
#ifdef _WIN32
    const long prozess = 0;
#else
    const long prozess = static_cast<long>(::getpid());
#endif
    return ziel + ".tavero-" + std::to_string(prozess) + "-" + std::to_string(zaehler++);
}
}  // namespace

#ifdef _WIN32

// On Windows the system's own profile and registry calls write these files;
// this form only keeps the code the same on both sides.
Dateiaenderung::Dateiaenderung(const std::string& sDatei, bool fOrdnerAnlegen)
    : msZiel(LinksFolgen(fs::path(sDatei)).string()) {
    std::error_code ec;
    const fs::path ordner = fs::path(msZiel).parent_path();
    if (fOrdnerAnlegen && !ordner.empty())
        fs::create_directories(ordner, ec);
    mfGesperrt = ordner.empty() || fs::is_directory(ordner, ec);
}

Dateiaenderung::~Dateiaenderung() = default;

bool Dateiaenderung::Ersetzen(const std::string& sInhalt) {
    if (!mfGesperrt)
        return false;
    const std::string temp = TempName(msZiel);
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << sInhalt;
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, msZiel, ec);
    if (ec)
        fs::remove(temp, ec);
    return !ec;
}

#else

Dateiaenderung::Dateiaenderung(const std::string& sDatei, bool fOrdnerAnlegen)
    : msZiel(LinksFolgen(fs::path(sDatei)).string()) {
    fs::path ordner = fs::path(msZiel).parent_path();
    if (ordner.empty())
        ordner = ".";
    std::error_code ec;
    if (fOrdnerAnlegen)
        fs::create_directories(ordner, ec);
    mnOrdner = ::open(ordner.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mnOrdner < 0)
        return;
    // The folder, not the file, is locked: the rename puts a new file in the
    // old one's place, and a lock on the old file would not hold the next writer.
    int rc;
    do {
        rc = ::flock(mnOrdner, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    mfGesperrt = rc == 0;
}

Dateiaenderung::~Dateiaenderung() {
    if (mnOrdner >= 0)
        ::close(mnOrdner);   // also releases the lock
}

bool Dateiaenderung::Ersetzen(const std::string& sInhalt) {
    if (!mfGesperrt)
        return false;
    struct stat alt {};
    const bool fHatAlt = ::stat(msZiel.c_str(), &alt) == 0 && S_ISREG(alt.st_mode);

    std::string temp;
    int fd = -1;
    for (int versuch = 0; versuch < 100 && fd < 0; ++versuch) {
        temp = TempName(msZiel);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = true;
    if (fHatAlt) {
        ok = ::fchmod(fd, alt.st_mode & 07777) == 0;
        if (::fchown(fd, alt.st_uid, alt.st_gid) != 0) {
            // only the owner's own files can be given away: the new file stays this user's
        }
    }
    for (std::size_t geschrieben = 0; ok && geschrieben < sInhalt.size();) {
        const ssize_t n = ::write(fd, sInhalt.data() + geschrieben, sInhalt.size() - geschrieben);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            geschrieben += static_cast<std::size_t>(n);
    }
    // On disk before the rename, so a crash leaves the old file or the whole new one.
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), msZiel.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    ::fsync(mnOrdner);   // the rename itself reaches the disk
    return true;
}

#endif
