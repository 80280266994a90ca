// The one way every file is written, read and kept private, under a hostile machine: full
// disks, planted links, pipes, folders that take no new file.
#include "support/processes.h"
#include "support/testsupport.h"
#include "table/safefile.h"

#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace natalix;
using namespace natalix::test;

namespace {

enum class Action { Save, Tighten, MakeFolder, Read };
// What stands at the path before. A link points at "fremd.txt" beside the folder.
enum class Before { Nothing, File, Link, DanglingLink, Fifo, Folder };

const QByteArray oldBytes = QByteArray("alte Liste\r\n").repeated(10);
const QByteArray newBytes = QByteArray("neue Liste\r\n").repeated(40);

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// What stands at a path: file, link, fifo or folder; empty where nothing does.
QString kindAt(const QString& path) {
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return {};
    return S_ISLNK(st.st_mode)    ? "link"
           : S_ISREG(st.st_mode)  ? "file"
           : S_ISFIFO(st.st_mode) ? "fifo"
                                  : "folder";
}

// The permissions of what a path leads to, or of the path itself; 0 where nothing is.
mode_t modeAt(const QString& path, bool follow = true) {
    struct stat st;
    return (follow ? ::stat : ::lstat)(native(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Root passes every permission check: a read-only folder stops only another user.
class AsFolderOwner {
public:
    explicit AsFolderOwner(bool needed) : m_switched(needed && ::geteuid() == 0) {
        if (m_switched)
            QVERIFY(::setegid(nobodyUid()) == 0 && ::seteuid(nobodyUid()) == 0);
    }
    ~AsFolderOwner() {
        if (m_switched)
            QVERIFY(::seteuid(0) == 0 && ::setegid(0) == 0);
    }

private:
    bool m_switched;
};

// Reads on another thread: a read that waits for a pipe's writer fails the test instead of
// hanging it (the writer opened here lets it go).
ReadResult readWithoutWaiting(const QString& path, Links links) {
    auto read =
        std::async(std::launch::async, [&] { return readFileSafely(path, 1 << 20, links); });
    if (read.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        const int writer = ::open(native(path).constData(), O_WRONLY | O_NONBLOCK);
        read.wait();
        ::close(writer);
        ReadResult blocked;
        blocked.error = {0, QStringLiteral("waited for a writer")};
        return blocked;
    }
    return read.get();
}

QString outcomeText(bool ok, int group, const FileError& error) {
    if (ok)
        return QStringLiteral("ok");
    return QStringLiteral("%1/%2 %3")
        .arg(group ? QString::number(group) : QStringLiteral("-"))
        .arg(error.code)
        .arg(error.description);
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT

private slots:
    // The usual umask: a private mode must come from the program, not from a strict umask.
    void initTestCase() { ::umask(022); }

    void safeFile() {
        const auto S = Action::Save;
        const auto T = Action::Tighten;
        const auto R = Action::Read;
        const auto F = Links::Follow;
        const auto N = Links::DoNotFollow;
        const qint64 size = newBytes.size();
        const char* diskFull = "103/61 Datenträger voll";
        const char* notRegular = "101/75 Keine gewöhnliche Datei";
        // What stands at the path before and the mode of the file there or behind the link;
        // the bytes a file may grow to (-1: no limit); whether the folder takes no new file;
        // "ok", or group/code and the description's start; what stands at the path afterwards
        // and the mode of what it leads to.
        const std::tuple<QString, Action, Before, int, Links, qint64, bool, const char*,
                         const char*, int>
            rows[] = {
                // Saving: a new file is private, an existing one keeps its mode (below).
                {"new file", S, Before::Nothing, 0, F, -1, false, "ok", "file", 0600},
                // A full disk at each write: the old file stays byte for byte, no temporary is
                // left.
                {"full: one byte short", S, Before::File, 0644, F, size - 1, false, diskFull,
                 "file", 0644},
                {"full: fits exactly", S, Before::File, 0644, F, size, false, "ok", "file", 0644},
                // Links: one planted in the program's folder is replaced, its target untouched;
                // the user's own link leads to the user's file.
                {"planted link", S, Before::Link, 0644, N, -1, false, "ok", "file", 0600},
                {"user's link", S, Before::Link, 0640, F, -1, false, "ok", "link", 0640},
                {"user's dangling link", S, Before::DanglingLink, 0, F, -1, false, "ok", "link",
                 0600},
                // Only regular files are written: refused at once, nothing replaced.
                {"pipe", S, Before::Fifo, 0600, F, -1, false, notRegular, "fifo", 0600},
                {"folder", S, Before::Folder, 0755, F, -1, false, "101/75 Fehler beim Zugriff",
                 "folder", 0755},
                // A folder that takes no new file: an existing file is written in place.
                {"read-only folder", S, Before::File, 0644, F, -1, true, "ok", "file", 0644},
                {"read-only folder, full", S, Before::File, 0644, F, size / 2, true, diskFull,
                 "file", 0644},
                {"read-only folder, new file", S, Before::Nothing, 0, F, -1, true,
                 "101/70 Zugriff verweigert", "", 0},
                // Tightening the program's files: only the owner may read them.
                {"tighten 0644", T, Before::File, 0644, N, -1, false, "ok", "file", 0600},
                {"tighten folder", T, Before::Folder, 0755, N, -1, false, "ok", "folder", 0700},
                {"tighten planted link", T, Before::Link, 0644, N, -1, false, "refused", "link",
                 0644},
                {"new private folder", Action::MakeFolder, Before::Nothing, 0, N, -1, false, "ok",
                 "folder", 0700},
                // Reading never waits for a pipe's writer and never follows a planted link.
                {"read pipe", R, Before::Fifo, 0600, F, -1, false, "-/75 Keine gewöhnliche Datei",
                 "fifo", 0600},
                {"read planted link", R, Before::Link, 0644, N, -1, false,
                 "-/75 Die Datei ist eine symbolische Verknüpfung", "link", 0644}};
        for (const auto& [name, action, before, mode, links, limit, readOnlyFolder, outcome, kind,
                          modeAfter] : rows) {
            TempDataDir dir;
            QVERIFY(::chmod(native(dir.path()).constData(), 0755) == 0);
            const QString folder = dir.file(QStringLiteral("ordner"));
            const QString victim = dir.file(QStringLiteral("fremd.txt"));
            QVERIFY(QDir().mkdir(folder));
            QString path = folder + QStringLiteral("/liste.nxd");
            switch (before) {
            case Before::Nothing:
                break;
            case Before::File:
                QVERIFY(writeFileBytes(path, oldBytes));
                break;
            case Before::Link:
                QVERIFY(writeFileBytes(victim, oldBytes));
                QVERIFY(::chmod(native(victim).constData(), mode_t(mode)) == 0);
                [[fallthrough]];
            case Before::DanglingLink:
                QVERIFY(::symlink(native(victim).constData(), native(path).constData()) == 0);
                break;
            case Before::Fifo:
                QVERIFY(::mkfifo(native(path).constData(), mode_t(mode)) == 0);
                break;
            case Before::Folder:
                QVERIFY(QDir().mkdir(path));
                break;
            }
            if (before == Before::File || before == Before::Folder)
                QVERIFY(::chmod(native(path).constData(), mode_t(mode)) == 0);
            if (readOnlyFolder) {
                for (const QString& p : {folder, path})
                    QVERIFY(::lchown(native(p).constData(), nobodyUid(), nobodyUid()) == 0 ||
                            !QFileInfo::exists(p));
                QVERIFY(::chmod(native(folder).constData(), 0555) == 0);
            }
            const mode_t victimMode = modeAt(victim, false);

            QString result;
            {
                AsFolderOwner owner(readOnlyFolder);
                std::optional<FileSizeLimit> full;
                if (limit >= 0)
                    full.emplace(limit);
                if (action == Action::Save) {
                    const SaveResult r = saveFileSafely(path, newBytes, links);
                    result = outcomeText(r.ok, r.group, r.error);
                } else if (action != Action::Read) {
                    const bool ok =
                        action == Action::Tighten ? makePrivate(path) : makePrivateFolder(path);
                    result = ok ? QStringLiteral("ok") : QStringLiteral("refused");
                } else {
                    const ReadResult r = readWithoutWaiting(path, links);
                    QVERIFY(!r.ok || r.bytes == oldBytes);
                    result = outcomeText(r.ok, 0, r.error);
                }
            }
            ::chmod(native(folder).constData(), 0755);

            QVERIFY2(result.startsWith(outcome), qPrintable(name + u": "_qs + result));
            QCOMPARE(kindAt(path), QString::fromLatin1(kind));
            QCOMPARE(int(modeAt(path)), modeAfter);
            // Read through the path: the new bytes only where a save went through.
            if (kindAt(path) == u"file" || kindAt(path) == u"link")
                QCOMPARE(readFileBytes(path),
                         action == Action::Save && result == u"ok" ? newBytes : oldBytes);
            // What a link points at is the user's business only where the link is followed.
            if (links == Links::DoNotFollow || action != Action::Save) {
                QCOMPARE(modeAt(victim, false), victimMode);
                if (victimMode)
                    QCOMPARE(readFileBytes(victim), oldBytes);
            }
            QCOMPARE(QDir(folder).entryList({QStringLiteral(".natalix-*")},
                                            QDir::Files | QDir::Hidden | QDir::System),
                     QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safefile.moc"
