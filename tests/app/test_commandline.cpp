// The command line on a list of its own: what each command prints and stores. What a refused
// command leaves alone is tabled in the fault suite.
#include "app/datadir.h"
#include "listfile/listfile.h"
#include "support/processes.h"

#include <QRegularExpression>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // Imported out of order, exported by number, the list's name kept absolute. Export and
    // scan only read, so they run beside the window: the scan prints what the window has not
    // given yet and leaves the marking to it; alone it prints each line once. Contacts are
    // appended after the highest number, the year unknown. The window's part stays unloaded.
    void commandsOnAList() {
        Record weekAhead = makeRecord(2, QStringLiteral("Jürgen Groß"), 1990, 3, 10);
        weekAhead.erinnerung = {"1 Woche vorher", "Keine Erinnerung", "Keine Erinnerung"};
        std::vector<Record> list{makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15),
                                 makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                                 weekAhead};
        ProgramWorld w;
        QVERIFY(w.fill(list));
        QCOMPARE(SettingsStore(DataDir{w.data(), true}).value(QStringLiteral("filename")),
                 w.file(QStringLiteral("liste.nxd")));
        std::sort(list.begin(), list.end(),
                  [](const Record& a, const Record& b) { return a.nummer < b.nummer; });
        const QByteArray due("Anna Beispiel wird heute 45 Jahre alt ...\n"
                             "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");
        {
            InstanceLock window(DataDir{w.data(), true});
            QCOMPARE(window.acquire(), InstanceLock::State::Acquired);
            QCOMPARE(w.exported(), renderListFile(list));
            // The dynamic loader lists the files it loads: Qt Core and SQLite, nothing of a
            // window.
            RunSetup traced;
            traced.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
            traced.env.insert(QStringLiteral("LD_DEBUG_OUTPUT"), w.file(QStringLiteral("geladen")));
            const RunResult scan = w.run({QStringLiteral("--scan")}, traced);
            QVERIFY2(scan.code == 0 && scan.err.isEmpty(), scan.err);
            QCOMPARE(scan.out, due);
            QByteArray trace;
            for (const QString& name : QDir(w.home()).entryList({QStringLiteral("geladen.*")}))
                trace += readFileBytes(w.file(name));
            QVERIFY(trace.contains("file=libQt6Core") && trace.contains("file=libsqlite3"));
            for (const char* name : {"libQt6Gui", "libQt6Widgets", "libQt6DBus", "natalix_window"})
                QVERIFY2(!trace.contains(name), name);
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
        // None of these opens the table.
        QVERIFY(!QFileInfo::exists(QDir(w.data()).filePath(QStringLiteral("Geburtstage.db"))));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
