// The command line on a list of its own: what each command prints and stores. What a refused
// command leaves alone is tabled in the fault suite.
#include "app/datadir.h"
#include "listfile/listfile.h"
#include "support/processes.h"

#include <QRegularExpression>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QStringList onTheDay{"Keine Erinnerung", "Keine Erinnerung", "Am Tage des Geburtstages",
                           "1. Geburtstag", "jährlich"};
const QStringList weekAhead{"1 Woche vorher", "Keine Erinnerung", "Keine Erinnerung",
                            "1. Geburtstag", "jährlich"};
const QStringList listEnds{"3 Monate vorher", "4 Wochen vorher", "Keine Erinnerung",
                           "125. Geburtstag", "alle 100 Jahre"};

// A record with the usual reminders, or with the three reminders, start and cycle given.
Record person(int nummer, const char* name, int jahr, int monat, int tag,
              const QStringList& settings = {}) {
    Record r = makeRecord(nummer, QString::fromUtf8(name), jahr, monat, tag);
    if (!settings.isEmpty()) {
        r.erinnerung = {settings[0], settings[1], settings[2]};
        r.erinnerungsbeginn = settings[3];
        r.erinnerungszyklus = settings[4];
    }
    return r;
}

const std::vector<Record> marchList{person(1, "Anna Beispiel", 1980, 3, 7),
                                    person(2, "Jürgen Groß", 1990, 3, 10, weekAhead),
                                    person(5, "Sommer Kind", 1970, 7, 15, onTheDay)};

// What a scan of marchList prints on 7 March 2025, when nothing was given before.
const QByteArray dueOnSeventh("Anna Beispiel wird heute 45 Jahre alt ...\n"
                              "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // Gaps in the numbers, blanks, umlauts, no year, the ends of the lists: imported out of
    // order, exported by number, byte for byte; the list's name is kept absolute.
    void importedListIsExportedByNumber() {
        ProgramWorld w;
        std::vector<Record> list{person(1000, "Zoë", 1880, 12, 31, onTheDay),
                                 person(4, " ", 1900, 1, 1, weekAhead),
                                 person(21, "Ohne Jahr", 0, 2, 29),
                                 person(17, "Jürgen Groß-Öztürk", 2000, 2, 29, listEnds),
                                 person(1, "Anna Beispiel", 1980, 3, 7)};
        QVERIFY(w.fill(list));
        QCOMPARE(SettingsStore(DataDir{w.data(), true}).value(QStringLiteral("filename")),
                 w.file(QStringLiteral("liste.nxd")));
        std::sort(list.begin(), list.end(),
                  [](const Record& a, const Record& b) { return a.nummer < b.nummer; });
        QCOMPARE(w.exported(), renderListFile(list));
    }

    // Export and scan only read, so they run beside the window: the scan prints what the
    // window has not given yet and leaves the marking to it.
    void readingCommandsRunBesideTheWindow() {
        ProgramWorld w;
        QVERIFY(w.fill(marchList));
        {
            InstanceLock window(DataDir{w.data(), true});
            QCOMPARE(window.acquire(), InstanceLock::State::Acquired);
            QCOMPARE(w.exported(), renderListFile(marchList));
            const RunResult scan = w.run({QStringLiteral("--scan")});
            QVERIFY2(scan.code == 0 && scan.err.isEmpty(), scan.err);
            QCOMPARE(scan.out, dueOnSeventh);
        }
        QCOMPARE(w.run({QStringLiteral("--scan")}).out, dueOnSeventh);
    }

    void scanPrintsDueLinesOnce() {
        ProgramWorld w;
        QVERIFY(w.fill(marchList));
        const struct {
            const char* now;
            QByteArray out;
        } steps[] = {
            {"2025-01-15T09:00:00", ""},
            {"2025-03-06T09:00:00",
             "Anna Beispiel wird morgen 45 Jahre alt ...\n"
             "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n"},
            {"2025-03-06T18:30:00", ""},
            {"2025-03-07T00:00:05", "Anna Beispiel wird heute 45 Jahre alt ...\n"},
            {"2025-03-07T12:00:00", ""},
            {"2025-07-15T08:00:00", "Sommer Kind wird heute 55 Jahre alt ...\n"},
        };
        for (const auto& s : steps) {
            RunSetup at;
            at.env.insert(QStringLiteral("NATALIX_NOW"), QString::fromLatin1(s.now));
            const RunResult r = w.run({QStringLiteral("--scan")}, at);
            QVERIFY2(r.code == 0 && r.err.isEmpty(), r.err.constData());
            QVERIFY2(r.out == s.out, (QByteArray(s.now) + ": " + r.out).constData());
        }
        // Scanning marks reminders only; the list itself is as imported.
        QCOMPARE(w.exported(), renderListFile(marchList));
    }

    // Appended after the highest number, with the reminders of the options, the year unknown.
    void contactsAreAppended() {
        ProgramWorld w;
        QVERIFY(w.fill(marchList));
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
        std::vector<Record> after = marchList;
        after.push_back(person(6, "Ohne Jahr", 0, 3, 8));
        QCOMPARE(w.exported(), renderListFile(after));
    }

    void optionsWithoutData_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // patterns for stdout and stderr
        QTest::addColumn<QString>("err");
        const QString usage = QStringLiteral(R"(^Aufruf: natalix \[/auto\])");
        auto refused = [](const char* name, const QStringList& args, const char* err) {
            QTest::newRow(name) << args << 1 << "^$" << QString::fromUtf8(err);
        };
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << "^$";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << "^$";
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
