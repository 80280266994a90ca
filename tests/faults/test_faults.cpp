// The program under a hostile machine: full disks, damaged files, planted links, pipes,
// stale locks, other users, a week away with a reminder window left open.
#include "app/datadir.h"
#include "app/windowapp.h"
#include "listfile/listfile.h"
#include "reminder/openlines.h"
#include "reminder/remindercore.h"
#include "support/processes.h"
#include "support/windowharness.h"
#include "table/backups.h"
#include "table/databasestamp.h"
#include "table/safefile.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace natalix;
using namespace natalix::test;

namespace {

std::vector<Record> people(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(makeRecord(i, QStringLiteral("Person Nr. %1 Müller").arg(i), 1900 + i % 120,
                                 1 + i % 12, 1 + i % 28));
    return out;
}

// A data folder below a HOME of its own, filled with `records`.
struct World {
    TempDataDir home;
    QString data() const { return home.file(QStringLiteral("daten")); }
    QString file(const QString& name) const { return home.file(name); }
    RunSetup setup() const {
        RunSetup s;
        s.home = home.path();
        return s;
    }

    bool fill(const std::vector<Record>& records) {
        const QString list = file(QStringLiteral("quelle.nxd"));
        return writeFileBytes(list, renderListFile(records)) &&
               run({QStringLiteral("--import"), list}).code == 0;
    }
    RunResult run(QStringList args, RunSetup s = {}) const {
        if (s.home.isEmpty())
            s.home = home.path();
        if (!s.env.contains(QStringLiteral("NATALIX_NOW")))
            s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
        return runNatalix(QStringList{QStringLiteral("--datadir"), data()} + args, s);
    }
};

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

QString err(const RunResult& r) {
    return QString::fromUtf8(r.err);
}

// Random bytes over `pages` pages of the file (never page 1, the header).
void damagePages(const QString& path, quint32 seed, int pages) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096, count = f.size() / pageSize;
    QRandomGenerator rng(seed);
    for (int i = 0; i < pages; ++i) {
        QByteArray junk(pageSize, Qt::Uninitialized);
        for (char& c : junk)
            c = char(rng.bounded(256));
        f.seek(pageSize * rng.bounded(1, int(count)));
        f.write(junk);
    }
}

QByteArray sqliteFile(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFileBytes(path);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    // A full disk: every save reports it and leaves the old file byte for byte.
    void fullDiskKeepsTheOldFile_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<long long>("limit");
        QTest::newRow("nothing fits") << 3 << 0LL;
        QTest::newRow("cut off at 160 KB") << 1500 << 160LL * 1024;
    }
    void fullDiskKeepsTheOldFile() {
        QFETCH(int, records);
        QFETCH(long long, limit);
        World w;
        QVERIFY(w.fill(people(records)));
        const QString target = w.file(QStringLiteral("liste.nxd"));
        const QByteArray old = renderListFile(people(records + 200));
        QVERIFY(old.size() > limit && writeFileBytes(target, old));
        RunSetup full = w.setup();
        full.fileSizeLimit = limit;
        const RunResult r = w.run({QStringLiteral("--export"), target}, full);
        QCOMPARE(r.code, 1);
        QVERIFY2(err(r).contains(QStringLiteral("(61 : Datenträger voll)")), r.err);
        QCOMPARE(readFileBytes(target), old);
        QCOMPARE(QDir(w.home.path()).entryList({".natalix-*"}, QDir::Files | QDir::Hidden),
                 QStringList());
        // Room again: the same command succeeds.
        QCOMPARE(w.run({QStringLiteral("--export"), target}).code, 0);
        QCOMPARE(readFileBytes(target), renderListFile(people(records)));
    }

    void fullDiskKeepsOptionsAndSettings() {
        TempDataDir d;
        DataDir dir{d.path(), true};
        Options changed;
        changed.optionzyklus = QStringLiteral("alle 5 Jahre");
        QVERIFY(writeOptionsFile(dir.optionsPath(), Options()));
        SettingsStore settings(dir);
        QVERIFY(settings.setValue(QStringLiteral("filename"), QStringLiteral("/alt/liste.nxd")));
        const QByteArray options = readFileBytes(dir.optionsPath());
        const QByteArray ini = readFileBytes(dir.settingsPath());
        {
            FileSizeLimit full(0);
            QString error;
            QVERIFY(!writeOptionsFile(dir.optionsPath(), changed, &error));
            QVERIFY2(error.contains(QStringLiteral("(61 : Datenträger voll)")), qPrintable(error));
            QVERIFY(!settings.setValue(QStringLiteral("filename"), QString(300, u'x')));
            QVERIFY(settings.lastError().contains(QStringLiteral("(61 : Datenträger voll)")));
        }
        QCOMPARE(readFileBytes(dir.optionsPath()), options);
        QCOMPARE(readFileBytes(dir.settingsPath()), ini);
        QCOMPARE(settings.value(QStringLiteral("filename")), QStringLiteral("/alt/liste.nxd"));
    }

    // The silent save on the way out under a full disk.
    void silentSaveOnExitReportsAFullDisk() {
        WindowHarness h(people(40));
        const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
        const QByteArray old = renderListFile(people(2));
        QVERIFY(writeFileBytes(path, old));
        h.state().dateinamemitpfad = path;
        h.state().dateiwurdegeaendert = 1;
        h.services.answerMessage(answer::cancel);
        // Full for the save only: the scan after it has room again.
        std::optional<FileSizeLimit> full(std::in_place, 1000);
        h.services.onMessage = [&](const MessageRequest&) { full.reset(); };
        h.window().mnuDateibeenden->trigger();
        QCOMPARE(h.services.messages.size(), 1);
        QVERIFY(h.services.messages[0].text.contains(QStringLiteral("( 103 / 61 : ")));
        QCOMPARE(readFileBytes(path), old);
        QVERIFY(h.services.allAnswered());
    }

    // Whatever damage the pages take, it is never taken for an empty list, never written to.
    void damagedDatabaseIsNeverAnEmptyList() {
        World w;
        QVERIFY(w.fill(people(2000)));
        const QString db = QDir(w.data()).filePath(QStringLiteral("Geburtstage.db"));
        const QByteArray sound = readFileBytes(db);
        const QString target = w.file(QStringLiteral("liste.nxd"));
        const QByteArray list = renderListFile(people(2000));
        QVERIFY(writeFileBytes(target, list));
        for (quint32 seed = 1; seed <= 12; ++seed) {
            QVERIFY(writeFileBytes(db, sound));
            damagePages(db, seed, 3);
            const QByteArray damaged = readFileBytes(db);
            const TableStore::Opened o = TableStore::openChecked(db, Record());
            QVERIFY2(!o.store && o.problem == TableStore::Problem::Damaged, qPrintable(o.message));
            QVERIFY(o.message.contains(QStringLiteral("ist beschädigt")));
            if (seed <= 2) {
                for (const QStringList& args :
                     {QStringList{"--export", target}, QStringList{"--scan"}}) {
                    const RunResult r = w.run(args);
                    QCOMPARE(r.code, 1);
                    QVERIFY2(err(r).contains(QStringLiteral("Sicherung")), r.err);
                }
            }
            QCOMPARE(readFileBytes(db), damaged);
            QCOMPARE(readFileBytes(target), list);
        }
    }

    void foreignDatabaseIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::newRow("another program's tables") << QByteArray("CREATE TABLE kunden (id, name)");
        QTest::newRow("wrong fields") << QByteArray("CREATE TABLE Geburtstage (Name TEXT)");
        QTest::newRow("a view of that name")
            << QByteArray("CREATE TABLE t (a); CREATE VIEW Geburtstage AS SELECT * FROM t");
    }
    void foreignDatabaseIsLeftAlone() {
        QFETCH(QByteArray, sql);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        const QByteArray before = sqliteFile(db, sql.constData());
        const TableStore::Opened o = TableStore::openChecked(db, Record());
        QCOMPARE(o.problem, TableStore::Problem::Foreign);
        QVERIFY(o.message.startsWith(QStringLiteral("Die Datei \"")));
        QVERIFY(o.message.contains(QStringLiteral("ist keine Natalix-Datenbank")));
        QCOMPARE(readFileBytes(db), before);
    }

    // The window offers the newest sound backup, keeps the damaged file, or ends.
    void damagedDatabaseOffersTheBackup_data() {
        QTest::addColumn<int>("answer"); // 0: no backup, no question
        QTest::newRow("restore") << answer::yes;
        QTest::newRow("end") << answer::no;
        QTest::newRow("no backup") << 0;
    }
    void damagedDatabaseOffersTheBackup() {
        QFETCH(int, answer);
        World w;
        QVERIFY(w.fill(people(300)));
        DataDir dir{w.data(), true};
        const QString db = dir.databasePath();
        QVERIFY(QDir(backupFolder(dir.path)).removeRecursively());
        if (answer) {
            auto store = TableStore::open(db, Record(), nullptr);
            QVERIFY(makeDailyBackup(*store, dir.path, QDate(2026, 12, 5)));
            QVERIFY(makeDailyBackup(*store, dir.path, QDate(2026, 12, 6)));
            // An unusable newer copy is passed over.
            QVERIFY(writeFileBytes(backupFolder(dir.path) + "/Geburtstage-2026-12-07.db", "x"));
        }
        damagePages(db, 7, 4);
        const QByteArray damaged = readFileBytes(db);
        ScriptedServices services;
        services.setToday(2026, 12, 7, 8, 30, 0);
        services.answerMessage(answer ? answer : answer::ok);
        std::unique_ptr<TableStore> store = openDatabaseForWindow(services, dir, Options());
        QCOMPARE(services.messages.size(), 1);
        const MessageRequest& m = services.messages[0];
        QVERIFY(m.text.contains(QStringLiteral("ist beschädigt")));
        QCOMPARE(m.buttons, answer ? Buttons::YesNo : Buttons::Ok);
        QVERIFY(m.text.contains(answer ? QStringLiteral("Sicherung ist vom 6.12.2026")
                                       : QStringLiteral("keine Sicherung")));
        QCOMPARE(bool(store), answer == answer::yes);
        const QString aside = db + ".beschaedigt-20261207-083000";
        if (answer == answer::yes) {
            Cursor cursor(*store);
            QCOMPARE(cursor.recordCount(), 300);
            QCOMPARE(readFileBytes(aside), damaged);
        } else {
            QCOMPARE(readFileBytes(db), damaged);
            QVERIFY(!QFileInfo::exists(aside));
        }
    }

    // The stamp beside the database spares the check of the pages only while every field of
    // it matches the file. The damages here are ones that reading the rows does not see, so
    // whether they are found tells whether the check ran; the file is never written.
    void stampDecidesTheCheck_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("change"); // how the damage was written, or of the stamp
        QTest::addColumn<bool>("checked");
        for (const char* damage : {"cell count", "child twice", "free list"})
            for (const char* way : {"plainly", "mtime put back", "at once after a commit"})
                QTest::addRow("%s, %s", damage, way) << damage << way << true;
        const QString cells = QStringLiteral("cell count");
        QTest::newRow("stamp matches") << cells << "" << false;
        for (const char* field :
             {"dev", "ino", "size", "mtime", "ctime", "h24", "h28", "h40", "h92", "h96"})
            QTest::addRow("stamp field %s", field) << cells << field << true;
        QTest::newRow("checked seven days ago") << cells << "opened -7" << false;
        QTest::newRow("checked eight days ago") << cells << "opened -8" << true;
        QTest::newRow("checked tomorrow") << cells << "opened 1" << true;
        QTest::newRow("daily backup, checked seven days ago") << cells << "backup -7" << false;
        QTest::newRow("daily backup, checked eight days ago") << cells << "backup -8" << true;
        QTest::newRow("a journal beside") << cells << "-journal" << true;
        QTest::newRow("a write-ahead log beside") << cells << "-wal" << true;
        QTest::newRow("no stamp") << cells << "none" << true;
        QTest::newRow("stamp cut short") << cells << "cut" << true;
    }
    void stampDecidesTheCheck() {
        QFETCH(QString, damage);
        QFETCH(QString, change);
        QFETCH(bool, checked);
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QVERIFY(TableStore::openChecked(db, Record(), today).store->replaceAll(people(2000)));
        // A shorter list leaves the pages of the longer one free.
        if (damage == u"free list")
            QVERIFY(TableStore::openChecked(db, Record(), today).store->replaceAll(people(500)));
        // Opened again, the check leaves a stamp, and a commit of our own renews it.
        auto store = TableStore::openChecked(db, Record(), today).store;
        QVERIFY(store && store->insert(makeRecord(9999, QStringLiteral("Neu"), 2000, 1, 1)));
        QVERIFY(vouchingStamp(db, today));
        struct stat sound;
        QCOMPARE(::stat(QFile::encodeName(db).constData(), &sound), 0);
        const bool atOnce = change == u"at once after a commit";
        if (atOnce)
            QVERIFY(store->insert(makeRecord(9998, QStringLiteral("Neu"), 2000, 1, 1)));
        else
            store.reset();
        const QByteArray bytes = damagedDatabase(readFileBytes(db), damage);
        QVERIFY(!bytes.isEmpty() && writeFileBytes(db, bytes));
        store.reset();
        if (change == u"mtime put back") {
            const timespec times[2] = {sound.st_atim, sound.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(db).constData(), times, 0), 0);
        }

        // Otherwise the stamp the program would write for the damaged file, with one change.
        const QString stamp = stampPath(db);
        const QDate checkedOn = today.addDays(change.section(u' ', 1).toInt());
        if (!atOnce && change != u"plainly" && change != u"mtime put back")
            QVERIFY(writeStamp(db, {*readDatabaseState(db), checkedOn}));
        QByteArray text = readFileBytes(stamp);
        const QByteArray key = ' ' + change.toLatin1() + '=';
        if (const qsizetype at = text.indexOf(key); at >= 0) {
            const qsizetype from = at + key.size();
            const qsizetype to =
                text.indexOf(' ', from) < 0 ? text.size() - 1 : text.indexOf(' ', from);
            text.replace(from, to - from,
                         QByteArray::number(text.mid(from, to - from).toLongLong() + 1));
        }
        if (change == u"cut")
            text.chop(2);
        if (change.startsWith(u'-'))
            QVERIFY(writeFileBytes(db + change, QByteArray()));
        QVERIFY(change == u"none" ? QFile::remove(stamp) : writeFileBytes(stamp, text));

        bool found = false;
        if (change.startsWith(u"backup")) {
            // Opened on the day of its check, the program runs on; its daily backup checks
            // once the week is over, and copies no damaged file.
            store = TableStore::openChecked(db, Record(), checkedOn).store;
            QVERIFY(store);
            found = !makeDailyBackup(*store, d.path(), today);
            QCOMPARE(QFileInfo::exists(backupFolder(d.path()) + "/Geburtstage-2025-03-07.db"),
                     !found);
        } else {
            found = TableStore::openChecked(db, Record(), today).problem ==
                    TableStore::Problem::Damaged;
        }
        QCOMPARE(found, checked);
        QCOMPARE(readFileBytes(db), bytes);
    }

    // Each commit of the program on a file it saw sound renews the stamp, readable by the owner
    // alone; a file written by anybody else since loses it.
    void stampFollowsOwnCommitsOnly() {
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QVERIFY(
            TableStore::openChecked(db, makeRecord(1, QStringLiteral("Anna"), 1980, 3, 7), today)
                .store);
        auto store = TableStore::openChecked(db, Record(), today).store;
        QVERIFY(store && store->insert(makeRecord(2, QStringLiteral("Berta"), 1990, 1, 1)));
        const std::optional<DatabaseStamp> own = readStamp(db);
        QVERIFY(own && own->state == readDatabaseState(db));
        QCOMPARE(modeOf(stampPath(db)) & 0777, mode_t(0600));
        sqliteFile(db, "INSERT INTO Geburtstage (Nummer, Name) VALUES (3, 'Fremd')");
        QVERIFY(store->insert(makeRecord(4, QStringLiteral("Carla"), 1990, 1, 1)));
        QVERIFY(!QFileInfo::exists(stampPath(db)));
    }

    void backupsKeepTheNewestSeven() {
        WindowHarness h(people(3));
        auto store = TableStore::open(h.dir.databasePath(), Record(), nullptr);
        for (int day = 1; day <= 9; ++day)
            QVERIFY(makeDailyBackup(*store, h.dir.path, QDate(2026, 11, day)));
        QVERIFY(makeDailyBackup(*store, h.dir.path, QDate(2026, 11, 9))); // once a day
        const std::vector<Backup> kept = usableBackups(h.dir.path);
        QCOMPARE(kept.size(), size_t(7));
        QCOMPARE(kept.front().date, QDate(2026, 11, 9));
        QCOMPARE(kept.back().date, QDate(2026, 11, 3));
        QCOMPARE(modeOf(kept.front().path) & 0777, mode_t(0600));
        QCOMPARE(modeOf(backupFolder(h.dir.path)) & 0777, mode_t(0700));
    }

    // Every mode finds the same folder below HOME, whatever the program is called.
    void defaultDataFolderForEveryMode() {
        TempDataDir home;
        const QString renamed = home.file(QStringLiteral("geburtstags-erinnerer"));
        QVERIFY(QFile::link(QStringLiteral(NATALIX_BINARY), renamed));
        RunSetup s;
        s.home = home.path();
        s.program = renamed;
        const QString list = home.file(QStringLiteral("liste.nxd"));
        QVERIFY(writeFileBytes(list, renderListFile(people(4))));
        QCOMPARE(runNatalix({QStringLiteral("--import"), list}, s).code, 0);
        const QString data = home.file(QStringLiteral(".local/share/NX/Natalix"));
        QVERIFY(QFileInfo(data + "/Geburtstage.db").isFile());
        QCOMPARE(modeOf(data) & 0777, mode_t(0700));
        QVERIFY(
            !QFileInfo::exists(home.file(QStringLiteral(".local/share/geburtstags-erinnerer"))));
        // The window's settings store is where the command line put the list's name.
        const QByteArray conf = readFileBytes(home.file(QStringLiteral(".config/NX/Natalix.conf")));
        QCOMPARE(SettingsStore::parseIni(conf).value(QStringLiteral("Global/filename")), list);
        // A running window there makes --import wait its turn.
        InstanceLock lock(DataDir{data, false});
        QCOMPARE(lock.acquire(), InstanceLock::State::Acquired);
        QCOMPARE(runNatalix({QStringLiteral("--import"), list}, s).code, 2);
    }

    // Only a live instance holds the lock, whatever an old lock file holds.
    void lockFiles_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<long long>("limit");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<int>("code");
        QTest::newRow("empty") << QByteArray() << -1LL << false << 0;
        QTest::newRow("garbage") << QByteArray("\xff\x00garbage", 9) << -1LL << false << 0;
        QTest::newRow("dead owner, full disk")
            << QByteArray("999999\nnatalix\nhost\n") << 0LL << false << 0;
        QTest::newRow("a folder in its place") << QByteArray() << -1LL << true << 1;
    }
    void lockFiles() {
        QFETCH(QByteArray, contents);
        QFETCH(long long, limit);
        QFETCH(bool, folder);
        QFETCH(int, code);
        World w;
        QVERIFY(w.fill(people(5)));
        const QString lock = QDir(w.data()).filePath(QStringLiteral("natalix.lock"));
        QVERIFY(QFile::remove(lock));
        QVERIFY(folder ? QDir().mkdir(lock) : writeFileBytes(lock, contents));
        RunSetup s = w.setup();
        s.fileSizeLimit = limit;
        s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
        const RunResult r = w.run({QStringLiteral("--scan")}, s);
        QCOMPARE(r.code, code);
        if (code == 1)
            QVERIFY2(err(r).startsWith(QStringLiteral("Natalix kann nicht feststellen, ob es")),
                     r.err);
        else
            QVERIFY2(r.err.isEmpty(), r.err);
    }

    // The window starts over an empty lock and then holds it. A termination signal (a logout)
    // ends it at any moment within two seconds, with status 0 and the lock let go; the lines
    // of a reminder it showed stay open for its next start.
    void windowStartsOverAnEmptyLock_data() {
        QTest::addColumn<int>("moment"); // ms after the start; -1: once its reminder is open
        for (int ms : {0, 40, 150, 600, 1500})
            QTest::addRow("after %d ms", ms) << ms;
        QTest::newRow("reminder open") << -1;
    }
    void windowStartsOverAnEmptyLock() {
        QFETCH(int, moment);
        World w;
        std::vector<Record> list = people(2);
        list.push_back(makeRecord(3, QStringLiteral("Anna Beispiel"), 1980, 3, 8));
        QVERIFY(w.fill(list));
        DataDir dir{w.data(), true};
        QVERIFY(writeFileBytes(dir.file(QStringLiteral("natalix.lock")), QByteArray()));
        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), w.home.path());
        env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-08T09:00:00"));
        // The sanitizer's search for leaks at the exit is not the program's time.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        window.setProcessEnvironment(env);
        // Before its first instruction a process is the system's to end; held back until then,
        // a signal of the first moments reaches the program.
        window.setChildProcessModifier([] {
            sigset_t term;
            sigemptyset(&term);
            sigaddset(&term, SIGTERM);
            sigprocmask(SIG_BLOCK, &term, nullptr);
        });
        window.start(QStringLiteral(NATALIX_BINARY), {"/auto", "--datadir", dir.path});
        QVERIFY(window.waitForStarted(10000));
        const auto openWindows = [&dir] {
            auto store = TableStore::openBeside(dir.databasePath(), true).store;
            return store ? OpenLines(*store).windows().size() : size_t(0);
        };
        // A probe that lets go at once, so that it never becomes the instance itself.
        const auto probe = [&dir] { return InstanceLock(dir).acquire(); };
        if (moment >= 0) {
            QTest::qWait(moment); // any moment is the same to the program
        } else {
            QVERIFY(QTest::qWaitFor([&] { return openWindows() == 1; }, 30000));
            QCOMPARE(probe(), InstanceLock::State::HeldByOther);
        }
        window.terminate();
        QVERIFY(window.waitForFinished(2000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
        QCOMPARE(probe(), InstanceLock::State::Acquired);
        QCOMPARE(openWindows(), size_t(moment < 0 ? 1 : 0));
    }

    // Pipes and devices are refused at once, never waited for, never replaced.
    void pipesAreRefused() {
        World w;
        QVERIFY(w.fill(people(3)));
        const QString fifo = w.file(QStringLiteral("rohr.nxd"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        RunSetup quick = w.setup();
        quick.timeoutMs = 8000;
        const RunResult in = w.run({QStringLiteral("--import"), fifo}, quick);
        QVERIFY(in.finished);
        QCOMPARE(in.code, 1);
        QVERIFY2(err(in).contains(QStringLiteral("Keine gewöhnliche Datei")), in.err);
        const RunResult out = w.run({QStringLiteral("--export"), fifo}, quick);
        QCOMPARE(out.code, 1);
        QVERIFY(S_ISFIFO(modeOf(fifo)));
        // In the window: the group-102 message, the table as it was.
        WindowHarness h(people(4));
        h.services.answerOpen(fifo);
        h.services.answerMessage(answer::cancel);
        h.window().mnuDateioeffnen->trigger();
        QCOMPARE(h.services.messages.size(), 1);
        QVERIFY(h.services.messages[0].text.contains(
            QStringLiteral("( 102 / 75 : Keine gewöhnliche Datei")));
        QCOMPARE(h.cursor().recordCount(), 4);
        QVERIFY(h.services.allAnswered());
    }

    // Links planted in the data folder are never followed; a link the user made elsewhere is.
    void plantedLinksAreNotFollowed() {
        World w;
        QVERIFY(w.fill(people(3)));
        const QString victim = w.file(QStringLiteral("fremd.txt"));
        const QByteArray secret("nicht anfassen\n");
        QVERIFY(writeFileBytes(victim, secret));
        const QDir data(w.data());
        QVERIFY(QFile::remove(data.filePath("natalix.ini")));
        QVERIFY(QFile::link(victim, data.filePath("natalix.ini")));
        QVERIFY(QFile::remove(data.filePath("natalix.lock")));
        QVERIFY(QFile::link(victim, data.filePath("natalix.lock")));
        QCOMPARE(w.run({QStringLiteral("--export"), w.file(QStringLiteral("x.nxd"))}).code, 0);
        QCOMPARE(w.run({QStringLiteral("--scan")}).code, 0);
        QCOMPARE(readFileBytes(victim), secret);
        QVERIFY(QFileInfo(data.filePath("natalix.ini")).isFile() &&
                !QFileInfo(data.filePath("natalix.ini")).isSymLink());

        // The database itself through a link: refused, the file behind it untouched.
        const QString elsewhere = w.file(QStringLiteral("woanders.db"));
        QVERIFY(QFile::rename(data.filePath("Geburtstage.db"), elsewhere));
        QVERIFY(QFile::link(elsewhere, data.filePath("Geburtstage.db")));
        const QByteArray db = readFileBytes(elsewhere);
        const RunResult r = w.run({QStringLiteral("--scan")});
        QCOMPARE(r.code, 1);
        QVERIFY2(err(r).contains(QStringLiteral("symbolische Verknüpfung")), r.err);
        QCOMPARE(readFileBytes(elsewhere), db);

        // Saving the default list: a planted natalix.nxd is replaced, its target kept.
        WindowHarness h(people(2));
        const QString planted = h.dir.defaultListPath();
        QVERIFY(QFile::link(victim, planted));
        h.state().dateinamemitpfad = planted;
        h.window().mnuDateispeichern->trigger();
        QCOMPARE(readFileBytes(victim), secret);
        QVERIFY(!QFileInfo(planted).isSymLink());
        QCOMPARE(readFileBytes(planted), renderListFile(people(2)));
        // The user's own link outside the data folder leads to their file.
        const QString own = w.file(QStringLiteral("meine.nxd"));
        const QString link = w.file(QStringLiteral("verknuepfung.nxd"));
        QVERIFY(writeFileBytes(own, "alt") && QFile::link(own, link));
        h.state().dateinamemitpfad = link;
        h.window().mnuDateispeichern->trigger();
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFileBytes(own), renderListFile(people(2)));
        QVERIFY(h.services.allAnswered());
    }

    // Under the usual umask, nobody but the owner can read the birthdays.
    void privateModes() {
        World w;
        const QString list = w.file(QStringLiteral("liste.nxd"));
        QVERIFY(writeFileBytes(list, renderListFile(people(3))));
        RunSetup s = w.setup();
        s.umask = 022;
        QCOMPARE(w.run({QStringLiteral("--import"), list}, s).code, 0);
        const QDir data(w.data());
        QCOMPARE(modeOf(w.data()) & 0777, mode_t(0700));
        for (const char* name : {"Geburtstage.db", "natalix.ini", "NX.ini", "natalix.lock"})
            QCOMPARE(modeOf(data.filePath(name)) & 0777, mode_t(0600));
        const QString fresh = w.file(QStringLiteral("neu.nxd"));
        QVERIFY(::chmod(QFile::encodeName(list).constData(), 0644) == 0);
        for (const QString& target : {fresh, list})
            QCOMPARE(w.run({QStringLiteral("--export"), target}, s).code, 0);
        QCOMPARE(modeOf(fresh) & 0777, mode_t(0600));
        QCOMPARE(modeOf(list) & 0777, mode_t(0644)); // an existing list keeps its mode
    }

    // A folder that takes no new file, holding a list its user may write: saved in place.
    void saveInPlaceWhereNoNewFileFits() {
        World w;
        QVERIFY(w.fill(people(6)));
        const QString folder = w.file(QStringLiteral("fest"));
        QVERIFY(QDir().mkdir(folder));
        const QString target = folder + "/liste.nxd";
        QVERIFY(writeFileBytes(target, renderListFile(people(40))));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        // The data folder and HOME must be the other user's too.
        for (const QString& p : {w.home.path(), w.data()})
            QVERIFY(::chown(QFile::encodeName(p).constData(), nobodyUid(), nobodyUid()) == 0 ||
                    ::geteuid() != 0);
        for (const char* f : {"Geburtstage.db", "natalix.ini", "NX.ini", "natalix.lock"})
            [[maybe_unused]] int ignored =
                ::chown(QFile::encodeName(QDir(w.data()).filePath(f)).constData(), nobodyUid(),
                        nobodyUid());
        RunSetup s = w.setup();
        s.asNobody = true;
        const RunResult r = w.run({QStringLiteral("--export"), target}, s);
        QCOMPARE(r.code, 0);
        QCOMPARE(readFileBytes(target), renderListFile(people(6)));
        // Full as well: the old bytes are put back.
        s.fileSizeLimit = 300;
        QVERIFY(writeFileBytes(target, renderListFile(people(1))));
        QCOMPARE(w.run({QStringLiteral("--export"), target}, s).code, 1);
        QCOMPARE(readFileBytes(target), renderListFile(people(1)));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }

    // A week away with the first reminder window left open: every day's reminders come.
    void everyDayRemindsWhileAWindowStaysOpen() {
        std::vector<Record> week;
        for (int day = 1; day <= 6; ++day) {
            Record r = makeRecord(day, QStringLiteral("Kind %1").arg(day), 2000, 3, day);
            r.erinnerung = {QStringLiteral("Am Tage des Geburtstages"),
                            QStringLiteral("Keine Erinnerung"), QStringLiteral("Keine Erinnerung")};
            week.push_back(r);
        }
        WindowHarness h(week);
        h.window().Timer1->stop();
        h.finishSplash();
        for (int day = 1; day <= 6; ++day) {
            for (int minute = 0; minute < 3; ++minute) { // several ticks a day
                h.services.setToday(2025, 3, day, 0, minute, 0);
                h.window().timer1Tick();
            }
            QCOMPARE(h.services.shownWindows.size(), day);
            auto* box = h.services.shownWindows.last()->findChild<QPlainTextEdit*>(
                QStringLiteral("txtErinnerung"));
            QVERIFY(box);
            QCOMPARE(box->toPlainText(),
                     QStringLiteral("Kind %1 wird heute 25 Jahre alt ...\n\n").arg(day));
        }
        for (const QPointer<QWidget>& window : h.services.shownWindows)
            QVERIFY(window && window->isVisible());
        for (const Record& r : h.storedRecords())
            QCOMPARE(r.marker[0], 2025);
    }

    // Logging out while a name is typed: it is stored before the program ends.
    void terminationStoresThePendingEdit() {
        WindowHarness h(people(3));
        FrmMain& w = h.window();
        storePendingEditOnTermination(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.txtName->setFocus();
        w.txtName->selectAll();
        QTest::keyClicks(w.txtName, QStringLiteral("  Neuer Name  "));
        ::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(h.storedRecords().front().name == QStringLiteral("Neuer Name"),
                                 5000);
        std::signal(SIGTERM, SIG_DFL);
    }

    // A full disk while a list is loaded: the real cause, in German; the old table stays.
    void fullDiskWhileLoadingGivesTheRealCause() {
        WindowHarness h(people(3));
        const QString list = h.dataDir.file(QStringLiteral("gross.nxd"));
        QVERIFY(writeFileBytes(list, renderListFile(people(3000))));
        h.services.answerOpen(list);
        h.services.answerMessage(answer::ok);
        {
            FileSizeLimit full(QFileInfo(h.dir.databasePath()).size() + 4096);
            h.window().mnuDateioeffnen->trigger();
        }
        QCOMPARE(h.services.messages.size(), 1);
        QVERIFY2(
            h.services.messages[0].text.endsWith(QStringLiteral("( Der Datenträger ist voll. )")),
            qPrintable(h.services.messages[0].text));
        QCOMPARE(h.cursor().recordCount(), 3);
        QCOMPARE(h.storedRecords().size(), size_t(3));
        QVERIFY(h.services.allAnswered());
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
