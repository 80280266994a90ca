#include "support/testsupport.h"

#include <QDirIterator>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

using natalix::test::readFileBytes;
using natalix::test::TempDataDir;
using natalix::test::writeFileBytes;

namespace {

struct Entry {
    int nummer;
    QString name;
    int jahr, monat, tag;
    QStringList settings; // the three reminders, start and cycle
};

const QStringList usual{"1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages",
                        "1. Geburtstag", "jährlich"};
const QStringList onTheDay{"Keine Erinnerung", "Keine Erinnerung", "Am Tage des Geburtstages",
                           "1. Geburtstag", "jährlich"};
const QStringList weekAhead{"1 Woche vorher", "Keine Erinnerung", "Keine Erinnerung",
                            "1. Geburtstag", "jährlich"};
const QStringList listEnds{"3 Monate vorher", "4 Wochen vorher", "Keine Erinnerung",
                           "125. Geburtstag", "alle 100 Jahre"};

// A list file as the program writes it. Every text here is Latin-1, which Windows-1252 encodes
// byte for byte the same.
QByteArray listFile(const QList<Entry>& entries) {
    QByteArray out;
    auto line = [&](const QString& s) { out += s.toLatin1() + "\r\n"; };
    auto number = [&](int n) { line(u' ' + QString::number(n) + u' '); };
    number(entries.size());
    for (const Entry& e : entries) {
        number(e.nummer);
        line(e.name);
        for (int n : {e.jahr, e.monat, e.tag})
            number(n);
        for (const QString& s : e.settings)
            line(s);
    }
    return out;
}

const QList<Entry> marchList{{1, "Anna Beispiel", 1980, 3, 7, usual},
                             {2, "Jürgen Groß", 1990, 3, 10, weekAhead},
                             {5, "Sommer Kind", 1970, 7, 15, onTheDay}};

// What a scan of marchList prints on 7 March 2025, when nothing was given before.
const QByteArray dueOnSeventh("Anna Beispiel wird heute 45 Jahre alt ...\n"
                              "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");

struct Result {
    int code = -1;
    QByteArray out, err;
};

class Fixture {
public:
    QString data() const { return m_dir.file(QStringLiteral("daten")); }
    QString file(const QString& name) const { return m_dir.file(name); }

    Result run(QStringList args, const QString& now = QString()) const {
        args = QStringList{QStringLiteral("--datadir"), data()} + args;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Nothing may fall back to the real user's folders.
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(name), m_dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("NATALIX_DATADIR"));
        env.insert(QStringLiteral("NATALIX_NOW"), now);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral(NATALIX_BINARY), args);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

    // Imports through a relative path; the program remembers it as an absolute one.
    bool import(const QList<Entry>& entries) {
        if (!writeFileBytes(file(QStringLiteral("liste.nxd")), listFile(entries)))
            return false;
        const Result r = run({QStringLiteral("--import"), QStringLiteral("liste.nxd")});
        return r.code == 0 && r.out.isEmpty() && r.err.isEmpty() &&
               storedFileName() == file(QStringLiteral("liste.nxd"));
    }

    QByteArray exported() const {
        const QString target = file(QStringLiteral("export-%1.nxd").arg(++m_exports));
        const Result r = run({QStringLiteral("--export"), target});
        return r.code == 0 ? readFileBytes(target) : QByteArray("export failed");
    }

    QString storedFileName() const {
        QSettings ini(QDir(data()).filePath(QStringLiteral("NX.ini")), QSettings::IniFormat);
        return ini.value(QStringLiteral("Global/filename")).toString();
    }

    // Every file outside the data folder, with its bytes.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> out;
        for (QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            if (const QString p = it.next(); !p.startsWith(data()))
                out.insert(p, readFileBytes(p));
        return out;
    }

private:
    TempDataDir m_dir;
    mutable int m_exports = 0;
};

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void importExportRoundTrip_data() {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::newRow("gaps, blanks and umlauts")
            << QList<Entry>{{1, "Anna Beispiel", 1980, 3, 7, usual},
                            {4, " ", 1900, 1, 1, weekAhead},
                            {17, "Jürgen Groß-Öztürk", 2000, 2, 29, listEnds},
                            {21, "Ohne Jahr", 0, 2, 29, usual},
                            {1000, "Zoë", 1880, 12, 31, onTheDay}};
        QList<Entry> many;
        for (int i = 1; i <= 1200; ++i)
            many.append({i * 3, QStringLiteral("Person Nr. %1 äöü").arg(i), 1880 + i % 220,
                         1 + i % 12, 1 + i % 28, usual});
        QTest::newRow("1200 records") << many;
    }

    void importExportRoundTrip() {
        QFETCH(QList<Entry>, entries);
        Fixture f;
        QVERIFY(f.import(entries));
        QCOMPARE(f.exported(), listFile(entries));
    }

    void refusedImportChangesNothing_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::addColumn<QString>("message");
        QByteArray noCount = listFile(marchList);
        noCount.replace(0, 3, "Liste");
        QTest::newRow("first line without number")
            << noCount
            << "wurde nicht eingelesen: Die Datei ist keine Geburtstagsliste: Ihre erste Zeile "
               "enthält keine Anzahl von Datensätzen.";
        QTest::newRow("empty file")
            << QByteArray("") << "Ihre erste Zeile enthält keine Anzahl von Datensätzen.";
        QTest::newRow("count line only")
            << QByteArray(" 1 \r\n") << "Die Datei enthält keinen vollständigen Datensatz.";
        QTest::newRow("missing file")
            << QByteArray() << "kann nicht gelesen werden (53 : Datei nicht gefunden).";
    }

    void refusedImportChangesNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY(f.import(marchList));
        const QString bad = f.file(QStringLiteral("kaputt.nxd"));
        QVERIFY(bytes.isNull() || writeFileBytes(bad, bytes));
        const Result r = f.run({QStringLiteral("--import"), bad});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        const QString err = QString::fromUtf8(r.err);
        QVERIFY2(err.startsWith(QStringLiteral("Die Datei \"%1\" ").arg(bad)), qPrintable(err));
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(f.exported(), listFile(marchList));
        QCOMPARE(f.storedFileName(), f.file(QStringLiteral("liste.nxd")));
    }

    void failedExportKeepsTheTarget_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        const QString list = QStringLiteral("--export");
        const QString ics = QStringLiteral("--export-ics");
        QTest::newRow("missing folder") << list << "fehlt/liste.nxd"
                                        << "(76 : Pfad nicht gefunden)";
        QTest::newRow("target is a folder") << list << "ordner.nxd"
                                            << "(75 : Fehler beim Zugriff auf Pfad oder Datei)";
        QTest::newRow("calendar, missing folder") << ics << "fehlt/kalender.ics"
                                                  << "(76 : Pfad nicht gefunden)";
        QTest::newRow("calendar, target is a folder")
            << ics << "ordner.ics"
            << "(75 : Fehler beim Zugriff auf Pfad oder Datei)";
    }

    void failedExportKeepsTheTarget() {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY(f.import(marchList));
        const QString path = f.file(target);
        const QByteArray old("die alte Liste\r\n");
        if (target.startsWith(u"ordner"))
            QVERIFY(QDir().mkpath(path) && writeFileBytes(path + "/inhalt.nxd", old));
        else if (!target.contains(u'/'))
            QVERIFY(writeFileBytes(path, old));
        const QMap<QString, QByteArray> before = f.files();
        const Result r = f.run({command, path});
        QCOMPARE(r.code, 1);
        const QString err = QString::fromUtf8(r.err);
        const QString what =
            command == u"--export" ? QStringLiteral("Die Liste") : QStringLiteral("Der Kalender");
        QVERIFY2(
            err.startsWith(
                QStringLiteral("%1 konnte nicht in \"%2\" gespeichert werden ").arg(what, path)),
            qPrintable(err));
        QVERIFY2(err.contains(message), qPrintable(err));
        // What was there is untouched, and no temporary file is left beside it.
        QCOMPARE(f.files(), before);
    }

    void runningInstance() {
        Fixture f;
        QVERIFY(f.import(marchList));
        const QString other = f.file(QStringLiteral("andere.nxd"));
        QVERIFY(writeFileBytes(other, listFile({{9, "Niemand", 1950, 3, 7, onTheDay}})));
        const QString target = f.file(QStringLiteral("gesperrt.nxd"));
        const QString now = QStringLiteral("2025-03-07T09:00:00");
        QLockFile lock(QDir(f.data()).filePath(QStringLiteral("natalix.lock")));
        QVERIFY(lock.tryLock(0));
        for (const QStringList& args :
             {QStringList{"--import", other}, QStringList{"--import-contacts", other}}) {
            const Result r = f.run(args, now);
            QCOMPARE(r.code, 2);
            QVERIFY(r.out.isEmpty());
            QVERIFY2(r.err.startsWith("Natalix läuft bereits mit diesem Datenordner."), r.err);
        }
        // Export and scan only read, so they may run beside the other instance: the scan
        // prints what the window has not given yet and leaves the marking to it.
        const Result r = f.run({QStringLiteral("--export"), target}, now);
        QVERIFY(r.code == 0 && r.out.isEmpty() && r.err.isEmpty());
        QCOMPARE(readFileBytes(target), listFile(marchList));
        const Result scan = f.run({QStringLiteral("--scan")}, now);
        QVERIFY2(scan.code == 0 && scan.err.isEmpty(), scan.err);
        QCOMPARE(scan.out, dueOnSeventh);
        lock.unlock();
        // Neither the table nor the markers were touched: the same lines once more.
        QCOMPARE(f.exported(), listFile(marchList));
        QCOMPARE(f.run({QStringLiteral("--scan")}, now).out, dueOnSeventh);
    }

    void scanPrintsDueLinesOnce() {
        Fixture f;
        QVERIFY(f.import(marchList));
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
            const Result r = f.run({QStringLiteral("--scan")}, QString::fromLatin1(s.now));
            QVERIFY2(r.code == 0 && r.err.isEmpty(), r.err.constData());
            QVERIFY2(r.out == s.out, (QByteArray(s.now) + ": " + r.out).constData());
        }
        // Scanning marks reminders only; the list itself is as imported.
        QCOMPARE(f.exported(), listFile(marchList));
    }

    // The scan leaves the pages to its own reading of the table: damage anywhere in it still
    // ends the scan with a message, no line and not one byte written.
    void scanOfADamagedDatabase_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        const QString broken = QStringLiteral("Die Datenbank-Datei ist beschädigt.");
        QTest::newRow("a page in the middle") << "page 20" << broken;
        QTest::newRow("the table's first page") << "page 2" << broken;
        QTest::newRow("the last page") << "last page" << broken;
        QTest::newRow("cut in half") << "half" << broken;
        QTest::newRow("not a database") << "garbage" << broken;
        // A free list that hands out a page rows live on: SQLite would write over them with
        // the markers of the due reminders; found before a byte is written.
        QTest::newRow("a page in use on the free list") << "free list" << broken;
        // Damage the reading of the rows alone would not see: each makes the list shorter.
        // The day's reminders are marked before, so the scan has nothing to write.
        QTest::newRow("a leaf's cell count") << "cell count" << broken;
        QTest::newRow("a child page named twice") << "child twice" << broken;
    }

    void scanOfADamagedDatabase() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        QList<Entry> many;
        for (int i = 1; i <= 2000; ++i)
            many.append(
                {i, QStringLiteral("Person %1").arg(i), 1950 + i % 60, 3, 1 + i % 14, usual});
        Fixture f;
        QVERIFY(f.import(many));
        // A shorter list leaves the pages of the longer one free.
        if (damage == u"free list")
            QVERIFY(f.import(many.mid(0, 500)));
        const bool marked = damage == u"cell count" || damage == u"child twice";
        if (marked)
            QCOMPARE(f.run({QStringLiteral("--scan")}, QStringLiteral("2025-03-07T08:00:00")).code,
                     0);
        const QString db = QDir(f.data()).filePath(QStringLiteral("Geburtstage.db"));
        const QByteArray bytes = natalix::test::damagedDatabase(readFileBytes(db), damage);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(writeFileBytes(db, bytes));
        const Result r = f.run({QStringLiteral("--scan")}, QStringLiteral("2025-03-07T09:00:00"));
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        // The way back is named: the window offers the newest backup.
        QVERIFY2(QString::fromUtf8(r.err).contains(QStringLiteral("Sicherung")), r.err.constData());
        QCOMPARE(readFileBytes(db), bytes);
    }

    void refusedContactsChangeNothing_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::addColumn<QString>("message");
        const QString neither =
            QStringLiteral("wurde nicht eingelesen: Die Datei ist weder eine vCard-Datei noch eine "
                           "CSV-Kontaktliste.");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0", 18) << neither;
        QTest::newRow("a list file") << listFile(marchList) << neither;
        QTest::newRow("empty") << QByteArray("") << "wurde nicht eingelesen: Die Datei ist leer.";
        QTest::newRow("missing file")
            << QByteArray()
            << "wurde nicht eingelesen: Die Datei kann nicht gelesen werden (53 : "
               "Datei nicht gefunden).";
    }

    void refusedContactsChangeNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY(f.import(marchList));
        const QString bad = f.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(bytes.isNull() || writeFileBytes(bad, bytes));
        const Result r = f.run({QStringLiteral("--import-contacts"), bad});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("Die Datei \"%1\" %2\n").arg(bad, message));
        QCOMPARE(f.exported(), listFile(marchList));
        QCOMPARE(f.storedFileName(), f.file(QStringLiteral("liste.nxd")));
    }

    void contactsAreAppended() {
        Fixture f;
        QVERIFY(f.import(marchList));
        const QString vcf = f.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Beispiel\r\n"
                                    "BDAY:--0307\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "FN:Ohne Jahr\r\nBDAY:--0308\r\nEND:VCARD\r\n"));
        const Result r = f.run({QStringLiteral("--import-contacts"), vcf});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(QString::fromUtf8(r.out),
                 QStringLiteral("1 Geburtstage übernommen, 1 schon in der Liste, 0 ohne lesbares "
                                "Geburtsdatum\n"));
        // Appended after the highest number, the reminders from the options, the year unknown.
        QCOMPARE(f.exported(),
                 listFile(marchList + QList<Entry>{{6, "Ohne Jahr", 0, 3, 8, usual}}));
        // The stored unknown year reminds every year, without an age, and only once.
        const struct {
            const char* now;
            QByteArray out;
        } steps[] = {
            {"2025-03-07T09:00:00", dueOnSeventh.left(dueOnSeventh.indexOf('\n') + 1) +
                                        "Ohne Jahr hat morgen Geburtstag ...\n" +
                                        dueOnSeventh.mid(dueOnSeventh.indexOf('\n') + 1)},
            {"2025-03-08T09:00:00", "Ohne Jahr hat heute Geburtstag ...\n"},
            {"2025-03-08T10:00:00", ""},
            {"2026-03-01T09:00:00", "Anna Beispiel wird am 7.3.2026 46 Jahre alt ...\n"
                                    "Ohne Jahr hat am 8.3.2026 Geburtstag ...\n"},
        };
        for (const auto& s : steps) {
            const Result scan = f.run({QStringLiteral("--scan")}, QString::fromLatin1(s.now));
            QVERIFY2(scan.out == s.out, (QByteArray(s.now) + ": " + scan.out).constData());
        }
    }

    void optionsWithoutData_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // patterns for stdout and stderr
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << R"(^Aufruf: natalix \[/auto\])"
                                << "^$";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << R"(^Aufruf: natalix \[/auto\])"
                            << "^$";
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << R"(^Natalix \d+\.\d+\.\d+\n$)"
            << "^$";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 1 << "^$"
                                        << R"(^Unbekannte Option: --frobnicate\n\nAufruf:)";
        QTest::newRow("path missing") << QStringList{"--import"} << 1 << "^$"
                                      << R"(^Nach --import fehlt der Pfad\.)";
        QTest::newRow("contacts path missing") << QStringList{"--import-contacts"} << 1 << "^$"
                                               << R"(^Nach --import-contacts fehlt der Pfad\.)";
        QTest::newRow("calendar path missing") << QStringList{"--export-ics"} << 1 << "^$"
                                               << R"(^Nach --export-ics fehlt der Pfad\.)";
        QTest::newRow("two commands") << QStringList{"--scan", "--export", "x.nxd"} << 1 << "^$"
                                      << R"(^Bitte nur einen Befehl auf einmal angeben\.)";
        QTest::newRow("address missing") << QStringList{"--sync-contacts"} << 1 << "^$"
                                         << R"(^Nach --sync-contacts fehlt die Adresse\.)";
        QTest::newRow("sync and scan")
            << QStringList{"--sync-calendar", "http://127.0.0.1/", "--scan"} << 1 << "^$"
            << R"(^Bitte nur einen Befehl auf einmal angeben\.)";
        QTest::newRow("not a web address")
            << QStringList{"--sync-calendar", "ftp://127.0.0.1/k/"} << 1 << "^$"
            << R"(^"ftp://127\.0\.0\.1/k/" ist keine http- oder https-Adresse\.\n$)";
    }

    void optionsWithoutData() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        Fixture f;
        const Result r = f.run(args);
        QCOMPARE(r.code, code);
        QVERIFY2(QRegularExpression(out).match(QString::fromUtf8(r.out)).hasMatch(), r.out);
        QVERIFY2(QRegularExpression(err).match(QString::fromUtf8(r.err)).hasMatch(), r.err);
        // None of these opens the table.
        QVERIFY(!QFileInfo::exists(QDir(f.data()).filePath(QStringLiteral("Geburtstage.db"))));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
