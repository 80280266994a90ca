#include "options/options.h"
#include "support/testsupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(natalix::Options)

namespace natalix {
// Names the values in a failure message.
char* toString(const Options& o) {
    const QString text = QStringLiteral("[%1|%2|%3|%4|%5|%6|%7|%8]")
                             .arg(o.option1erinnerung, o.option2erinnerung, o.option3erinnerung,
                                  o.optionabjahr, o.optionzyklus)
                             .arg(o.optiondatumsanzeigehauptfenster)
                             .arg(o.optiondatumsanzeigedrucken)
                             .arg(o.programmwurdeerstmalsgestartet);
    return qstrdup(text.toUtf8().constData());
}
} // namespace natalix

using namespace natalix;
using natalix::test::readFileBytes;
using natalix::test::TempDataDir;
using natalix::test::writeFileBytes;

namespace {

const QByteArray defaultFile = "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                               "1. Geburtstag\r\nj\xE4hrlich\r\n 1 \r\n 1 \r\n 0 \r\n";

QByteArray linesOf(const QList<QByteArray>& lines, const QByteArray& end = "\r\n") {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + end;
    return out;
}

const QList<QByteArray> customLines = {"Keine Erinnerung",
                                       "3 Tage vorher",
                                       "2 Wochen vorher",
                                       "18. Geburtstag",
                                       "alle 5 Jahre",
                                       " 0 ",
                                       " 0 ",
                                       " 1 "};

Options customOptions() {
    Options o;
    o.option1erinnerung = QStringLiteral("Keine Erinnerung");
    o.option2erinnerung = QStringLiteral("3 Tage vorher");
    o.option3erinnerung = QStringLiteral("2 Wochen vorher");
    o.optionabjahr = QStringLiteral("18. Geburtstag");
    o.optionzyklus = QStringLiteral("alle 5 Jahre");
    o.optiondatumsanzeigehauptfenster = 0;
    o.optiondatumsanzeigedrucken = 0;
    o.programmwurdeerstmalsgestartet = 1;
    return o;
}

// A file name so long that no temporary file can be created beside it: every write through
// a temporary copy fails while the file itself stays readable.
QString unreplaceablePath(const TempDataDir& dir) {
    return dir.file(QString(250, u'o') + QStringLiteral(".ini"));
}

QString writeError(const QString& path, const QString& reason) {
    return QStringLiteral("Die Optionen konnten nicht in der Datei \"") + path +
           QStringLiteral("\" gespeichert werden (") + reason +
           QStringLiteral("). Die Einstellungen gelten, bis das Programm beendet wird.");
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void missingFileGivesDefaultsAndWritesThem();
    void brokenFileIsReplaced_data();
    void brokenFileIsReplaced();
    void readsValues_data();
    void readsValues();
    void validFileIsNotRewritten();
    void writtenBytes_data();
    void writtenBytes();
    void failingWriteKeepsOldFile_data();
    void failingWriteKeepsOldFile();
    void failingRewriteStillGivesValues();
    void folderInPlaceOfFile();
};

void TestOptions::missingFileGivesDefaultsAndWritesThem() {
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    QCOMPARE(optionsFileName(), QStringLiteral("natalix.ini"));
    QVERIFY(!readOptionsFile(path).fromFile);

    QString error = QStringLiteral("unchanged");
    const Options o = optioneneinlesen(path, &error);
    QCOMPARE(o, Options());
    QCOMPARE(o.optionzyklus, QStringLiteral("jährlich"));
    QCOMPARE(o.optiondatumsanzeigehauptfenster, 1.0);
    QCOMPARE(readFileBytes(path), defaultFile);
    QCOMPARE(error, QStringLiteral("unchanged"));

    const OptionsReadResult again = readOptionsFile(path);
    QVERIFY(again.fromFile);
    QCOMPARE(again.options, Options());
}

void TestOptions::brokenFileIsReplaced_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("five lines") << linesOf(customLines.mid(0, 5));
    QTest::newRow("seven lines") << linesOf(customLines.mid(0, 7));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("LF line ends are one line") << linesOf(customLines, "\n");
    QTest::newRow("larger than any options file") << linesOf(customLines) + QByteArray(70000, 'x');
}

void TestOptions::brokenFileIsReplaced() {
    QFETCH(QByteArray, bytes);
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    QVERIFY(writeFileBytes(path, bytes));
    QVERIFY(!readOptionsFile(path).fromFile);
    QString error;
    QCOMPARE(optioneneinlesen(path, &error), Options());
    QCOMPARE(error, QString());
    QCOMPARE(readFileBytes(path), defaultFile);
}

void TestOptions::readsValues_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Options>("expected");

    QTest::newRow("as written") << linesOf(customLines) << customOptions();
    QTest::newRow("CR only") << linesOf(customLines, "\r") << customOptions();
    QTest::newRow("no line end after line 8") << linesOf(customLines).chopped(2) << customOptions();
    QTest::newRow("lines after the eighth ignored")
        << linesOf(customLines + QList<QByteArray>{"mehr", " 7 "}) << customOptions();

    Options newDisplay;
    newDisplay.optiondatumsanzeigehauptfenster = 0;
    const QList<QByteArray> lines = {"1 Woche vorher",
                                     "1 Tag vorher",
                                     "Am Tage des Geburtstages",
                                     "1. Geburtstag",
                                     "j\xE4hrlich",
                                     " 1 ",
                                     " 1 ",
                                     " 0 "};
    QList<QByteArray> l6 = lines;
    l6[5] = " 0";
    QTest::newRow("line 6 selects the new display") << linesOf(l6) << newDisplay;

    Options cycle;
    cycle.optionzyklus = QStringLiteral("alle 5 Jahre");
    QList<QByteArray> l5 = lines;
    l5[4] = "alle 5 Jahre";
    QTest::newRow("line 5 is the cycle") << linesOf(l5) << cycle;

    Options texts;
    texts.option1erinnerung = QStringLiteral("  Am Tage des Geburtstages ");
    texts.optionabjahr = QString();
    QList<QByteArray> lt = lines;
    lt[0] = "  Am Tage des Geburtstages ";
    lt[3] = "";
    QTest::newRow("texts taken whole") << linesOf(lt) << texts;

    Options rounded;
    rounded.optiondatumsanzeigehauptfenster = 0.7;
    rounded.optiondatumsanzeigedrucken = 3;
    rounded.programmwurdeerstmalsgestartet = -1;
    QList<QByteArray> lr = lines;
    lr[5] = " 0.7 ";
    lr[6] = " 2.6 ";
    lr[7] = "-1.4";
    QTest::newRow("lines 7 and 8 rounded, 6 kept") << linesOf(lr) << rounded;

    Options leading;
    leading.optiondatumsanzeigehauptfenster = 0;
    leading.optiondatumsanzeigedrucken = 12;
    leading.programmwurdeerstmalsgestartet = 0;
    QList<QByteArray> ll = lines;
    ll[5] = "neu";
    ll[6] = "  1 2 Seiten";
    ll[7] = "";
    QTest::newRow("leading number of each line") << linesOf(ll) << leading;
}

void TestOptions::readsValues() {
    QFETCH(QByteArray, bytes);
    QFETCH(Options, expected);
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    QVERIFY(writeFileBytes(path, bytes));
    const OptionsReadResult read = readOptionsFile(path);
    QVERIFY(read.fromFile);
    QCOMPARE(read.options, expected);
    QCOMPARE(read.options.reminderDefaults().zyklus, expected.optionzyklus);
    QCOMPARE(read.options.reminderDefaults().erinnerung1, expected.option1erinnerung);
    QCOMPARE(read.options.reminderDefaults().abjahr, expected.optionabjahr);
}

void TestOptions::validFileIsNotRewritten() {
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    const QByteArray bytes = linesOf(customLines, "\r");
    QVERIFY(writeFileBytes(path, bytes));
    QCOMPARE(optioneneinlesen(path), customOptions());
    QCOMPARE(readFileBytes(path), bytes);
}

void TestOptions::writtenBytes_data() {
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("defaults") << Options() << defaultFile;
    QTest::newRow("custom") << customOptions() << linesOf(customLines);
    Options odd;
    odd.option1erinnerung = QStringLiteral("Łódź");
    odd.optiondatumsanzeigehauptfenster = 0.5;
    odd.optiondatumsanzeigedrucken = -2;
    odd.programmwurdeerstmalsgestartet = 25;
    QTest::newRow("fraction, negative, foreign letters")
        << odd
        << QByteArray("?\xF3"
                      "d?\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                      "1. Geburtstag\r\nj\xE4hrlich\r\n 0.5 \r\n-2 \r\n 25 \r\n");
}

void TestOptions::writtenBytes() {
    QFETCH(Options, options);
    QFETCH(QByteArray, bytes);
    QCOMPARE(renderOptionsFile(options), bytes);
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    QVERIFY(writeFileBytes(path, "old contents that are longer than the new file will be\r\n" +
                                     QByteArray(400, 'x')));
    QString error;
    QVERIFY(writeOptionsFile(path, options, &error));
    QCOMPARE(error, QString());
    QCOMPARE(readFileBytes(path), bytes);
}

void TestOptions::failingWriteKeepsOldFile_data() {
    QTest::addColumn<bool>("missingFolder");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder does not exist") << true << "76 : Pfad nicht gefunden";
    QTest::newRow("no room for the replacement") << false << "57 : Ein-/Ausgabefehler des Geräts";
}

void TestOptions::failingWriteKeepsOldFile() {
    QFETCH(bool, missingFolder);
    QFETCH(QString, reason);
    TempDataDir dir;
    const QString path = missingFolder ? dir.file(QStringLiteral("fehlt/") + optionsFileName())
                                       : unreplaceablePath(dir);
    const QByteArray old = linesOf(customLines);
    if (!missingFolder)
        QVERIFY(writeFileBytes(path, old));

    QString error;
    QVERIFY(!writeOptionsFile(path, Options(), &error));
    QCOMPARE(error, writeError(path, reason));
    QVERIFY(!writeOptionsFile(path, Options()));
    if (!missingFolder)
        QCOMPARE(readFileBytes(path), old);
    // Nothing left behind: no folder created, no temporary file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
             missingFolder ? 0 : 1);
}

void TestOptions::failingRewriteStillGivesValues() {
    TempDataDir dir;
    const QString path = unreplaceablePath(dir);
    const QByteArray shortFile = linesOf(customLines.mid(0, 5));
    QVERIFY(writeFileBytes(path, shortFile));
    QString error;
    QCOMPARE(optioneneinlesen(path, &error), Options());
    QCOMPARE(error, writeError(path, QStringLiteral("57 : Ein-/Ausgabefehler des Geräts")));
    QCOMPARE(readFileBytes(path), shortFile);
}

void TestOptions::folderInPlaceOfFile() {
    TempDataDir dir;
    const QString path = dir.file(optionsFileName());
    QVERIFY(QDir(dir.path()).mkdir(optionsFileName()));
    QVERIFY(writeFileBytes(path + QStringLiteral("/inhalt.txt"), "bleibt"));

    QString error;
    QCOMPARE(optioneneinlesen(path, &error), Options());
    QCOMPARE(error,
             writeError(path, QStringLiteral("75 : Fehler beim Zugriff auf Pfad oder Datei")));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(readFileBytes(path + QStringLiteral("/inhalt.txt")), QByteArray("bleibt"));
    QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("inhalt.txt")});
}

QTEST_GUILESS_MAIN(TestOptions)
#include "test_options.moc"
