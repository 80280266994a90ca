#include "listfile/cp1252.h"
#include "listfile/listfile.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <limits>

using namespace natalix;
using natalix::test::makeRecord;

namespace {

// A list file from its lines, each ended by `end`.
QByteArray fileOf(const QList<QByteArray>& lines, const QByteArray& end = "\r\n") {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + end;
    return out;
}

QList<QByteArray> blockLines(const QByteArray& nummer, const QByteArray& name,
                             const QByteArray& jahr, const QByteArray& monat,
                             const QByteArray& tag) {
    return {nummer,
            name,
            jahr,
            monat,
            tag,
            "1 Woche vorher",
            "1 Tag vorher",
            "Am Tage des Geburtstages",
            "1. Geburtstag",
            "j\xE4hrlich"};
}

Record withMarkersCleared(Record r) {
    r.marker = {0, 0, 0};
    return r;
}

QString randomText(QRandomGenerator& rng, int minLength, int maxLength) {
    // Umlauts, the euro sign, blanks at either end and a lone LF are all kept by the format.
    static const QString alphabet =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCXYZ0123456789 äöüÄÖÜß€.,-()'\"\n");
    const int length = rng.bounded(minLength, maxLength + 1);
    QString s;
    for (int i = 0; i < length; ++i)
        s += alphabet[rng.bounded(int(alphabet.size()))];
    return s;
}

Snapshot randomList(QRandomGenerator& rng) {
    static const QStringList reminders = {
        QStringLiteral("Keine Erinnerung"), QStringLiteral("Am Tage des Geburtstages"),
        QStringLiteral("1 Tag vorher"),     QStringLiteral("1 Woche vorher"),
        QStringLiteral("4 Wochen vorher"),  QStringLiteral("3 Monate vorher")};
    static const QStringList starts = {QStringLiteral("1. Geburtstag"),
                                       QStringLiteral("18. Geburtstag"),
                                       QStringLiteral("125. Geburtstag")};
    static const QStringList cycles = {QStringLiteral("jährlich"), QStringLiteral("alle 5 Jahre"),
                                       QStringLiteral("alle 100 Jahre")};
    Snapshot list;
    const int n = rng.bounded(1, 40);
    for (int i = 0; i < n; ++i) {
        Record r;
        r.nummer = rng.bounded(1, 1000);
        r.name = rng.bounded(5) == 0 ? QStringLiteral(" ") : randomText(rng, 1, 30);
        r.jahr = rng.bounded(1800, 2100);
        r.monat = rng.bounded(1, 13);
        r.tag = rng.bounded(1, 32);
        for (QString& e : r.erinnerung)
            e = reminders[rng.bounded(int(reminders.size()))];
        r.erinnerungsbeginn = starts[rng.bounded(int(starts.size()))];
        r.erinnerungszyklus = cycles[rng.bounded(int(cycles.size()))];
        r.marker = {rng.bounded(3000), rng.bounded(3000), rng.bounded(3000)};
        list.push_back(r);
    }
    return list;
}

// Delivers an endless stream of digits and counts what it handed out.
class EndlessDevice : public QIODevice {
public:
    qint64 delivered = 0;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        memset(data, '7', size_t(maxSize));
        delivered += maxSize;
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

const QString noCountError = QStringLiteral(
    "Die Datei ist keine Geburtstagsliste: Ihre erste Zeile enthält keine Anzahl von Datensätzen.");
const QString noRecordError = QStringLiteral("Die Datei enthält keinen vollständigen Datensatz.");
const QString tooLargeError = QStringLiteral("Die Datei ist zu groß für eine Geburtstagsliste.");

} // namespace

class TestListFile : public QObject {
    Q_OBJECT

private slots:
    void sampleRecordBytes();
    void twentyFiveRecords();
    void characterBytes_data();
    void characterBytes();
    void randomRoundTrips();
    void extremeNumbersRoundTrip();
    void readingVariants_data();
    void readingVariants();
    void loneLineFeedStaysInText();
    void emptyNameLineReadsAsBlank();
    void blockCountWins_data();
    void blockCountWins();
    void refusedFiles_data();
    void refusedFiles();
    void unreadableNumberLine_data();
    void unreadableNumberLine();
    void missingNumbersTakeNextFree_data();
    void missingNumbersTakeNextFree();
    void oversizedFileIsNotRead();
    void oversizedStreamStops();
    void readFromPath();
    void sizeMatchesWrittenBytes_data();
    void sizeMatchesWrittenBytes();
    void cp1252HighRange_data();
    void cp1252HighRange();
    void cp1252AllBytesRoundTrip();
};

void TestListFile::sampleRecordBytes() {
    ReminderDefaults d;
    d.erinnerung1 = QStringLiteral("Am Tage des Geburtstages");
    d.erinnerung2 = QStringLiteral("Keine Erinnerung");
    d.erinnerung3 = QStringLiteral("Keine Erinnerung");
    d.abjahr = QStringLiteral("1. Geburtstag");
    d.zyklus = QStringLiteral("jährlich");
    Record r = sampleRecord(d);
    r.marker = {2024, 2025, 7}; // markers never reach the file
    const QByteArray expected = "\x20\x31\x20\r\n"
                                "\x20\x31\x20\r\n"
                                "Zellwig (der Programmierer)\r\n"
                                "\x20\x31\x39\x37\x31\x20\r\n"
                                "\x20\x31\x32\x20\r\n"
                                "\x20\x32\x32\x20\r\n"
                                "Am Tage des Geburtstages\r\n"
                                "Keine Erinnerung\r\n"
                                "Keine Erinnerung\r\n"
                                "1. Geburtstag\r\n"
                                "j\xE4hrlich\r\n";
    QCOMPARE(renderListFile({r}), expected);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeListFile(buffer, {r}));
    QCOMPARE(buffer.data(), expected);
    QCOMPARE(listFileSize({r}), qint64(expected.size()));
}

void TestListFile::twentyFiveRecords() {
    Snapshot list;
    for (int i = 1; i <= 25; ++i)
        list.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1950 + i, 1 + i % 12, i));
    const QByteArray bytes = renderListFile(list);
    QCOMPARE(bytes.left(6), QByteArray("\x20\x32\x35\x20\x0D\x0A"));
    QCOMPARE(bytes.count("\r\n"), 251);
    QCOMPARE(bytes.count('\r'), 251);
    QVERIFY(bytes.endsWith("j\xE4hrlich\r\n"));
    QCOMPARE(listFileSize(list), qint64(bytes.size()));

    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.declaredCount, 25);
    QCOMPARE(read.records, list);
}

void TestListFile::characterBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("a umlaut") << "Jäger" << QByteArray("J\xE4ger") << "Jäger";
    QTest::newRow("u umlaut") << "Müller" << QByteArray("M\xFCller") << "Müller";
    QTest::newRow("sharp s") << "Strauß" << QByteArray("Strau\xDF") << "Strauß";
    QTest::newRow("euro") << "5 €" << QByteArray("5 \x80") << "5 €";
    QTest::newRow("blank name") << " " << QByteArray(" ") << " ";
    QTest::newRow("empty name") << "" << QByteArray(" ") << " ";
    QTest::newRow("blanks kept") << "  Anna  " << QByteArray("  Anna  ") << "  Anna  ";
    QTest::newRow("outside cp1252") << QStringLiteral("Łukasz") << QByteArray("?ukasz") << "?ukasz";
    QTest::newRow("surrogate pair is one character")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b") << "a?b";
}

void TestListFile::characterBytes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, line);
    QFETCH(QString, readBack);
    const Record r = makeRecord(3, name, 1980, 5, 6);
    const QByteArray bytes = renderListFile({r});
    QCOMPARE(bytes, " 1 \r\n 3 \r\n" + line +
                        "\r\n 1980 \r\n 5 \r\n 6 \r\n1 Woche vorher\r\n1 Tag vorher\r\n"
                        "Am Tage des Geburtstages\r\n1. Geburtstag\r\nj\xE4hrlich\r\n");
    QCOMPARE(listFileSize({r}), qint64(bytes.size()));

    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.records.size(), size_t(1));
    QCOMPARE(read.records[0].name, readBack);
}

void TestListFile::randomRoundTrips() {
    QRandomGenerator rng(0x4e61746cu);
    for (int round = 0; round < 60; ++round) {
        const Snapshot list = randomList(rng);
        Snapshot expected;
        for (const Record& r : list)
            expected.push_back(withMarkersCleared(r));

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writeListFile(buffer, list));
        QCOMPARE(listFileSize(list), buffer.size());
        buffer.close();
        buffer.open(QIODevice::ReadOnly);
        const ListFileContents read = readListFile(buffer);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.declaredCount, int(list.size()));
        QCOMPARE(read.records, expected);
        // Writing what was read gives the same bytes again.
        QCOMPARE(renderListFile(read.records), buffer.data());
    }
}

void TestListFile::extremeNumbersRoundTrip() {
    Snapshot list{makeRecord(std::numeric_limits<int>::max(), QStringLiteral("a"),
                             std::numeric_limits<int>::min(), 0, -31),
                  makeRecord(0, QStringLiteral("b"), -1, 99, 0)};
    list[1].erinnerung = {QString(), QString(), QString()};
    list[1].erinnerungsbeginn.clear();
    const QByteArray bytes = renderListFile(list);
    QVERIFY(bytes.contains("\r\n 2147483647 \r\na\r\n-2147483648 \r\n 0 \r\n-31 \r\n"));
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.records, list);
}

void TestListFile::readingVariants_data() {
    QTest::addColumn<QByteArray>("bytes");

    const QList<QByteArray> canonical = QList<QByteArray>{" 2 "} +
                                        blockLines(" 7 ", "Anna", " 1971 ", " 3 ", " 9 ") +
                                        blockLines(" 12 ", " ", " 2001 ", " 12 ", " 31 ");
    const QList<QByteArray> bare = QList<QByteArray>{"2"} +
                                   blockLines("7", "Anna", "1971", "3", "9") +
                                   blockLines("12", " ", "2001", "12", "31");
    QTest::newRow("written with blanks") << fileOf(canonical);
    QTest::newRow("no blanks around numbers") << fileOf(bare);
    QTest::newRow("CR only") << fileOf(canonical, "\r");
    QTest::newRow("CR only, no blanks") << fileOf(bare, "\r");
    QTest::newRow("no line end after the last line") << fileOf(canonical).chopped(2);
    QByteArray mixed = fileOf(canonical);
    mixed.replace(" 1971 \r\n", " 1971 \r");
    QTest::newRow("mixed line ends") << mixed;
}

void TestListFile::readingVariants() {
    QFETCH(QByteArray, bytes);
    const Snapshot expected{makeRecord(7, QStringLiteral("Anna"), 1971, 3, 9),
                            makeRecord(12, QStringLiteral(" "), 2001, 12, 31)};
    const ListFileContents read = parseListFile(bytes);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.error, QString());
    QCOMPARE(read.declaredCount, 2);
    QCOMPARE(read.records, expected);
}

void TestListFile::loneLineFeedStaysInText() {
    const QByteArray bytes = fileOf(QList<QByteArray>{" 1 "} +
                                    blockLines(" 4 ", "Anna\nBerta\n", " 1971 ", " 3 ", " 9 "));
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.records.size(), size_t(1));
    QCOMPARE(read.records[0].name, QStringLiteral("Anna\nBerta\n"));
    QCOMPARE(read.records[0].jahr, 1971);

    // With LF alone there is only one line: no record at all.
    QByteArray lfOnly = bytes;
    lfOnly.replace("\r\n", "\n");
    const ListFileContents refused = parseListFile(lfOnly);
    QVERIFY(!refused.ok);
    QCOMPARE(refused.error, noRecordError);
}

void TestListFile::emptyNameLineReadsAsBlank() {
    const QByteArray bytes =
        fileOf(QList<QByteArray>{" 1 "} + blockLines(" 4 ", "", " 1971 ", " 3 ", " 9 "));
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.records, Snapshot{makeRecord(4, QStringLiteral(" "), 1971, 3, 9)});
    // Written back, the record is read as it was.
    QCOMPARE(parseListFile(renderListFile(read.records)).records, read.records);
}

void TestListFile::blockCountWins_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("declared");
    QTest::addColumn<int>("records");

    const QList<QByteArray> a = blockLines(" 1 ", "A", " 1990 ", " 1 ", " 2 ");
    const QList<QByteArray> b = blockLines(" 2 ", "B", " 1991 ", " 3 ", " 4 ");
    const QList<QByteArray> c = blockLines(" 3 ", "C", " 1992 ", " 5 ", " 6 ");
    QTest::newRow("count smaller") << fileOf(QList<QByteArray>{" 1 "} + a + b + c) << 1 << 3;
    QTest::newRow("count larger") << fileOf(QList<QByteArray>{" 5 "} + a + b) << 5 << 2;
    QTest::newRow("count zero") << fileOf(QList<QByteArray>{" 0 "} + a + b) << 0 << 2;
    QTest::newRow("count negative") << fileOf(QList<QByteArray>{"-4"} + a) << 0 << 1;
    QTest::newRow("incomplete last block")
        << fileOf(QList<QByteArray>{" 3 "} + a + b + c.mid(0, 4)) << 3 << 2;
    QTest::newRow("last block one line short")
        << fileOf(QList<QByteArray>{" 3 "} + a + b + c.mid(0, 9)) << 3 << 2;
}

void TestListFile::blockCountWins() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, declared);
    QFETCH(int, records);
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.declaredCount, declared);
    QCOMPARE(int(read.records.size()), records);
    const Snapshot all{makeRecord(1, QStringLiteral("A"), 1990, 1, 2),
                       makeRecord(2, QStringLiteral("B"), 1991, 3, 4),
                       makeRecord(3, QStringLiteral("C"), 1992, 5, 6)};
    QCOMPARE(read.records, Snapshot(all.begin(), all.begin() + records));
}

void TestListFile::refusedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    const QList<QByteArray> a = blockLines(" 1 ", "A", " 1990 ", " 1 ", " 2 ");
    QTest::newRow("empty file") << QByteArray() << noCountError;
    QTest::newRow("first line without number")
        << fileOf(QList<QByteArray>{"Geburtstage"} + a) << noCountError;
    QTest::newRow("first line empty") << fileOf(QList<QByteArray>{""} + a) << noCountError;
    QTest::newRow("only the count line") << fileOf({" 1 "}) << noRecordError;
    QTest::newRow("count line and nine lines")
        << fileOf(QList<QByteArray>{" 1 "} + a.mid(0, 9)) << noRecordError;
}

void TestListFile::refusedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(!read.ok);
    QCOMPARE(read.error, error);
    QVERIFY(read.records.empty());
}

void TestListFile::unreadableNumberLine_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("nummer");
    QTest::addColumn<int>("jahr");
    QTest::addColumn<int>("monat");
    QTest::addColumn<int>("tag");

    // Block: Nummer 5, Jahr 1971, Monat 3, Tag 9; the other block holds Nummer 8.
    QTest::newRow("Nummer letters") << 0 << QByteArray("x") << 9 << 1971 << 3 << 9;
    QTest::newRow("Nummer empty") << 0 << QByteArray("") << 9 << 1971 << 3 << 9;
    QTest::newRow("Jahr letters") << 2 << QByteArray("abc") << 5 << 1900 << 3 << 9;
    QTest::newRow("Jahr fraction") << 2 << QByteArray(" 1971.5 ") << 5 << 1900 << 3 << 9;
    QTest::newRow("Jahr overflow") << 2 << QByteArray(" 99999999999 ") << 5 << 1900 << 3 << 9;
    QTest::newRow("Monat empty") << 3 << QByteArray("") << 5 << 1971 << 1 << 9;
    QTest::newRow("Monat blank") << 3 << QByteArray(" ") << 5 << 1971 << 1 << 9;
    QTest::newRow("Tag trailing text") << 4 << QByteArray(" 9 Tage") << 5 << 1971 << 3 << 1;
}

void TestListFile::unreadableNumberLine() {
    QFETCH(int, line);
    QFETCH(QByteArray, content);
    QFETCH(int, nummer);
    QFETCH(int, jahr);
    QFETCH(int, monat);
    QFETCH(int, tag);
    QList<QByteArray> broken = blockLines(" 5 ", "Anna", " 1971 ", " 3 ", " 9 ");
    broken[line] = content;
    const QByteArray bytes = fileOf(QList<QByteArray>{" 2 "} + broken +
                                    blockLines(" 8 ", "Bert", " 1980 ", " 6 ", " 7 "));
    const ListFileContents read = parseListFile(bytes);
    QVERIFY(read.ok);
    QCOMPARE(read.records.size(), size_t(2));
    Record expected = makeRecord(nummer, QStringLiteral("Anna"), jahr, monat, tag);
    QCOMPARE(read.records[0], expected);
    // The neighbour is not touched.
    QCOMPARE(read.records[1], makeRecord(8, QStringLiteral("Bert"), 1980, 6, 7));
}

void TestListFile::missingNumbersTakeNextFree_data() {
    QTest::addColumn<QList<QByteArray>>("numbers");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("gap first") << QList<QByteArray>{"?", " 7 ", " 3 "} << QList<int>{8, 7, 3};
    QTest::newRow("two gaps in order")
        << QList<QByteArray>{" 4 ", "", " 2 ", "n"} << QList<int>{4, 5, 2, 6};
    QTest::newRow("all missing") << QList<QByteArray>{"a", "b"} << QList<int>{1, 2};
    QTest::newRow("only negative numbers") << QList<QByteArray>{"-3", "x"} << QList<int>{-3, 1};
    QTest::newRow("no number above int max")
        << QList<QByteArray>{" 2147483647 ", "x"} << QList<int>{2147483647, 0};
}

void TestListFile::missingNumbersTakeNextFree() {
    QFETCH(QList<QByteArray>, numbers);
    QFETCH(QList<int>, expected);
    QList<QByteArray> lines{QByteArray::number(numbers.size())};
    for (const QByteArray& n : numbers)
        lines += blockLines(n, "N", " 2000 ", " 2 ", " 3 ");
    const ListFileContents read = parseListFile(fileOf(lines));
    QVERIFY(read.ok);
    QList<int> got;
    for (const Record& r : read.records)
        got.push_back(r.nummer);
    QCOMPARE(got, expected);
}

void TestListFile::oversizedFileIsNotRead() {
    test::TempDataDir dir;
    const QString path = dir.file(QStringLiteral("gross.nxd"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(fileOf({" 1 "})));
        QVERIFY(f.resize(maxListFileBytes + 1)); // sparse: costs no disk and no time
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const ListFileContents read = readListFile(f);
    QVERIFY(!read.ok);
    QCOMPARE(read.error, tooLargeError);
    QCOMPARE(f.pos(), qint64(0));

    const ListFileContents byPath = readListFile(path);
    QVERIFY(!byPath.ok);
    QCOMPARE(byPath.error, tooLargeError);
}

void TestListFile::oversizedStreamStops() {
    EndlessDevice device;
    QVERIFY(device.open(QIODevice::ReadOnly));
    const ListFileContents read = readListFile(device);
    QVERIFY(!read.ok);
    QCOMPARE(read.error, tooLargeError);
    QVERIFY(device.delivered > maxListFileBytes);
    QVERIFY(device.delivered <= maxListFileBytes + 2 * 65536);
}

void TestListFile::readFromPath() {
    test::TempDataDir dir;
    const QString path = dir.file(QStringLiteral("natalix.nxd"));
    const Snapshot list{makeRecord(1, QStringLiteral("Jörg"), 1966, 6, 16)};
    QVERIFY(test::writeFileBytes(path, renderListFile(list)));
    const ListFileContents read = readListFile(path);
    QVERIFY(read.ok);
    QCOMPARE(read.records, list);

    const ListFileContents missing = readListFile(dir.file(QStringLiteral("fehlt.nxd")));
    QVERIFY(!missing.ok);
    QCOMPARE(missing.error, QStringLiteral("Die Datei konnte nicht geöffnet werden."));
}

void TestListFile::sizeMatchesWrittenBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("length");

    // One record numbered 1, born 22.12.1971: the numbers and line ends add 42 bytes.
    QTest::newRow("one letter, empty texts") << "A" << QStringList{"", "", "", "", ""} << 1;
    QTest::newRow("empty name counts as blank") << "" << QStringList{"", "", "", "", ""} << 1;
    QTest::newRow("defaults") << "Zellwig (der Programmierer)"
                              << QStringList{"1 Woche vorher", "1 Tag vorher",
                                             "Am Tage des Geburtstages", "1. Geburtstag",
                                             "jährlich"}
                              << 27 + 14 + 12 + 24 + 13 + 8;
    QTest::newRow("umlauts are one byte")
        << "Müßig" << QStringList{"4 Wochen vorher", "", "", "", "alle 5 Jahre"} << 5 + 15 + 12;
    QTest::newRow("character outside cp1252 is one byte")
        << QStringLiteral("\U0001F600") << QStringList{"", "", "", "", ""} << 1;
}

void TestListFile::sizeMatchesWrittenBytes() {
    QFETCH(QString, name);
    QFETCH(QStringList, texts);
    QFETCH(int, length);
    Record r = makeRecord(1, name, 1971, 12, 22);
    r.erinnerung = {texts[0], texts[1], texts[2]};
    r.erinnerungsbeginn = texts[3];
    r.erinnerungszyklus = texts[4];
    QCOMPARE(listFileSize({r}), qint64(length + 42));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeListFile(buffer, {r}));
    QCOMPARE(buffer.size(), qint64(length + 42));

    // Each further record adds its own share; an empty list is the count line alone.
    QCOMPARE(listFileSize({}), qint64(5));
    QCOMPARE(listFileSize({r, r}), qint64(5 + 2 * (length + 37)));
}

void TestListFile::cp1252HighRange_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("codePoint");

    QTest::newRow("0x80 euro") << 0x80 << 0x20AC;
    QTest::newRow("0x81 unassigned") << 0x81 << 0x81;
    QTest::newRow("0x84 low quote") << 0x84 << 0x201E;
    QTest::newRow("0x8A S caron") << 0x8A << 0x0160;
    QTest::newRow("0x8D unassigned") << 0x8D << 0x8D;
    QTest::newRow("0x93 left quote") << 0x93 << 0x201C;
    QTest::newRow("0x96 en dash") << 0x96 << 0x2013;
    QTest::newRow("0x99 trade mark") << 0x99 << 0x2122;
    QTest::newRow("0x9F Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("0xA0 no-break space") << 0xA0 << 0xA0;
    QTest::newRow("0xE4 a umlaut") << 0xE4 << 0xE4;
    QTest::newRow("0xFF y diaeresis") << 0xFF << 0xFF;
}

void TestListFile::cp1252HighRange() {
    QFETCH(int, byte);
    QFETCH(int, codePoint);
    const QByteArray bytes(1, char(byte));
    const QString text{QChar(char16_t(codePoint))};
    QCOMPARE(decodeCp1252(bytes), text);
    QCOMPARE(encodeCp1252(text), bytes);
    QVERIFY(isCp1252(char32_t(codePoint)));
    QCOMPARE(keepCp1252(text), text);
}

void TestListFile::cp1252AllBytesRoundTrip() {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = decodeCp1252(all);
    QCOMPARE(text.size(), qsizetype(256));
    QCOMPARE(encodeCp1252(text), all);
    QVERIFY(isCp1252(text));
    // The block where Windows-1252 differs from Latin-1, checked against the published table.
    QCOMPARE(text.mid(0x80, 32),
             QStringLiteral("\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030"
                            "\u0160\u2039\u0152\u008D\u017D\u008F\u0090\u2018\u2019\u201C"
                            "\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D"
                            "\u017E\u0178"));
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b >= 0xA0)
            QCOMPARE(text[b].unicode(), char16_t(b));
    }

    // Characters that have no byte: '?' when written, dropped by keepCp1252.
    const QString foreign = QStringLiteral("aŁ\U0001F600b") + QChar(0xD800);
    QCOMPARE(encodeCp1252(foreign), QByteArray("a??b?"));
    QVERIFY(!isCp1252(foreign));
    QVERIFY(!isCp1252(char32_t(0x0100)));
    QCOMPARE(keepCp1252(foreign), QStringLiteral("ab"));
}

QTEST_GUILESS_MAIN(TestListFile)
#include "test_listfile.moc"
