#include "app/commandline.h"
#include "support/testsupport.h"

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
    int jahr;
    int monat;
    int tag;
    QStringList settings; // the three reminders, start and cycle
};

const QStringList usual{"1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages",
                        "1. Geburtstag", "jährlich"};
const QStringList onTheDay{"Keine Erinnerung", "Keine Erinnerung", "Am Tage des Geburtstages",
                           "1. Geburtstag", "jährlich"};

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
        number(e.jahr);
        number(e.monat);
        number(e.tag);
        for (const QString& s : e.settings)
            line(s);
    }
    return out;
}

// What a scan of marchList prints on 7 March 2025, when nothing was given before.
const QByteArray dueOnSeventh("Anna Beispiel wird heute 45 Jahre alt ...\n"
                              "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");

const QList<Entry> marchList{
    {1, "Anna Beispiel", 1980, 3, 7, usual},
    {2,
     "Jürgen Groß",
     1990,
     3,
     10,
     {"1 Woche vorher", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "jährlich"}},
    {5, "Sommer Kind", 1970, 7, 15, onTheDay},
};

struct Result {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

class Fixture {
public:
    QString data() const { return m_dir.file(QStringLiteral("daten")); }
    QString file(const QString& name) const { return m_dir.file(name); }

    Result run(QStringList args, const QString& now = QString(),
               const QString& workDir = QString()) const {
        args.prepend(data());
        args.prepend(QStringLiteral("--datadir"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        // Nothing may fall back to the real user's folders.
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.file(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.file(QStringLiteral("share")));
        env.remove(QStringLiteral("NATALIX_DATADIR"));
        env.remove(QStringLiteral("NATALIX_NOW"));
        if (!now.isEmpty())
            env.insert(QStringLiteral("NATALIX_NOW"), now);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(workDir.isEmpty() ? m_dir.path() : workDir);
        p.start(QStringLiteral(NATALIX_BINARY), args);
        Result r;
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.code = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    // Imports `entries`; fails the test when that does not work.
    bool import(const QList<Entry>& entries, const QString& name = QStringLiteral("liste.nxd")) {
        if (!writeFileBytes(file(name), listFile(entries)))
            return false;
        const Result r = run({QStringLiteral("--import"), file(name)});
        return r.code == 0 && r.out.isEmpty() && r.err.isEmpty();
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

private:
    TempDataDir m_dir;
    mutable int m_exports = 0;
};

QList<Entry> generated(int count) {
    QList<Entry> out;
    for (int i = 1; i <= count; ++i)
        out.append({i * 3, QStringLiteral("Person Nr. %1 äöü").arg(i), 1880 + i % 220, 1 + i % 12,
                    1 + i % 28, usual});
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void importExportRoundTrip_data();
    void importExportRoundTrip();
    void importRemembersTheAbsolutePath();
    void refusedImportChangesNothing_data();
    void refusedImportChangesNothing();
    void failedExportKeepsTheTarget_data();
    void failedExportKeepsTheTarget();
    void runningInstance_data();
    void runningInstance();
    void scanPrintsDueLinesOnce();
    void scanWithNothingDue();
    void optionsWithoutData_data();
    void optionsWithoutData();
};

void TestCommandLine::importExportRoundTrip_data() {
    QTest::addColumn<QList<Entry>>("entries");
    QTest::newRow("one record") << QList<Entry>{{1, "Anna Beispiel", 1980, 3, 7, usual}};
    QTest::newRow("gaps, blanks and umlauts")
        << QList<Entry>{{1, "Anna Beispiel", 1980, 3, 7, usual},
                        {4,
                         " ",
                         1900,
                         1,
                         1,
                         {"Keine Erinnerung", "Keine Erinnerung", "Keine Erinnerung",
                          "18. Geburtstag", "alle 10 Jahre"}},
                        {17,
                         "Jürgen Groß-Öztürk",
                         2000,
                         2,
                         29,
                         {"3 Monate vorher", "4 Wochen vorher", "Keine Erinnerung",
                          "125. Geburtstag", "alle 100 Jahre"}},
                        {1000, "Zoë", 1880, 12, 31, onTheDay}};
    QTest::newRow("1200 records") << generated(1200);
}

void TestCommandLine::importExportRoundTrip() {
    QFETCH(QList<Entry>, entries);
    Fixture f;
    QVERIFY(f.import(entries));
    QCOMPARE(f.exported(), listFile(entries));
}

void TestCommandLine::importRemembersTheAbsolutePath() {
    Fixture f;
    QVERIFY(QDir().mkpath(f.file(QStringLiteral("listen"))));
    const QString path = f.file(QStringLiteral("listen/März.nxd"));
    QVERIFY(writeFileBytes(path, listFile(marchList)));
    const Result r = f.run({QStringLiteral("--import"), QStringLiteral("März.nxd")}, QString(),
                           f.file(QStringLiteral("listen")));
    QCOMPARE(r.code, 0);
    QCOMPARE(f.storedFileName(), QFileInfo(path).absoluteFilePath());
    QVERIFY(QFileInfo(f.storedFileName()).isAbsolute());
}

void TestCommandLine::refusedImportChangesNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists"); // false: no file at all
    QTest::addColumn<QString>("message");
    QByteArray noCount = listFile(marchList);
    noCount.replace(0, 3, "Liste");
    QTest::newRow("first line without number")
        << noCount << true
        << "wurde nicht eingelesen: Die Datei ist keine Geburtstagsliste: Ihre erste Zeile "
           "enthält keine Anzahl von Datensätzen.";
    QTest::newRow("empty file") << QByteArray() << true
                                << "Ihre erste Zeile enthält keine Anzahl von Datensätzen.";
    QTest::newRow("count line only")
        << QByteArray(" 1 \r\n") << true << "Die Datei enthält keinen vollständigen Datensatz.";
    QTest::newRow("missing file") << QByteArray() << false
                                  << "kann nicht gelesen werden (53 : Datei nicht gefunden).";
}

void TestCommandLine::refusedImportChangesNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(f.import(marchList));
    const QString firstList = f.storedFileName();
    const QByteArray before = f.exported();
    QCOMPARE(before, listFile(marchList));

    const QString bad = f.file(QStringLiteral("kaputt.nxd"));
    if (exists)
        QVERIFY(writeFileBytes(bad, bytes));
    const Result r = f.run({QStringLiteral("--import"), bad});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.startsWith(QStringLiteral("Die Datei \"%1\" ").arg(bad)), qPrintable(err));
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(f.exported(), before);
    QCOMPARE(f.storedFileName(), firstList);
}

void TestCommandLine::failedExportKeepsTheTarget_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << "fehlt/liste.nxd"
                                    << "(76 : Pfad nicht gefunden)";
    QTest::newRow("target is a folder") << "ordner.nxd"
                                        << "(75 : Fehler beim Zugriff auf Pfad oder Datei)";
    // The longest name a file may have leaves no room for the temporary copy beside it.
    QTest::newRow("no room for the temporary copy") << QString(251, u'x') + ".nxd"
                                                    << "(";
}

void TestCommandLine::failedExportKeepsTheTarget() {
    QFETCH(QString, target);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(f.import(marchList));
    const QByteArray old("die alte Liste\r\n");
    const QString path = f.file(target);
    if (target.startsWith(u"ordner")) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFileBytes(path + QStringLiteral("/inhalt.nxd"), old));
    } else if (!target.contains(u'/')) {
        QVERIFY(writeFileBytes(path, old));
    }
    const QStringList before = QDir(f.file(QString())).entryList(QDir::AllEntries);

    const Result r = f.run({QStringLiteral("--export"), path});
    QCOMPARE(r.code, 1);
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.startsWith(
                 QStringLiteral("Die Liste konnte nicht in \"%1\" gespeichert werden ").arg(path)),
             qPrintable(err));
    QVERIFY2(err.contains(message), qPrintable(err));
    // No stray temporary file, and what was there is untouched.
    QCOMPARE(QDir(f.file(QString())).entryList(QDir::AllEntries), before);
    if (target.startsWith(u"ordner")) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readFileBytes(path + QStringLiteral("/inhalt.nxd")), old);
    } else if (!target.contains(u'/')) {
        QCOMPARE(readFileBytes(path), old);
    } else {
        QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
    }
}

void TestCommandLine::runningInstance_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::newRow("--import") << "--import" << 2;
    QTest::newRow("--scan") << "--scan" << 2;
    QTest::newRow("--export") << "--export" << 0;
}

void TestCommandLine::runningInstance() {
    QFETCH(QString, command);
    QFETCH(int, code);
    Fixture f;
    QVERIFY(f.import(marchList));
    const QString other = f.file(QStringLiteral("andere.nxd"));
    QVERIFY(writeFileBytes(other, listFile({{9, "Niemand", 1950, 3, 7, onTheDay}})));
    const QString target = f.file(QStringLiteral("gesperrt.nxd"));
    const QString now = QStringLiteral("2025-03-07T09:00:00");

    QLockFile lock(QDir(f.data()).filePath(QStringLiteral("natalix.lock")));
    QVERIFY(lock.tryLock(0));
    QStringList args{command};
    if (command == u"--import")
        args << other;
    else if (command == u"--export")
        args << target;
    const Result r = f.run(args, now);
    QCOMPARE(r.code, code);
    QVERIFY(r.out.isEmpty());
    if (code == 2) {
        QVERIFY2(QString::fromUtf8(r.err).startsWith(
                     QStringLiteral("Natalix läuft bereits mit diesem Datenordner.")),
                 r.err.constData());
    } else {
        QVERIFY(r.err.isEmpty());
        QCOMPARE(readFileBytes(target), listFile(marchList));
    }
    lock.unlock();

    // Neither the table nor the markers were touched.
    QCOMPARE(f.exported(), listFile(marchList));
    QCOMPARE(f.storedFileName(), f.file(QStringLiteral("liste.nxd")));
    const Result scan = f.run({QStringLiteral("--scan")}, now);
    QCOMPARE(scan.code, 0);
    QCOMPARE(scan.out, dueOnSeventh);
}

void TestCommandLine::scanPrintsDueLinesOnce() {
    Fixture f;
    QVERIFY(f.import(marchList));
    const QStringList scan{QStringLiteral("--scan")};
    struct Step {
        const char* now;
        QByteArray out;
    };
    const Step steps[] = {
        {"2025-03-06T09:00:00", "Anna Beispiel wird morgen 45 Jahre alt ...\n"
                                "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n"},
        {"2025-03-06T18:30:00", ""},
        {"2025-03-07T00:00:05", "Anna Beispiel wird heute 45 Jahre alt ...\n"},
        {"2025-03-07T12:00:00", ""},
        {"2025-07-15T08:00:00", "Sommer Kind wird heute 55 Jahre alt ...\n"},
    };
    for (const Step& s : steps) {
        const Result r = f.run(scan, QString::fromLatin1(s.now));
        QVERIFY2(r.code == 0, s.now);
        QVERIFY2(r.err.isEmpty(), r.err.constData());
        QVERIFY2(r.out == s.out, (QByteArray(s.now) + ": " + r.out).constData());
    }
    // Scanning marks reminders only; the list itself is as imported.
    QCOMPARE(f.exported(), listFile(marchList));
}

void TestCommandLine::scanWithNothingDue() {
    Fixture f;
    QVERIFY(f.import(marchList));
    const Result r = f.run({QStringLiteral("--scan")}, QStringLiteral("2025-01-15T09:00:00"));
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, QByteArray());
    // Nothing was marked either: the reminders still come in March.
    const Result march = f.run({QStringLiteral("--scan")}, QStringLiteral("2025-03-07T09:00:00"));
    QCOMPARE(march.out, dueOnSeventh);
}

void TestCommandLine::optionsWithoutData_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out"); // start of stdout
    QTest::addColumn<QString>("err"); // start of stderr
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Aufruf: natalix [/auto]"
                            << "";
    QTest::newRow("-h") << QStringList{"-h"} << 0 << "Aufruf: natalix [/auto]"
                        << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Natalix "
                               << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 1 << ""
                                    << "Unbekannte Option: --frobnicate\n\nAufruf:";
    QTest::newRow("path missing") << QStringList{"--import"} << 1 << ""
                                  << "Nach --import fehlt der Pfad.";
    QTest::newRow("two commands") << QStringList{"--scan", "--export", "x.nxd"} << 1 << ""
                                  << "Bitte nur einen Befehl auf einmal angeben.";
}

void TestCommandLine::optionsWithoutData() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    Fixture f;
    const Result r = f.run(args);
    QCOMPARE(r.code, code);
    QCOMPARE(r.out.isEmpty(), out.isEmpty());
    QCOMPARE(r.err.isEmpty(), err.isEmpty());
    QVERIFY2(out.isEmpty() || QString::fromUtf8(r.out).startsWith(out), r.out.constData());
    QVERIFY2(err.isEmpty() || QString::fromUtf8(r.err).startsWith(err), r.err.constData());
    if (args.first() == u"--version") {
        QVERIFY2(QRegularExpression(QStringLiteral("^Natalix \\d+\\.\\d+\\.\\d+\\n$"))
                     .match(QString::fromUtf8(r.out))
                     .hasMatch(),
                 r.out.constData());
    }
    // None of these opens the table.
    QVERIFY(!QFileInfo::exists(QDir(f.data()).filePath(QStringLiteral("Geburtstage.db"))));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
