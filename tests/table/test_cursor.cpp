#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

#include <climits>
#include <memory>

using namespace natalix;
using natalix::test::makeRecord;
using natalix::test::TempDataDir;

namespace {

// Expected in the move scripts besides a record's number.
constexpr int atEof = -1;
constexpr int atBof = -2;
constexpr int gone = -3; // the current record was just deleted

QStringList describe(const std::vector<Record>& records) {
    QStringList out;
    for (const Record& r : records) {
        QStringList f;
        for (int i = 0; i < fieldCount; ++i)
            f << r.display(static_cast<Field>(i));
        out << f.join(u'|');
    }
    return out;
}

QList<int> numbersOf(const std::vector<Record>& records) {
    QList<int> out;
    for (const Record& r : records)
        out << r.nummer;
    return out;
}

const Record seed = makeRecord(1, QStringLiteral("Saat"), 1971, 12, 22);

// Everything the database file holds, read through a second connection.
std::vector<Record> stored(const QString& path) {
    auto other =
        TableStore::open(path, makeRecord(777, QStringLiteral("Fremd"), 1900, 1, 1), nullptr);
    std::vector<Record> out;
    for (StoredRow& row : other ? other->loadAll() : std::vector<StoredRow>{})
        out.push_back(std::move(row.record));
    return out;
}

struct Table : test::TestTable {
    using TestTable::TestTable;
    Cursor c{*store};
};

// Five records numbered 10 to 50, so that numbers and positions differ.
std::vector<Record> fiveRecords() {
    std::vector<Record> r;
    for (int i = 1; i <= 5; ++i)
        r.push_back(makeRecord(i * 10, QStringLiteral("Person %1").arg(i), 1950 + i, i, i));
    return r;
}

// F first, L last, N next, P previous, D delete, U update, digit: that position,
// S sort by name descending, B the first row's bookmark.
bool step(Cursor& c, QChar op) {
    static const QHash<QChar, bool (Cursor::*)()> plain{
        {u'F', &Cursor::moveFirst},    {u'L', &Cursor::moveLast},      {u'N', &Cursor::moveNext},
        {u'P', &Cursor::movePrevious}, {u'D', &Cursor::deleteCurrent}, {u'U', &Cursor::update}};
    if (plain.contains(op))
        return (c.*plain[op])();
    if (op == u'S')
        return c.setSort(QStringLiteral("Name DESC"));
    if (op == u'B')
        return c.setBookmark(c.bookmarkAt(0));
    return c.setAbsolutePosition(op.digitValue());
}

} // namespace

class TestCursor : public QObject {
    Q_OBJECT
private slots:
    // A missing file, a file of no bytes and a table without rows get the seed record.
    void missingOrEmptyDatabaseIsSeeded() {
        for (const QString before : {"missing", "zero", "emptyTable"}) {
            TempDataDir dir;
            const QString path = dir.file(TableStore::databaseFileName());
            if (before == u"zero")
                QVERIFY(natalix::test::writeFileBytes(path, QByteArray()));
            if (before == u"emptyTable") {
                auto first = TableStore::open(path, seed, nullptr);
                QVERIFY(first && first->remove(first->loadAll().at(0).rowid));
                QVERIFY(first->loadAll().empty());
            }
            QString error;
            auto store = TableStore::open(path, seed, &error);
            QVERIFY2(store, qPrintable(error));
            QCOMPARE(Cursor(*store).absolutePosition(), 1);
            QCOMPARE(describe(stored(path)), describe({seed}));
        }
    }

    // Texts go into the database as UTF-8 written by the store itself and come back as they
    // were; a surrogate without its partner comes back as U+FFFD.
    void textsStoredAsUtf8() {
        for (const auto& [text, back] :
             {std::pair{QStringLiteral("Zoë 🎂 𝄞"), QStringLiteral("Zoë 🎂 𝄞")},
              {QString::fromUtf16(u"Ende\xD83C"), QString::fromUtf16(u"Ende\xFFFD")},
              {QString::fromUtf16(u"\xD83C\xD83C\xDF82"),
               QString::fromUtf16(u"\xFFFD\xD83C\xDF82")}}) {
            Record r = makeRecord(3, text, 1980, 3, 7);
            r.erinnerungszyklus = text + text;
            Table t({makeRecord(1, "vorher", 1970, 1, 1), r});
            const std::vector<Record> read = stored(t.path);
            QCOMPARE(read.size(), size_t(2));
            QCOMPARE(read[1].name, back);
            QCOMPARE(read[1].erinnerungszyklus, back + back);
            QCOMPARE(read[0].name, QStringLiteral("vorher"));
        }
    }

    void moves_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("numbers"); // the current record's number after each step
        QTest::newRow("forward past the end")
            << "NNNNNN" << QList<int>{20, 30, 40, 50, atEof, atEof};
        QTest::newRow("back past the start") << "PPN" << QList<int>{atBof, atBof, 10};
        QTest::newRow("previous and last after eof")
            << "LNPNL" << QList<int>{50, atEof, 50, atEof, 50};
        QTest::newRow("first, then next") << "3F4N" << QList<int>{30, 10, 40, 50};
        QTest::newRow("out of range refused") << "206" << QList<int>{20, 20, 20};
        QTest::newRow("delete middle, next") << "3DN" << QList<int>{30, gone, 40};
        QTest::newRow("delete middle, previous") << "3DP" << QList<int>{30, gone, 20};
        QTest::newRow("delete first twice, next") << "1DDN" << QList<int>{10, gone, gone, 20};
        QTest::newRow("delete last, next") << "5DN" << QList<int>{50, gone, atEof};
        QTest::newRow("delete last, last") << "5DL" << QList<int>{50, gone, 40};
    }

    void moves() {
        QFETCH(QString, script);
        QFETCH(QList<int>, numbers);
        Table t(fiveRecords());
        Cursor& c = t.c;
        qint64 deleted = 0;
        for (int i = 0; i < script.size(); ++i) {
            const qint64 before = c.bookmark();
            if (step(c, script[i]) && script[i] == u'D')
                deleted = before;
            const QByteArray where = QByteArray::number(i) + ' ' + script[i].toLatin1();
            const int n = numbers[i];
            if (n > 0) {
                QVERIFY2(c.fieldNumber(Field::Nummer) == n && !c.eof() && !c.bof(), where);
                QVERIFY2(c.absolutePosition() == numbersOf(c.snapshot()).indexOf(n) + 1, where);
            } else {
                QVERIFY2(c.absolutePosition() == 0 && c.bookmark() == 0, where);
                QVERIFY2(!c.field(Field::Nummer).isValid(), where);
                QVERIFY2(n == gone || (c.eof() == (n == atEof) && c.bof() == (n == atBof)), where);
            }
            // A delete reaches the database at once, and only once.
            QVERIFY2(numbersOf(stored(t.path)) == numbersOf(c.snapshot()), where);
        }
        QCOMPARE(c.recordCount(), deleted ? 4 : 5);
        QVERIFY(!deleted || !c.setBookmark(deleted));
    }

    void pendingChangeStoredBy_data() {
        QTest::addColumn<QChar>("action");
        for (const char op : {'U', 'N', 'P', 'F', 'L', '5', 'S', 'B'})
            QTest::addRow("%c", op) << QChar::fromLatin1(op);
    }

    void pendingChangeStoredBy() {
        QFETCH(QChar, action);
        Table t(fiveRecords());
        Cursor& c = t.c;
        QVERIFY(c.setAbsolutePosition(2));
        // Text a number field cannot take is refused and leaves nothing to store.
        QVERIFY(!c.setField(Field::Jahr, u"19x"_qs) && !c.setField(u"Jahr"_qs, QVariant("abc")));
        QVERIFY(!c.hasPendingChanges());
        QVERIFY(c.setField(Field::Name, QStringLiteral("Änne Müller")));
        QVERIFY(c.setField(Field::Monat, QStringLiteral(" 11 ")));
        QVERIFY(c.setField(Field::E2, 2025));
        QVERIFY(c.setField(QStringLiteral("Erinnerungszyklus"), QStringLiteral("alle 2 Jahre")));
        QCOMPARE(c.field(Field::Monat), QVariant(11));
        std::vector<Record> expected = fiveRecords();
        // Read through a second connection, so this is what the file holds.
        QCOMPARE(describe(stored(t.path)), describe(expected)); // nothing written yet
        QVERIFY(step(c, action));
        expected[1].name = QStringLiteral("Änne Müller");
        expected[1].monat = 11;
        expected[1].marker[1] = 2025;
        expected[1].erinnerungszyklus = QStringLiteral("alle 2 Jahre");
        QCOMPARE(describe(stored(t.path)), describe(expected));
        QVERIFY(!c.hasPendingChanges());
    }

    void addNewIsStoredWhenLeft() {
        Table t(fiveRecords());
        Cursor& c = t.c;
        QVERIFY(c.setField(Field::Name, QStringLiteral("Geändert")));
        c.addNew(); // stores the pending change first
        QCOMPARE(stored(t.path)[0].name, QStringLiteral("Geändert"));
        QCOMPARE(c.absolutePosition(), 6);
        QVERIFY(c.setField(QStringLiteral("Nummer"), 60));
        QCOMPARE(stored(t.path).size(), size_t(5));
        QVERIFY(c.moveFirst());
        QCOMPARE(numbersOf(stored(t.path)), (QList<int>{10, 20, 30, 40, 50, 60}));
    }

    // Equal keys keep the order in which the records were stored; a refused expression
    // keeps the order before it (by month and day).
    void sortOrders_data() {
        QTest::addColumn<int>("set"); // of the records below
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QList<int>>("numbers"); // empty: refused
        const auto row = [](int set, const char* expression, QList<int> numbers) {
            QTest::addRow("%d: %s", set, expression) << set << expression << numbers;
        };
        // Month and day in number order, not text order; names with umlauts and mixed case.
        row(0, "Monat ASC,Tag ASC", {5, 2, 3, 1, 6, 4});
        row(0, "Nummer DESC", {6, 5, 4, 3, 2, 1});
        row(0, "Jahr DESC,Monat DESC,Tag DESC", {5, 1, 6, 3, 4, 2});
        row(0, "Name ASC", {4, 2, 3, 5, 6, 1});
        for (const char* refused : {"Nummer", "Nummer ASC; DROP TABLE Geburtstage", "Foo ASC",
                                    "Nummer UP", "", "Name ASC,"})
            row(0, refused, {});
        // Whole numbers from hand-edited lists reach both ends of their range.
        row(1, "Jahr ASC", {3, 1, 5, 6, 2, 4});
        row(1, "Jahr DESC", {4, 2, 6, 5, 1, 3});
        row(1, "Monat ASC,Jahr DESC", {2, 1, 3, 4, 6, 5});
        // Names alike in their first sixteen or thirty-two folded characters are told apart
        // further on, folded (8 and 9 go the other way by their exact characters); equal
        // folded names by their exact characters; a letter beyond Latin-1 after all of them.
        row(2, "Name ASC", {6, 3, 1, 2, 4, 9, 8, 5, 7});
        row(2, "Name DESC", {7, 5, 8, 9, 4, 2, 1, 3, 6});
    }

    void sortOrders() {
        QFETCH(int, set);
        QFETCH(QString, expression);
        QFETCH(QList<int>, numbers);
        std::vector<Record> records;
        if (set == 0)
            records = {makeRecord(1, "Zoe", 1990, 10, 2),   makeRecord(2, "ärger", 1985, 2, 10),
                       makeRecord(3, "Bernd", 1990, 9, 30), makeRecord(4, "anton", 1985, 10, 10),
                       makeRecord(5, "Östen", 2000, 2, 2),  makeRecord(6, "Ute", 1990, 10, 2)};
        if (set == 1)
            records = {makeRecord(1, "a", -1, 1, 7),      makeRecord(2, "b", INT_MAX - 1, 1, 7),
                       makeRecord(3, "c", INT_MIN, 1, 7), makeRecord(4, "d", INT_MAX, 2, 7),
                       makeRecord(5, "e", 0, 2, 7),       makeRecord(6, "f", 1, 2, 7)};
        if (set == 2) {
            int n = 0;
            for (const char* name :
                 {"Mustermann-Schmidt, Anna-Lena", "mustermann-schmidt, anna-lena",
                  "Mustermann-Schmidt, Anna-Lea", "Mustermann-Schmidt, Änne", "Mustermann-Schmiß",
                  "Mustermann", "Łukasiewicz", "Mustermann-Schmidt-Lüdenscheid, Bernd",
                  "Mustermann-Schmidt-Lüdenscheid, äbel"})
                records.push_back(makeRecord(++n, QString::fromUtf8(name), 1980, 1, 1));
        }
        Table t(records);
        Cursor& c = t.c;
        QVERIFY(c.setSort(QStringLiteral("Monat ASC,Tag ASC")));
        const QList<int> before = numbersOf(c.snapshot());
        QVERIFY(c.setAbsolutePosition(3));
        const int current = c.fieldNumber(Field::Nummer);
        const qint64 bm = c.bookmark();
        const bool accepted = !numbers.isEmpty();
        QCOMPARE(c.setSort(expression), accepted);
        if (!accepted)
            numbers = before;
        QCOMPARE(c.sort(), accepted ? expression : QStringLiteral("Monat ASC,Tag ASC"));
        QCOMPARE(numbersOf(c.snapshot()), numbers);
        QCOMPARE(c.fieldNumber(Field::Nummer), current);
        c.moveLast();
        QVERIFY(c.setBookmark(bm));
        QCOMPARE(c.absolutePosition(), numbers.indexOf(current) + 1);
        QCOMPARE(describe(stored(t.path)), describe(records)); // sorting changes no record
    }

    void snapshotHoldsEveryRow() {
        std::vector<Record> records;
        for (int i = 1; i <= 2500; ++i)
            records.push_back(makeRecord(i, QStringLiteral("P %1").arg(i), 1900, 1 + i % 12, 1));
        Table t(records);
        QVERIFY(t.c.setAbsolutePosition(2000));
        QVERIFY(t.c.setField(Field::Name, QStringLiteral("Geändert")));
        // The pending change is in the snapshot, not yet in the database.
        records[1999].name = QStringLiteral("Geändert");
        QCOMPARE(describe(t.c.snapshot()), describe(records));
        QCOMPARE(stored(t.path)[1999].name, QStringLiteral("P 2000"));
    }

    // Every whole-table change commits a transaction; here a rollback.
    void rollbackRestoresDatabaseAndRows() {
        Table t(fiveRecords());
        Cursor& c = t.c;
        QVERIFY(c.begin());
        QVERIFY(c.setField(Field::Name, QStringLiteral("Umbenannt")));
        QVERIFY(c.moveNext() && c.deleteCurrent());
        c.addNew();
        QVERIFY(c.setField(Field::Nummer, 99) && c.update());
        QCOMPARE(numbersOf(c.snapshot()), (QList<int>{10, 30, 40, 50, 99}));
        QVERIFY(c.rollback());
        QCOMPARE(describe(c.snapshot()), describe(fiveRecords()));
        QCOMPARE(describe(stored(t.path)), describe(fiveRecords()));
        QVERIFY(c.absolutePosition() >= 1);
        QVERIFY(!t.store->inTransaction());
    }
};

QTEST_GUILESS_MAIN(TestCursor)
#include "test_cursor.moc"
