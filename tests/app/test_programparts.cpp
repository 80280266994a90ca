// The program in its parts: `natalix` with Qt Core and SQLite only, the window and the sync in
// modules that it loads for them alone.
#include "listfile/listfile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <sqlite3.h>

using natalix::test::readFileBytes;
using natalix::test::TempDataDir;

namespace {

const QString program = QStringLiteral(NATALIX_BINARY);
const QString module = QStringLiteral(NATALIX_WINDOW_MODULE_PATH);
const QString syncModule = QStringLiteral(NATALIX_SYNC_MODULE_PATH);

QProcessEnvironment cleanEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        env.insert(QString::fromLatin1(name), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
    env.remove(QStringLiteral("NATALIX_DATADIR"));
    return env;
}

// The libraries the window needs and a command-line mode must never load.
const QStringList windowOnly{"libQt6Gui",  "libQt6Widgets", "libQt6PrintSupport",
                             "libQt6DBus", "libX11",        "natalix_window"};

// The markers of the first row: set once the window's first scan has given its reminder.
int firstMarker(const QString& database) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    int marker = 0;
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT E1 + E2 + E3 FROM Geburtstage", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        marker = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return marker;
}

bool copyExecutable(const QString& from, const QString& to) {
    return QDir().mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to) &&
           QFile::setPermissions(to, QFile::permissions(from));
}

// True once the process holds the lock of its data folder with the module mapped, i.e. the
// window part is up and running.
bool windowStarted(QProcess& p, const QString& dataDir) {
    const QString maps = QStringLiteral("/proc/%1/maps").arg(p.processId());
    const QByteArray pid = QByteArray::number(p.processId());
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 && p.state() == QProcess::Running) {
        const QByteArray lock = readFileBytes(QDir(dataDir).filePath("natalix.lock"));
        const QByteArray mapped = readFileBytes(maps);
        if (lock.startsWith(pid + '\n') && mapped.contains("natalix_window") &&
            mapped.contains("libQt6Widgets"))
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestProgramParts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
#ifndef Q_OS_LINUX
        QSKIP("The loaded libraries are read from the Linux loader and /proc.");
#endif
    }

    // Every command-line mode runs with the dynamic loader reporting each file it loads.
    void commandLineLoadsNoWindowLibrary_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("scan") << QStringList{"--scan"} << 0;
        QTest::newRow("export") << QStringList{"--export", "liste.nxd"} << 0;
        QTest::newRow("import of a missing file") << QStringList{"--import", "fehlt.nxd"} << 1;
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("unknown option") << QStringList{"--fenster"} << 1;
    }

    void commandLineLoadsNoWindowLibrary() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        TempDataDir dir;
        QProcessEnvironment env = cleanEnvironment(dir.path());
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(program, QStringList{"--datadir", dir.file("daten")} + args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), code);
        const QString loaded = QString::fromLocal8Bit(p.readAllStandardError());
        // The trace is there: Qt Core and SQLite are loaded.
        QVERIFY2(loaded.contains(QRegularExpression("file=\\S*libQt6Core")), qPrintable(loaded));
        QVERIFY(loaded.contains(QRegularExpression("file=\\S*libsqlite3")));
        for (const QString& name : windowOnly)
            QVERIFY2(!loaded.contains(QRegularExpression("file=\\S*" + name)), qPrintable(name));
    }

    // The sync alone loads Qt Network, through its module; without the module it says so.
    void syncThroughItsModule_data() {
        QTest::addColumn<bool>("withModule");
        QTest::newRow("module beside the program") << true;
        QTest::newRow("module missing") << false;
    }

    void syncThroughItsModule() {
        QFETCH(bool, withModule);
        TempDataDir dir;
        const QString bin = dir.file("bin/natalix");
        QVERIFY(copyExecutable(program, bin));
        if (withModule)
            QVERIFY(
                copyExecutable(syncModule, dir.file("bin/" + QFileInfo(syncModule).fileName())));
        QProcessEnvironment env = cleanEnvironment(dir.path());
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        QProcess p;
        p.setProcessEnvironment(env);
        // A server the sync refuses before any connection.
        p.start(bin, {"--datadir", dir.file("daten"), "--sync-contacts", "ftp://example.invalid/"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        const QString refused = QStringLiteral("Der Abgleich kann nicht gestartet werden: Das "
                                               "Modul \"%1\" fehlt oder ist beschädigt (")
                                    .arg(QFileInfo(syncModule).fileName());
        QCOMPARE(err.contains(refused), !withModule);
        QCOMPARE(err.contains(QRegularExpression("file=\\S*libQt6Network")), withModule);
        QVERIFY(!err.contains(QRegularExpression("file=\\S*libQt6Widgets")));
    }

    // The hidden window maps the network and the keyring only for an account: once its first
    // day's sync and scan are over (the scan marks today's reminder), they are there or not.
    void syncPartOnlyForAnAccount_data() {
        QTest::addColumn<QByteArray>("account");
        QTest::newRow("no account") << QByteArray();
        // Nobody listens there: the sync fails at once and the scan follows.
        QTest::newRow("an account")
            << QByteArray("[Abgleich]\nadressbuch=\"http://127.0.0.1:9/\"\n");
    }
    void syncPartOnlyForAnAccount() {
        QFETCH(QByteArray, account);
        TempDataDir dir;
        const QString data = dir.file("daten");
        QVERIFY(natalix::test::writeFileBytes(
            dir.file("liste.nxd"),
            natalix::renderListFile({natalix::test::makeRecord(1, "Anna", 1980, 3, 7)})));
        QProcessEnvironment env = cleanEnvironment(dir.path());
        // No keyring to ask: it answers "none" at once.
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {"--datadir", data, "--import", dir.file("liste.nxd")});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        QFile settings(QDir(data).filePath("NX.ini"));
        QVERIFY(settings.open(QIODevice::Append) && settings.write("\n" + account) >= 1);
        settings.close();
        p.start(program, {"/auto", "--datadir", data});
        QVERIFY(p.waitForStarted() && windowStarted(p, data));
        QElapsedTimer t;
        t.start();
        while (firstMarker(QDir(data).filePath("Geburtstage.db")) == 0 && t.elapsed() < 30000)
            QTest::qWait(50);
        const QByteArray maps = readFileBytes(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        p.kill();
        p.waitForFinished();
        QVERIFY2(t.elapsed() < 30000, "no scan");
        for (const char* library : {"libQt6Network", "libqt6keychain", "natalix_syncwindow"})
            QVERIFY2(maps.contains(library) == !account.isEmpty(), library);
    }

    // The window finds its module beside the program (a build tree) or in the installed
    // layout; without a usable module it says so and ends with status 1.
    void windowStartsThroughTheModule_data() {
        QTest::addColumn<QString>("moduleAt");       // relative to the program's folder, "" = none
        QTest::addColumn<QByteArray>("moduleBytes"); // empty: a copy of the real module
        QTest::addColumn<bool>("starts");
        const QString name = QFileInfo(module).fileName();
        const QString installed = QStringLiteral(NATALIX_MODULE_DIR);
        QTest::newRow("beside the program") << name << QByteArray() << true;
        QTest::newRow("installed layout")
            << QDir::cleanPath(installed + u'/' + name) << QByteArray() << true;
        QTest::newRow("missing") << QString() << QByteArray() << false;
        QTest::newRow("damaged") << name
                                 << QByteArray("\x7f"
                                               "ELF kaputt")
                                 << false;
    }

    void windowStartsThroughTheModule() {
        QFETCH(QString, moduleAt);
        QFETCH(QByteArray, moduleBytes);
        QFETCH(bool, starts);
        TempDataDir dir;
        const QString bin = dir.file("bin/natalix");
        QVERIFY(copyExecutable(program, bin));
        if (!moduleAt.isEmpty()) {
            const QString target = QDir(dir.file("bin")).filePath(moduleAt);
            if (moduleBytes.isEmpty())
                QVERIFY(copyExecutable(module, target));
            else
                QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()) &&
                        natalix::test::writeFileBytes(target, moduleBytes));
        }
        const QString data = dir.file("daten");
        QProcess p;
        p.setProcessEnvironment(cleanEnvironment(dir.path()));
        p.start(bin, {"/auto", "--datadir", data});
        QVERIFY(p.waitForStarted());
        if (starts) {
            const bool up = windowStarted(p, data);
            p.kill();
            p.waitForFinished();
            QVERIFY2(up, p.readAllStandardError().constData());
            return;
        }
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("Das Fenster von Natalix kann nicht gestartet "
                                               "werden: Das Modul \"%1\" fehlt oder ist "
                                               "beschädigt (")
                                    .arg(QFileInfo(module).fileName())),
                 qPrintable(err));
        // Nothing of the data folder was created or locked.
        QVERIFY(!QFileInfo::exists(data));
    }
};

QTEST_GUILESS_MAIN(TestProgramParts)
#include "test_programparts.moc"
