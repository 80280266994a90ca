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

    // Each module is found beside the program (a build tree) or in the installed layout, and
    // loaded for its mode alone; without a usable one the mode says so and ends with status 1,
    // nothing of the data folder made.
    void modulesFoundOrRefused_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("moduleAt");       // relative to the program's folder, "" = none
        QTest::addColumn<QByteArray>("moduleBytes"); // empty: a copy of the real module
        const QString name = QFileInfo(module).fileName();
        const QString sync = QFileInfo(syncModule).fileName();
        QTest::newRow("window beside the program") << module << name << QByteArray();
        QTest::newRow("window, installed layout")
            << module << QDir::cleanPath(QStringLiteral(NATALIX_MODULE_DIR "/") + name)
            << QByteArray();
        QTest::newRow("window module missing") << module << QString() << QByteArray();
        QTest::newRow("window module damaged") << module << name
                                               << QByteArray("\x7f"
                                                             "ELF kaputt");
        QTest::newRow("sync beside the program") << syncModule << sync << QByteArray();
        QTest::newRow("sync module missing") << syncModule << QString() << QByteArray();
    }

    void modulesFoundOrRefused() {
        QFETCH(QString, module);
        QFETCH(QString, moduleAt);
        QFETCH(QByteArray, moduleBytes);
        const bool usable = !moduleAt.isEmpty() && moduleBytes.isEmpty();
        const bool window = module == ::module;
        TempDataDir dir;
        RunSetup s;
        s.home = dir.path();
        s.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        s.program = programCopy(dir.path(), module, moduleAt, moduleBytes);
        QVERIFY(!s.program.isEmpty());
        const QString data = dir.file("daten");
        QProcess p;
        // A server the sync refuses before any connection.
        startNatalix(p,
                     window ? QStringList{"/auto", "--datadir", data}
                            : QStringList{"--datadir", data, "--sync-contacts", "ftp://x.invalid/"},
                     s);
        if (window && usable) {
            const bool up = windowStarted(p, data);
            p.kill();
            p.waitForFinished();
            QVERIFY(up);
            return;
        }
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        const QString refused =
            QStringLiteral("%1 kann nicht gestartet werden: Das Modul \"%2\" fehlt oder ist "
                           "beschädigt (")
                .arg(window ? QStringLiteral("Das Fenster von Natalix")
                            : QStringLiteral("Der Abgleich"),
                     QFileInfo(module).fileName());
        QVERIFY2(QString::fromLocal8Bit(err).contains(refused) == !usable, err);
        QCOMPARE(loaded(err, "libQt6Network"), usable);
        QVERIFY(!loaded(err, "libQt6Widgets"));
        QVERIFY(!QFileInfo::exists(data));
    }
};

QTEST_GUILESS_MAIN(TestProgramParts)
#include "test_programparts.moc"
