#include "options/options.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace natalix;
using natalix::test::readFileBytes;
using natalix::test::TempDataDir;
using natalix::test::writeFileBytes;

namespace {

const QByteArray defaultFile = "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                               "1. Geburtstag\r\nj\xE4hrlich\r\n 1 \r\n 1 \r\n 0 \r\n";
const QByteArray customFile = "Keine Erinnerung\r\n3 Tage vorher\r\n2 Wochen vorher\r\n"
                              "18. Geburtstag\r\nalle 5 Jahre\r\n 0 \r\n 0 \r\n 1 \r\n";

// The default file with some lines (0-based) replaced.
QByteArray defaultsWith(const QMap<int, QByteArray>& changes) {
    QList<QByteArray> lines = defaultFile.split('\n');
    for (auto it = changes.begin(); it != changes.end(); ++it)
        lines[it.key()] = it.value() + '\r';
    return lines.join('\n');
}

QByteArray firstLines(const QByteArray& file, int n) {
    return file.split('\n').mid(0, n).join('\n') + '\n';
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    // The installed options file starts a new data folder with the first-start flag set; an
    // existing options file is never replaced by it.
    void installedFileSeedsANewDataFolder() {
        const QString installed = QStringLiteral(NATALIX_TEST_DATA "/../../packaging/natalix.ini");
        Options first;
        first.programmwurdeerstmalsgestartet = 1;
        QCOMPARE(readFileBytes(installed), renderOptionsFile(first));
        TempDataDir dir;
        const QString path = dir.file(optionsFileName());
        QVERIFY(optioneneinlesen(path, nullptr, installed) == first);
        QCOMPARE(readFileBytes(path), renderOptionsFile(first));
        QVERIFY(writeFileBytes(path, customFile));
        QCOMPARE(optioneneinlesen(path, nullptr, installed).optionzyklus,
                 QStringLiteral("alle 5 Jahre"));
        QCOMPARE(readFileBytes(path), customFile);
    }

    // What is read, shown as the exact file it is written back as. A file that is missing or
    // broken gives the defaults, written back silently; a valid one is not rewritten.
    void readsValues_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QByteArray>("canonical");
        QTest::addColumn<bool>("valid");
        QTest::newRow("missing") << QByteArray() << defaultFile << false;
        QTest::newRow("empty") << QByteArray("") << defaultFile << false;
        QTest::newRow("seven lines") << firstLines(customFile, 7) << defaultFile << false;
        QTest::newRow("larger than any options file")
            << customFile + QByteArray(70000, 'x') << defaultFile << false;
        QTest::newRow("as written") << customFile << customFile << true;
        QTest::newRow("CR only") << QByteArray(customFile).replace("\r\n", "\r") << customFile
                                 << true;
        QTest::newRow("LF only, as Linux tools write")
            << QByteArray(customFile).replace("\r\n", "\n") << customFile << true;
        QTest::newRow("UTF-8, LF only")
            << QString::fromLatin1(defaultFile).toUtf8().replace("\r\n", "\n") << defaultFile
            << true;
        QTest::newRow("no line end after line 8") << customFile.chopped(2) << customFile << true;
        QTest::newRow("lines after the eighth ignored") << customFile + "mehr\r\n 7 \r\n"
                                                        << customFile << true;
        QTest::newRow("line 6 \" 0\" selects the new display")
            << defaultsWith({{5, " 0"}}) << defaultsWith({{5, " 0 "}}) << true;
        const QByteArray texts = defaultsWith({{0, "  Am Tage des Geburtstages "}, {3, ""}});
        QTest::newRow("texts taken whole") << texts << texts << true;
        QTest::newRow("lines 7 and 8 rounded, 6 kept")
            << defaultsWith({{5, " 0.7 "}, {6, " 2.6 "}, {7, "-1.4"}})
            << defaultsWith({{5, " 0.7 "}, {6, " 3 "}, {7, "-1 "}}) << true;
        QTest::newRow("leading number of each line")
            << defaultsWith({{5, "neu"}, {6, "  1 2 Seiten"}, {7, ""}})
            << defaultsWith({{5, " 0 "}, {6, " 12 "}, {7, " 0 "}}) << true;
    }
    void readsValues() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, canonical);
        QFETCH(bool, valid);
        TempDataDir dir;
        QCOMPARE(optionsFileName(), QStringLiteral("natalix.ini"));
        const QString path = dir.file(optionsFileName());
        QVERIFY(bytes.isNull() || writeFileBytes(path, bytes));
        QCOMPARE(readOptionsFile(path).fromFile, valid);
        QString error = QStringLiteral("unchanged");
        const Options read = optioneneinlesen(path, &error);
        QCOMPARE(error, QStringLiteral("unchanged"));
        QCOMPARE(readFileBytes(path), valid ? bytes : canonical);
        QVERIFY(readOptionsFile(path).options == read);
        QCOMPARE(renderOptionsFile(read), canonical);
        QVERIFY(writeOptionsFile(path, read, &error)); // replaces a longer file whole
        QCOMPARE(error, QStringLiteral("unchanged"));
        QCOMPARE(readFileBytes(path), canonical);
    }

    void failingWriteKeepsOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder does not exist") << "fehlt/natalix.ini"
                                               << "76 : Pfad nicht gefunden";
        QTest::newRow("a folder in place of the file")
            << "natalix.ini"
            << "75 : Fehler beim Zugriff auf Pfad oder Datei";
    }

    void failingWriteKeepsOldFile() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        TempDataDir dir;
        const QString path = dir.file(name);
        const bool folder = name == optionsFileName(), missingFolder = name.contains(u'/');
        const QString kept = folder ? path + "/inhalt.txt" : path;
        const QByteArray old = firstLines(customFile, 5); // short: read as the defaults
        QVERIFY(!folder || QDir(dir.path()).mkdir(name));
        QVERIFY(missingFolder || writeFileBytes(kept, old));

        // The defaults apply for this run; the failing write is reported.
        QString error, again;
        QVERIFY(optioneneinlesen(path, &error) == Options());
        QCOMPARE(error, "Die Optionen konnten nicht in der Datei \"" + path +
                            "\" gespeichert werden (" + reason +
                            "). Die Einstellungen gelten, bis das Programm beendet wird.");
        QVERIFY(!writeOptionsFile(path, Options(), &again));
        // Nothing left behind: no folder created, no temporary file.
        QCOMPARE(std::tuple(again, readFileBytes(kept), QFileInfo(path).isDir(),
                            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)),
                 std::tuple(error, missingFolder ? QByteArray() : old, folder,
                            missingFolder ? QStringList() : QStringList{name}));
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "test_options.moc"
