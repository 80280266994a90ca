// The program in its parts: `natalix` with Qt Core and SQLite only, the window and the sync in
// modules that it loads for them alone.
#include "listfile/listfile.h"
#include "support/processes.h"

#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString module = QStringLiteral(NATALIX_WINDOW_MODULE_PATH);
const QString syncModule = QStringLiteral(NATALIX_SYNC_MODULE_PATH);

// The files the dynamic loader reported loading (LD_DEBUG=files) that match `name`.
bool loaded(const QByteArray& trace, const QString& name) {
    return QString::fromLocal8Bit(trace).contains(QRegularExpression("file=\\S*" + name));
}

RunSetup tracing(const QString& home) {
    RunSetup s;
    s.home = home;
    s.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    return s;
}

// Set once the window's first scan has given the reminder of the only row.
bool reminded(const QString& database) {
    const auto store = TableStore::openBeside(database, true).store;
    return store && Cursor(*store).snapshot().front().marker != std::array<int, 3>{0, 0, 0};
}

// A copy of the program in bin/ below `home`, with `moduleFile` at `moduleAt` (relative to
// bin/; empty: none), or there the given bytes.
QString programCopy(const QString& home, const QString& moduleFile, const QString& moduleAt,
                    const QByteArray& moduleBytes = {}) {
    const QDir bin(home + QStringLiteral("/bin"));
    auto copy = [](const QString& from, const QString& to) {
        return QDir().mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to) &&
               QFile::setPermissions(to, QFile::permissions(from));
    };
    bool ok = copy(QStringLiteral(NATALIX_BINARY), bin.filePath(QStringLiteral("natalix")));
    const QString target = bin.filePath(moduleAt);
    if (!moduleAt.isEmpty())
        ok = ok && (moduleBytes.isEmpty() ? copy(moduleFile, target)
                                          : QDir().mkpath(QFileInfo(target).absolutePath()) &&
                                                writeFileBytes(target, moduleBytes));
    return ok ? bin.filePath(QStringLiteral("natalix")) : QString();
}

// True once the process holds the lock of its data folder with the module mapped, i.e. the
// window part is up and running.
bool windowStarted(QProcess& p, const QString& data) {
    if (!p.waitForStarted())
        return false;
    const QByteArray pid = QByteArray::number(p.processId());
    return QTest::qWaitFor(
               [&] {
                   const QByteArray maps = readFileBytes(QStringLiteral("/proc/%1/maps").arg(pid));
                   return p.state() != QProcess::Running ||
                          (readFileBytes(data + "/natalix.lock").startsWith(pid + '\n') &&
                           maps.contains("natalix_window") && maps.contains("libQt6Widgets"));
               },
               20000) &&
           p.state() == QProcess::Running;
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
        const RunResult r =
            runNatalix(QStringList{"--datadir", dir.file("daten")} + args, tracing(dir.path()));
        QCOMPARE(r.code, code);
        // The trace is there: Qt Core and SQLite are loaded.
        QVERIFY2(loaded(r.err, "libQt6Core") && loaded(r.err, "libsqlite3"), r.err);
        for (const char* name : {"libQt6Gui", "libQt6Widgets", "libQt6PrintSupport", "libQt6DBus",
                                 "libX11", "natalix_window"})
            QVERIFY2(!loaded(r.err, name), name);
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
        const QString name = QFileInfo(syncModule).fileName();
        RunSetup s = tracing(dir.path());
        s.program = programCopy(dir.path(), syncModule, withModule ? name : QString());
        QVERIFY(!s.program.isEmpty());
        // A server the sync refuses before any connection.
        const RunResult r = runNatalix(
            {"--datadir", dir.file("daten"), "--sync-contacts", "ftp://example.invalid/"}, s);
        QCOMPARE(r.code, 1);
        const QString refused = QStringLiteral("Der Abgleich kann nicht gestartet werden: Das "
                                               "Modul \"%1\" fehlt oder ist beschädigt (")
                                    .arg(name);
        QCOMPARE(QString::fromLocal8Bit(r.err).contains(refused), !withModule);
        QCOMPARE(loaded(r.err, "libQt6Network"), withModule);
        QVERIFY(!loaded(r.err, "libQt6Widgets"));
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
        ProgramWorld w;
        QVERIFY(w.fill({makeRecord(1, "Anna", 1980, 3, 7)}));
        QFile settings(QDir(w.data()).filePath("NX.ini"));
        QVERIFY(settings.open(QIODevice::Append) && settings.write("\n" + account) >= 1);
        settings.close();
        RunSetup s;
        s.home = w.home();
        s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
        // No keyring to ask: it answers "none" at once.
        s.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString());
        QProcess p;
        startNatalix(p, {"/auto", "--datadir", w.data()}, s);
        QVERIFY(windowStarted(p, w.data()));
        const bool scanned = QTest::qWaitFor(
            [&] { return reminded(QDir(w.data()).filePath("Geburtstage.db")); }, 30000);
        const QByteArray maps = readFileBytes(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        p.kill();
        p.waitForFinished();
        QVERIFY2(scanned, "no scan");
        for (const char* library : {"libQt6Network", "libqt6keychain", "natalix_syncwindow"})
            QVERIFY2(maps.contains(library) == !account.isEmpty(), library);
    }

    // The window finds its module beside the program (a build tree) or in the installed
    // layout; without a usable module it says so and ends with status 1.
    void windowStartsThroughTheModule_data() {
        QTest::addColumn<QString>("moduleAt");       // relative to the program's folder, "" = none
        QTest::addColumn<QByteArray>("moduleBytes"); // empty: a copy of the real module
        const QString name = QFileInfo(module).fileName();
        QTest::newRow("beside the program") << name << QByteArray();
        QTest::newRow("installed layout")
            << QDir::cleanPath(QStringLiteral(NATALIX_MODULE_DIR "/") + name) << QByteArray();
        QTest::newRow("missing") << QString() << QByteArray();
        QTest::newRow("damaged") << name
                                 << QByteArray("\x7f"
                                               "ELF kaputt");
    }

    void windowStartsThroughTheModule() {
        QFETCH(QString, moduleAt);
        QFETCH(QByteArray, moduleBytes);
        const bool starts = !moduleAt.isEmpty() && moduleBytes.isEmpty();
        TempDataDir dir;
        RunSetup s;
        s.home = dir.path();
        s.program = programCopy(dir.path(), module, moduleAt, moduleBytes);
        QVERIFY(!s.program.isEmpty());
        const QString data = dir.file("daten");
        QProcess p;
        startNatalix(p, {"/auto", "--datadir", data}, s);
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
