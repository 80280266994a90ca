// The program under a hostile machine: full disks, damaged files, planted links, pipes,
// stale locks, other users, a logout.
#include "app/commandline.h"
#include "app/datadir.h"
#include "app/windowapp.h"
#include "listfile/listfile.h"
#include "reminder/openlines.h"
#include "support/processes.h"
#include "support/windowharness.h"
#include "table/backups.h"
#include "table/databasestamp.h"

#include <QLineEdit>
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

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

QByteArray sqliteFile(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFileBytes(path);
}

const QByteArray secret("nicht anfassen\n");

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    // Every command refused says why and how it ended, and leaves the table and every file
    // outside the data folder as they were: nothing replaced, no temporary file left.
    void refusedCommandsChangeNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");      // below HOME, given after the command
        QTest::addColumn<QByteArray>("before"); // its bytes; null: nothing there
        QTest::addColumn<QString>("machine");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err"); // %1: the file, %2: the data folder
        const auto row = [](const char* name, const char* command, const char* file,
                            const QByteArray& before, const char* machine, int code,
                            const QString& err) {
            QTest::newRow(name) << command << file << before << machine << code << err;
        };
        const QString unread = QStringLiteral("Die Datei \"%1\" wurde nicht eingelesen: ");
        const QString damaged = QStringLiteral(
            "Die Datenbank \"%2/Geburtstage.db\" ist beschädigt (Die Datenbank-Datei ist "
            "beschädigt.). Natalix verändert sie nicht. Beim nächsten Start des Fensters bietet "
            "Natalix an, die letzte Sicherung aus dem Ordner \"Sicherungen\" "
            "wiederherzustellen.\n");
        const QByteArray vcard(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Neu\r\nBDAY:--0307\r\nEND:VCARD\r\n");
        row("--import, not a list", "--import", "kaputt.nxd", "Liste\r\n", "", 1,
            unread + "Die Datei ist keine Geburtstagsliste: Ihre erste Zeile enthält keine "
                     "Anzahl von Datensätzen.\n");
        row("--import, no such file", "--import", "fehlt.nxd", QByteArray(), "", 1,
            "Die Datei \"%1\" kann nicht gelesen werden (53 : Datei nicht gefunden).\n");
        row("--import while the window runs", "--import", "neu.nxd", renderListFile(people(1)),
            "window", 2, runningMessage("Das Einlesen einer Liste") + u'\n');
        row("--import-contacts, no contacts", "--import-contacts", "kontakte.vcf",
            renderListFile(people(1)), "", 1,
            unread + "Die Datei ist weder eine vCard-Datei noch eine CSV-Kontaktliste.\n");
        row("--import-contacts, no number left", "--import-contacts", "kontakte.vcf", vcard,
            "last number", 1,
            "Die Liste hat keine freien Nummern mehr; es wurde nichts übernommen.\n");
        row("--export-ics, no such folder", "--export-ics", "fehlt/kalender.ics", QByteArray(), "",
            1,
            "Der Kalender konnte nicht in \"%1\" gespeichert werden (76 : Pfad nicht gefunden); "
            "die Datei bleibt, wie sie war.\n");
        row("--export, damaged table", "--export", "alt.nxd", "die alte Liste\r\n", "damaged", 1,
            damaged);
        row("--scan, a folder for the lock", "--scan", "", QByteArray(), "lock folder", 1,
            "Natalix kann nicht feststellen, ob es mit diesem Datenordner bereits läuft: Die "
            "Sperrdatei \"%2/natalix.lock\" lässt sich nicht öffnen (Is a directory).\n");
    }

    void refusedCommandsChangeNothing() {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QString, machine);
        QFETCH(int, code);
        QFETCH(QString, err);
        ProgramWorld w;
        std::vector<Record> list = people(3);
        if (machine == u"last number")
            list.push_back(makeRecord(std::numeric_limits<int>::max(), "Letzte", 1990, 1, 1));
        QVERIFY(w.fill(list));
        const DataDir dir{w.data(), true};
        const QString path = w.file(file);
        if (!before.isNull())
            QVERIFY(writeFileBytes(path, before));
        if (machine == u"damaged")
            QVERIFY(writeFileBytes(dir.databasePath(), QByteArray(16384, 'Z')));
        if (machine == u"lock folder")
            QVERIFY(QFile::remove(dir.file("natalix.lock")) &&
                    QDir().mkdir(dir.file("natalix.lock")));
        InstanceLock window(dir);
        QVERIFY(machine != u"window" || window.tryLock());
        const QMap<QString, QByteArray> files = w.files();
        const QByteArray table = readFileBytes(dir.databasePath());
        const RunResult r =
            w.run(file.isEmpty() ? QStringList{command} : QStringList{command, path});
        QVERIFY(r.finished);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(QString::fromUtf8(r.err), err.replace("%1", path).replace("%2", w.data()));
        QCOMPARE(w.files(), files);
        QCOMPARE(readFileBytes(dir.databasePath()), table);
        QCOMPARE(SettingsStore(dir).value(QStringLiteral("filename")), w.file("liste.nxd"));
    }

    // Only a live instance holds the lock, whatever an old lock file holds; a link planted in
    // its place leads nowhere. (An empty one: the window's start below; one that cannot be
    // judged: the table above.)
    void instanceLock_data() {
        QTest::addColumn<QByteArray>("before"); // at the lock's place: bytes, "link", "held"
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<int>("state");
        using S = InstanceLock::State;
        QTest::newRow("none") << QByteArray() << qint64(-1) << int(S::Acquired);
        QTest::newRow("a dead owner's, full disk")
            << QByteArray("999999\nnatalix\nhost\n") << qint64(0) << int(S::Acquired);
        QTest::newRow("a planted link") << QByteArray("link") << qint64(-1) << int(S::Acquired);
        QTest::newRow("held by another") << QByteArray("held") << qint64(-1) << int(S::HeldByOther);
    }
    void instanceLock() {
        QFETCH(QByteArray, before);
        QFETCH(qint64, limit);
        QFETCH(int, state);
        TempDataDir d;
        const DataDir dir{d.path(), true};
        const QString path = dir.file(QStringLiteral("natalix.lock"));
        QVERIFY(writeFileBytes(d.file("fremd.txt"), secret));
        InstanceLock other(dir);
        if (before == "link")
            QVERIFY(QFile::link(d.file("fremd.txt"), path));
        else if (before == "held")
            QVERIFY(other.tryLock());
        else if (!before.isNull())
            QVERIFY(writeFileBytes(path, before));
        std::optional<FileSizeLimit> full;
        if (limit >= 0)
            full.emplace(limit);
        InstanceLock lock(dir);
        QCOMPARE(int(lock.acquire()), state);
        full.reset();
        QCOMPARE(readFileBytes(d.file("fremd.txt")), secret);
        if (state == int(InstanceLock::State::Acquired)) {
            // A regular file, the owner's only when made new.
            QVERIFY(S_ISREG(modeOf(path)) && (!before.isNull() || (modeOf(path) & 0777) == 0600));
            QCOMPARE(readFileBytes(path), limit < 0 ? QByteArray::number(::getpid()) + '\n' : "");
        }
    }

    // A damaged file (anywhere in its pages), another program's or a link: refused, never
    // taken for a shorter list, not a byte written. A daily backup checks the pages once the
    // week of the last check is over, and copies no damaged file.
    void badDatabaseIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("file");    // a damage, SQL for another program's, or "link"
        QTest::addColumn<int>("checkedDaysAgo"); // -1: opened; else a daily backup
        QTest::addColumn<QString>("message");    // empty: nothing found
        const QString damaged = QStringLiteral("ist beschädigt");
        for (const char* damage : {"page 2", "page 20", "last page", "half", "garbage", "cells"})
            QTest::newRow(damage) << QByteArray(damage) << -1 << damaged;
        QTest::newRow("backup, checked seven days ago") << QByteArray("cells") << 7 << "";
        QTest::newRow("backup, checked eight days ago") << QByteArray("cells") << 8 << damaged;
        const QString foreign = QStringLiteral("ist keine Natalix-Datenbank");
        QTest::newRow("another program's tables")
            << QByteArray("CREATE TABLE kunden (id, name)") << -1 << foreign;
        QTest::newRow("wrong fields")
            << QByteArray("CREATE TABLE Geburtstage (Name TEXT)") << -1 << foreign;
        QTest::newRow("a view of that name")
            << QByteArray("CREATE TABLE t (a); CREATE VIEW Geburtstage AS SELECT * FROM t") << -1
            << foreign;
        QTest::newRow("a link") << QByteArray("link") << -1
                                << QStringLiteral("ist eine symbolische Verknüpfung");
    }
    void badDatabaseIsLeftAlone() {
        QFETCH(QByteArray, file);
        QFETCH(int, checkedDaysAgo);
        QFETCH(QString, message);
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QByteArray bytes;
        if (file.startsWith("CREATE")) {
            bytes = sqliteFile(db, file.constData());
        } else {
            const QString sound = file == "link" ? d.file("woanders.db") : db;
            QVERIFY(
                TableStore::openChecked(sound, Record(), today).store->replaceAll(people(2000)));
            bytes =
                file == "link" ? readFileBytes(sound) : damagedDatabase(readFileBytes(db), file);
            QVERIFY(file == "link" ? QFile::link(sound, db)
                                   : !bytes.isEmpty() && writeFileBytes(db, bytes));
        }
        QString found;
        if (checkedDaysAgo < 0) {
            const TableStore::Opened o = TableStore::openChecked(db, Record(), today);
            QVERIFY(!o.store);
            found = o.message;
        } else {
            // Opened on the day of its check, the program runs on.
            const QDate checked = today.addDays(-checkedDaysAgo);
            QVERIFY(writeStamp(db, {*readDatabaseState(db), checked}));
            const auto store = TableStore::openChecked(db, Record(), checked).store;
            QVERIFY(store && makeDailyBackup(*store, d.path(), today, &found) == message.isEmpty());
            QCOMPARE(QFileInfo::exists(backupFolder(d.path()) + "/Geburtstage-2025-03-07.db"),
                     message.isEmpty());
        }
        QVERIFY2(message.isEmpty() ? found.isEmpty() : found.contains(message), qPrintable(found));
        QCOMPARE(readFileBytes(db), bytes);
    }

    // The stamp beside the database spares the check of the pages only while it matches the
    // file exactly and its check is at most a week old. Each commit of the program on
    // a file it saw sound renews it, readable by the owner alone; a write by anybody else
    // since, even one at once after our commit or with its time put back, voids it.
    void stampVouches_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("vouches");
        QTest::newRow("own commit") << "" << true;
        QTest::newRow("checked seven days ago") << "checked -7" << true;
        QTest::newRow("checked eight days ago") << "checked -8" << false;
        QTest::newRow("checked tomorrow") << "checked 1" << false;
        QTest::newRow("a journal beside") << "-journal" << false;
        QTest::newRow("a write-ahead log beside") << "-wal" << false;
        QTest::newRow("rewritten") << "rewritten" << false;
        QTest::newRow("rewritten, mtime put back") << "rewritten mtime" << false;
        QTest::newRow("rewritten at once after a commit") << "rewritten at once" << false;
        QTest::newRow("another program's commit, then ours") << "foreign" << false;
        for (const char* field :
             {"dev", "ino", "size", "mtime", "ctime", "h24", "h28", "h40", "h92", "h96"})
            QTest::addRow("stamp field %s one off", field)
                << QStringLiteral("field ") + field << false;
    }
    void stampVouches() {
        QFETCH(QString, change);
        QFETCH(bool, vouches);
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QVERIFY(TableStore::openChecked(db, makeRecord(1, "Anna", 1980, 3, 7), today).store);
        auto store = TableStore::openChecked(db, Record(), today).store;
        QVERIFY(store && store->insert(makeRecord(2, "Berta", 1990, 1, 1)));
        QVERIFY(vouchingStamp(db, today));
        QCOMPARE(modeOf(stampPath(db)) & 0777, mode_t(0600));
        struct stat sound;
        QCOMPARE(::stat(QFile::encodeName(db).constData(), &sound), 0);
        if (change == u"foreign") {
            sqliteFile(db, "INSERT INTO Geburtstage (Nummer, Name) VALUES (3, 'Fremd')");
            QVERIFY(store->insert(makeRecord(4, "Carla", 1990, 1, 1)));
        }
        if (change == u"rewritten at once")
            QVERIFY(store->insert(makeRecord(5, "Dora", 1990, 1, 1)));
        else
            store.reset();
        if (change.startsWith(u"rewritten"))
            QVERIFY(writeFileBytes(db, readFileBytes(db)));
        store.reset();
        if (change == u"rewritten mtime") {
            const timespec times[2] = {sound.st_atim, sound.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(db).constData(), times, 0), 0);
        }
        if (change.startsWith(u"checked"))
            QVERIFY(writeStamp(db, {*readDatabaseState(db), today.addDays(change.mid(8).toInt())}));
        if (change.startsWith(u'-'))
            QVERIFY(writeFileBytes(db + change, QByteArray()));
        if (change.startsWith(u"field ")) {
            QByteArray text = readFileBytes(stampPath(db));
            const QByteArray key = ' ' + change.mid(6).toLatin1() + '=';
            const qsizetype from = text.indexOf(key) + key.size();
            QVERIFY(from >= key.size());
            const qsizetype to =
                text.indexOf(' ', from) < 0 ? text.size() - 1 : text.indexOf(' ', from);
            text.replace(from, to - from,
                         QByteArray::number(text.mid(from, to - from).toLongLong() + 1));
            QVERIFY(writeFileBytes(stampPath(db), text));
        }
        QCOMPARE(bool(vouchingStamp(db, today)), vouches);
    }

    // The newest seven daily backups are kept, one a day, private. The window offers the
    // newest sound one for a damaged database, keeps the damaged file aside, or ends.
    void damagedDatabaseOffersTheBackup_data() {
        QTest::addColumn<int>("answer"); // 0: no backup, no question
        QTest::newRow("restore") << answer::yes;
        QTest::newRow("end") << answer::no;
        QTest::newRow("no backup") << 0;
    }
    void damagedDatabaseOffersTheBackup() {
        QFETCH(int, answer);
        TempDataDir d;
        const DataDir dir{d.path(), true};
        const QString db = dir.databasePath();
        auto made = TableStore::openChecked(db, Record()).store;
        QVERIFY(made && made->replaceAll(people(2000)));
        if (answer) {
            for (QDate day(2026, 11, 29); day <= QDate(2026, 12, 6); day = day.addDays(1))
                QVERIFY(makeDailyBackup(*made, dir.path, day));
            // Later that day the list changes: the day's copy keeps the morning's.
            QVERIFY(made->insert(makeRecord(9999, QStringLiteral("Neu"), 2000, 1, 1)));
            QVERIFY(makeDailyBackup(*made, dir.path, QDate(2026, 12, 6)));
            const std::vector<Backup> kept = usableBackups(d.path());
            QCOMPARE(kept.size(), size_t(7));
            QCOMPARE(kept.back().date, QDate(2026, 11, 30));
            QCOMPARE(modeOf(kept.front().path) & 0777, mode_t(0600));
            QCOMPARE(modeOf(backupFolder(d.path())) & 0777, mode_t(0700));
            // An unusable newer copy is passed over.
            QVERIFY(writeFileBytes(backupFolder(dir.path) + "/Geburtstage-2026-12-07.db", "x"));
        }
        made.reset();
        const QByteArray damaged = damagedDatabase(readFileBytes(db), QStringLiteral("page 20"));
        QVERIFY(writeFileBytes(db, damaged));
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
        QCOMPARE(readFileBytes(answer == answer::yes ? aside : db), damaged);
        QCOMPARE(QFileInfo::exists(aside), answer == answer::yes);
        if (store)
            QCOMPARE(Cursor(*store).recordCount(), 2000);
    }

    // Every mode finds the same folder below HOME, whatever the program is called, and under
    // the usual umask nobody but the owner can read the birthdays.
    void defaultDataFolderIsPrivate() {
        TempDataDir home;
        RunSetup s;
        s.home = home.path();
        s.umask = 022;
        s.program = home.file(QStringLiteral("geburtstags-erinnerer"));
        QVERIFY(QFile::link(QStringLiteral(NATALIX_BINARY), s.program));
        const QString list = home.file(QStringLiteral("liste.nxd"));
        QVERIFY(writeFileBytes(list, renderListFile(people(4))));
        // A folder an earlier version left open to everybody is closed.
        const QDir data(home.file(QStringLiteral(".local/share/NX/Natalix")));
        QVERIFY(QDir().mkpath(data.path()) &&
                ::chmod(QFile::encodeName(data.path()).constData(), 0755) == 0);
        QCOMPARE(runNatalix({QStringLiteral("--import"), list}, s).code, 0);
        QCOMPARE(modeOf(data.path()) & 0777, mode_t(0700));
        for (const char* name : {"Geburtstage.db", "natalix.ini", "natalix.lock"})
            QCOMPARE(modeOf(data.filePath(name)) & 0777, mode_t(0600));
        QVERIFY(
            !QFileInfo::exists(home.file(QStringLiteral(".local/share/geburtstags-erinnerer"))));
        // The window's settings store is where the command line put the list's name.
        const QString conf = home.file(QStringLiteral(".config/NX/Natalix.conf"));
        QCOMPARE(modeOf(conf) & 0777, mode_t(0600));
        QCOMPARE(
            SettingsStore::parseIni(readFileBytes(conf)).value(QStringLiteral("Global/filename")),
            list);
    }

    // The window starts over an empty lock and then holds it. A termination signal (a logout)
    // ends it at any stage within two seconds, with status 0 and the lock let go; the lines
    // of a reminder it showed stay open for its next start.
    void windowStartsOverAnEmptyLock_data() {
        QTest::addColumn<QString>("stage"); // what the window has done when the signal comes
        for (const char* stage : {"nothing", "module loaded", "lock taken", "reminder open"})
            QTest::newRow(stage) << stage;
    }
    void windowStartsOverAnEmptyLock() {
        QFETCH(QString, stage);
        ProgramWorld w;
        std::vector<Record> list = people(2);
        list.push_back(makeRecord(3, QStringLiteral("Anna Beispiel"), 1980, 3, 8));
        QVERIFY(w.fill(list));
        DataDir dir{w.data(), true};
        const QString lockFile = dir.file(QStringLiteral("natalix.lock"));
        QVERIFY(writeFileBytes(lockFile, QByteArray()));
        RunSetup s;
        s.home = w.home();
        s.holdTermination = true;
        s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-08T09:00:00"));
        // The sanitizer's search for leaks at the exit is not the program's time.
        s.env.insert(QStringLiteral("ASAN_OPTIONS"),
                     qEnvironmentVariable("ASAN_OPTIONS") + QStringLiteral(":detect_leaks=0"));
        QProcess window;
        startNatalix(window, {"/auto", "--datadir", dir.path}, s);
        QVERIFY(window.waitForStarted(10000));
        const QByteArray pid = QByteArray::number(window.processId());
        const auto openWindows = [&dir] {
            auto store = TableStore::openBeside(dir.databasePath(), true).store;
            return store ? OpenLines(*store).windows().size() : size_t(0);
        };
        // Watched from outside: a probe of the lock could take it before the window does.
        const auto reached = [&] {
            if (stage == u"module loaded")
                return readFileBytes("/proc/" + pid + "/maps").contains("natalix_window");
            if (stage == u"lock taken")
                return readFileBytes(lockFile).startsWith(pid + '\n');
            return stage != u"reminder open" || openWindows() == 1;
        };
        QVERIFY(QTest::qWaitFor(reached, 30000));
        window.terminate();
        QVERIFY(window.waitForFinished(2000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
        QCOMPARE(InstanceLock(dir).acquire(), InstanceLock::State::Acquired);
        QCOMPARE(openWindows(), size_t(stage == u"reminder open" ? 1 : 0));
    }

    // A full disk under the settings: reported, the old file and value kept.
    void fullDiskKeepsTheSettings() {
        TempDataDir d;
        DataDir dir{d.path(), true};
        SettingsStore settings(dir);
        QVERIFY(settings.setValue(QStringLiteral("filename"), QStringLiteral("/alt/liste.nxd")));
        const QByteArray ini = readFileBytes(dir.settingsPath());
        {
            FileSizeLimit full(0);
            QVERIFY(!settings.setValue(QStringLiteral("filename"), QString(300, u'x')));
        }
        QVERIFY(settings.lastError().contains(QStringLiteral("(61 : Datenträger voll)")));
        QCOMPARE(readFileBytes(dir.settingsPath()), ini);
        QCOMPARE(settings.value(QStringLiteral("filename")), QStringLiteral("/alt/liste.nxd"));
    }

    // Saving the default list over a link planted in the data folder: the link is replaced,
    // the file behind it untouched.
    void plantedDefaultListIsReplaced() {
        WindowHarness h(people(2));
        const QString victim = h.dataDir.file(QStringLiteral("fremd.txt"));
        QVERIFY(writeFileBytes(victim, secret));
        const QString planted = h.dir.defaultListPath();
        QVERIFY(QFile::link(victim, planted));
        h.state().dateinamemitpfad = planted;
        h.window().mnuDateispeichern->trigger();
        QCOMPARE(readFileBytes(victim), secret);
        QVERIFY(!QFileInfo(planted).isSymLink());
        QCOMPARE(readFileBytes(planted), renderListFile(people(2)));
        QVERIFY(h.services.allAnswered());
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
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
