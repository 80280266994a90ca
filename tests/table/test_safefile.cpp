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

    void safeFile_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Before>("before");
        QTest::addColumn<int>("mode"); // of the file at the path, or behind the link
        QTest::addColumn<Links>("links");
        QTest::addColumn<qint64>("limit"); // bytes a file may grow to; -1: no limit
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<QString>("outcome"); // "ok", or group/code and the description's start
        QTest::addColumn<QString>("kind");    // what stands at the path afterwards
        QTest::addColumn<int>("modeAfter");   // of what the path leads to
        const auto S = Action::Save;
        const auto F = Links::Follow;
        const auto N = Links::DoNotFollow;
        const qint64 size = newBytes.size();
        auto row = [](const char* name, Action a, Before b, int mode, Links l, qint64 limit,
                      bool ro, const char* outcome, const char* kind, int modeAfter) {
            QTest::newRow(name) << a << b << mode << l << limit << ro << QString::fromUtf8(outcome)
                                << QString::fromLatin1(kind) << modeAfter;
        };
        const char* full = "103/61 Datenträger voll";
        const char* notRegular = "101/75 Keine gewöhnliche Datei";
        // Saving: a new file is private, an existing one keeps its mode.
        row("new file", S, Before::Nothing, 0, F, -1, false, "ok", "file", 0600);
        row("existing 0644", S, Before::File, 0644, F, -1, false, "ok", "file", 0644);
        // A full disk at each write: the old file stays byte for byte, no temporary is left.
        row("full: one byte short", S, Before::File, 0644, F, size - 1, false, full, "file", 0644);
        row("full: fits exactly", S, Before::File, 0644, F, size, false, "ok", "file", 0644);
        // Links: one planted in the program's folder is replaced, its target untouched; the
        // user's own link leads to the user's file.
        row("planted link", S, Before::Link, 0644, N, -1, false, "ok", "file", 0600);
        row("user's link", S, Before::Link, 0640, F, -1, false, "ok", "link", 0640);
        row("user's dangling link", S, Before::DanglingLink, 0, F, -1, false, "ok", "link", 0600);
        // Only regular files are written: refused at once, nothing replaced.
        row("pipe", S, Before::Fifo, 0600, F, -1, false, notRegular, "fifo", 0600);
        row("folder", S, Before::Folder, 0755, F, -1, false, "101/75 Fehler beim Zugriff", "folder",
            0755);
        // A folder that takes no new file: an existing file is written in place.
        row("read-only folder", S, Before::File, 0644, F, -1, true, "ok", "file", 0644);
        row("read-only folder, full", S, Before::File, 0644, F, size / 2, true, full, "file", 0644);
        row("read-only folder, new file", S, Before::Nothing, 0, F, -1, true,
            "101/70 Zugriff verweigert", "", 0);
        // Tightening the program's files: only the owner may read them.
        const auto T = Action::Tighten;
        row("tighten 0644", T, Before::File, 0644, N, -1, false, "ok", "file", 0600);
        row("tighten folder", T, Before::Folder, 0755, N, -1, false, "ok", "folder", 0700);
        row("tighten planted link", T, Before::Link, 0644, N, -1, false, "refused", "link", 0644);
        row("new private folder", Action::MakeFolder, Before::Nothing, 0, N, -1, false, "ok",
            "folder", 0700);
        // Reading never waits for a pipe's writer and never follows a planted link.
        const auto R = Action::Read;
        row("read pipe", R, Before::Fifo, 0600, F, -1, false, "-/75 Keine gewöhnliche Datei",
            "fifo", 0600);
        row("read planted link", R, Before::Link, 0644, N, -1, false,
            "-/75 Die Datei ist eine symbolische Verknüpfung", "link", 0644);
    }

    void safeFile() {
        QFETCH(Action, action);
        QFETCH(Before, before);
        QFETCH(int, mode);
        QFETCH(Links, links);
        QFETCH(qint64, limit);
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, outcome);
        QFETCH(QString, kind);
        QFETCH(int, modeAfter);

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

        QVERIFY2(result.startsWith(outcome), qPrintable(result));
        QCOMPARE(kindAt(path), kind);
        QCOMPARE(int(modeAt(path)), modeAfter);
        // Read through the path: the new bytes only where a save went through.
        if (kind == u"file" || kind == u"link")
            QCOMPARE(readFileBytes(path),
                     action == Action::Save && outcome == u"ok" ? newBytes : oldBytes);
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
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safefile.moc"
