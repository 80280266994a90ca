// The program in its parts: `natalix` with Qt Core and SQLite only, the window and the sync in
// modules that it loads for them alone; and what each command line prints and stores. What a
// refused command leaves alone is tabled in the fault suite.
#include "app/datadir.h"
#include "listfile/listfile.h"
#include "support/processes.h"
#include "table/cursor.h"

#include <QRegularExpression>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString module = QStringLiteral(NATALIX_WINDOW_MODULE_PATH);
const QString syncModule = QStringLiteral(NATALIX_SYNC_MODULE_PATH);

// Whether the dynamic loader's trace (LD_DEBUG=files) names a file matching `name`.
bool loaded(const QByteArray& trace, const QString& name) {
    return QString::fromLocal8Bit(trace).contains(QRegularExpression("file=\\S*" + name));
}

// A copy of the program in bin/ below `home`, with `moduleFile` at `moduleAt` (relative to
// bin/; empty: none), or there the given bytes.
QString programCopy(const QString& home, const QString& moduleFile, const QString& moduleAt,
                    const QByteArray& moduleBytes) {
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

// True once the process holds the lock of its data folder with the window's module and the
// widgets mapped.
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
    // Imported out of order, exported by number, the list's name kept absolute. Export and
    // scan only read, so they run beside the window: the scan prints what the window has not
    // given yet and leaves the marking to it; alone it prints each line once. Contacts are
    // appended after the highest number, the year unknown. The window's part stays unloaded.
    void commandsOnAList() {
        Record weekAhead = makeRecord(2, QStringLiteral("Jürgen Groß"), 1990, 3, 10);
        weekAhead.erinnerung = {"1 Woche vorher", "Keine Erinnerung", "Keine Erinnerung"};
        std::vector<Record> list{makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                                 weekAhead,
                                 makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15)};
        ProgramWorld w;
        QVERIFY(w.fill({list[2], list[0], list[1]}));
        QCOMPARE(SettingsStore(DataDir{w.data(), true}).value(QStringLiteral("filename")),
                 w.file(QStringLiteral("liste.nxd")));
        const QByteArray due("Anna Beispiel wird heute 45 Jahre alt ...\n"
                             "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");
        {
            InstanceLock window(DataDir{w.data(), true});
            QCOMPARE(window.acquire(), InstanceLock::State::Acquired);
            QCOMPARE(w.exported(), renderListFile(list));
            RunSetup traced;
            traced.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
            traced.env.insert(QStringLiteral("LD_DEBUG_OUTPUT"), w.file(QStringLiteral("geladen")));
            const RunResult scan = w.run({QStringLiteral("--scan")}, traced);
            QVERIFY2(scan.code == 0 && scan.err.isEmpty(), scan.err);
            QCOMPARE(scan.out, due);
            QByteArray trace;
            for (const QString& name : QDir(w.home()).entryList({QStringLiteral("geladen.*")}))
                trace += readFileBytes(w.file(name));
            QVERIFY(loaded(trace, "libQt6Core") && loaded(trace, "libsqlite3"));
            for (const char* name : {"libQt6Gui", "libQt6Widgets", "libQt6DBus", "natalix_window"})
                QVERIFY2(!loaded(trace, name), name);
        }
        QCOMPARE(w.run({QStringLiteral("--scan")}).out, due);
        QCOMPARE(w.run({QStringLiteral("--scan")}).out, QByteArray());

        const QString vcf = w.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Beispiel\r\n"
                                    "BDAY:--0307\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "FN:Ohne Jahr\r\nBDAY:--0308\r\nEND:VCARD\r\n"));
        const RunResult r = w.run({QStringLiteral("--import-contacts"), vcf});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(QString::fromUtf8(r.out),
                 QStringLiteral("1 Geburtstage übernommen, 1 schon in der Liste, 0 ohne lesbares "
                                "Geburtsdatum\n"));
        list.push_back(makeRecord(6, QStringLiteral("Ohne Jahr"), 0, 3, 8));
        QCOMPARE(w.exported(), renderListFile(list));
    }

    // Options that need no data: none of them opens the table.
    void optionsWithoutData_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // patterns for stdout and stderr
        QTest::addColumn<QString>("err");
        auto refused = [](const char* name, const QStringList& args, const char* err) {
            QTest::newRow(name) << args << 1 << "^$" << QString::fromUtf8(err);
        };
        QTest::newRow("-h") << QStringList{"-h"} << 0 << R"(^Aufruf: natalix \[/auto\])"
                            << "^$";
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << R"(^Natalix \d+\.\d+\.\d+\n$)"
            << "^$";
        refused("unknown option", {"--frobnicate"},
                R"(^Unbekannte Option: --frobnicate\n\nAufruf:)");
        refused("path missing", {"--import"}, R"(^Nach --import fehlt der Pfad\.)");
        refused("two commands", {"--scan", "--export", "x.nxd"},
                R"(^Bitte nur einen Befehl auf einmal angeben\.)");
        refused("address missing", {"--sync-contacts"},
                R"(^Nach --sync-contacts fehlt die Adresse\.)");
        refused("not a web address", {"--sync-calendar", "ftp://127.0.0.1/k/"},
                "^\"ftp://127\\.0\\.0\\.1/k/\" ist keine http- oder https-Adresse\\.\n$");
        refused("removals without a contacts sync",
                {"--sync-calendar", "http://127.0.0.1/", "--allow-removals"},
                R"(^--allow-removals gilt nur zusammen mit --sync-contacts\.)");
    }
    void optionsWithoutData() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        ProgramWorld w;
        const RunResult r = w.run(args);
        QCOMPARE(r.code, code);
        QVERIFY2(QRegularExpression(out).match(QString::fromUtf8(r.out)).hasMatch(), r.out);
        QVERIFY2(QRegularExpression(err).match(QString::fromUtf8(r.err)).hasMatch(), r.err);
        QVERIFY(!QFileInfo::exists(QDir(w.data()).filePath(QStringLiteral("Geburtstage.db"))));
    }

    // Each module is found beside the program (the build's own) or in the installed layout,
    // and loaded for its mode alone: the hidden window maps the network and the keyring only
    // for an account, once its first day's sync and scan are over (the scan marks today's
    // reminder). Without a usable module the mode says so and ends with status 1, nothing of
    // the data folder made.
    void modulesFoundOrRefused_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("moduleAt");       // in a copy's folder; "-": none; "": no copy
        QTest::addColumn<QByteArray>("moduleBytes"); // empty: a copy of the real module
        QTest::addColumn<QByteArray>("account");
        const QString name = QFileInfo(module).fileName();
        const QString installed = QDir::cleanPath(QStringLiteral(NATALIX_MODULE_DIR "/") + name);
        const QString sync = QFileInfo(syncModule).fileName();
        const QByteArray none;
        // Nobody listens there: the sync fails at once and the scan follows.
        const QByteArray account("[Abgleich]\nadressbuch=\"http://127.0.0.1:9/\"\n");
        QTest::newRow("window beside the program") << module << "" << none << none;
        QTest::newRow("window with an account") << module << "" << none << account;
        QTest::newRow("window, installed layout") << module << installed << none << none;
        QTest::newRow("window module missing") << module << "-" << none << none;
        QTest::newRow("window module damaged") << module << name << QByteArray("\x7f ELF") << none;
        QTest::newRow("sync beside the program") << syncModule << sync << none << none;
        QTest::newRow("sync module missing") << syncModule << "-" << none << none;
    }
    void modulesFoundOrRefused() {
        QFETCH(QString, module);
        QFETCH(QString, moduleAt);
        QFETCH(QByteArray, moduleBytes);
        QFETCH(QByteArray, account);
        const bool usable = moduleAt != u"-" && moduleBytes.isEmpty();
        const bool window = module == ::module;
        ProgramWorld w;
        QVERIFY(w.fill({makeRecord(1, "Anna", 1980, 3, 7)}));
        QFile settings(QDir(w.data()).filePath("NX.ini"));
        QVERIFY(settings.open(QIODevice::Append) && settings.write("\n" + account) >= 1);
        settings.close();
        RunSetup s;
        s.home = w.home();
        s.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
        // No keyring to ask: it answers "none" at once.
        s.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString());
        if (!moduleAt.isEmpty()) {
            s.program =
                programCopy(w.home(), module, moduleAt == u"-" ? QString() : moduleAt, moduleBytes);
            QVERIFY(!s.program.isEmpty());
        }
        const QString data = window && usable ? w.data() : w.file("neu");
        QProcess p;
        // A server the sync refuses before any connection.
        startNatalix(p,
                     window ? QStringList{"/auto", "--datadir", data}
                            : QStringList{"--datadir", data, "--sync-contacts", "ftp://x.invalid/"},
                     s);
        if (window && usable) {
            QVERIFY(windowStarted(p, data));
            const auto reminded = [&] {
                const auto store = TableStore::openBeside(data + "/Geburtstage.db", true).store;
                return store && Cursor(*store).snapshot().front().marker != std::array<int, 3>{};
            };
            const bool scanned = QTest::qWaitFor(reminded, 30000);
            const QByteArray maps =
                readFileBytes(QStringLiteral("/proc/%1/maps").arg(p.processId()));
            p.kill();
            p.waitForFinished();
            QVERIFY2(scanned, "no scan");
            for (const char* library : {"libQt6Network", "libqt6keychain", "natalix_syncwindow"})
                QVERIFY2(maps.contains(library) == !account.isEmpty(), library);
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
