#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

#include <climits>

using namespace natalix;
using natalix::test::makeRecord;
using natalix::test::TempDataDir;

namespace {

// Expected in the move scripts besides a record's number.
constexpr int atEof = -1;
constexpr int atBof = -2;
constexpr int gone = -3; // the current record was just deleted

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
            }
            QString error;
            auto store = TableStore::open(path, seed, &error);
            QVERIFY2(store, qPrintable(error));
            QCOMPARE(Cursor(*store).absolutePosition(), 1);
            QVERIFY(stored(path) == std::vector<Record>{seed});
        }
    }

    // Texts go into the database as UTF-8 written by the store itself and come back as they
    // were; a surrogate without its partner comes back as U+FFFD.
    void textsStoredAsUtf8() {
        const QString texts[] = {QStringLiteral("Zoë 🎂 𝄞"), QString::fromUtf16(u"Ende\xD83C"),
                                 QString::fromUtf16(u"\xD83C\xD83C\xDF82")};
        std::vector<Record> records;
        for (const QString& text : texts) {
            records.push_back(makeRecord(int(records.size()) + 1, text, 1980, 3, 7));
            records.back().erinnerungszyklus = text + text;
        }
        Table t(records);
        QStringList back;
        for (const Record& r : stored(t.path))
            back << r.name << r.erinnerungszyklus;
        const QString lone = QString::fromUtf16(u"Ende\xFFFD"),
                      pair = QString::fromUtf16(u"\xFFFD\xD83C\xDF82");
        QCOMPARE(back, (QStringList{texts[0], texts[0] + texts[0], lone, lone + lone, pair,
                                    pair + pair}));
    }

    // A script of steps, and the current record's number after each.
    void moves() {
        const std::pair<QString, QList<int>> scripts[] = {
            {"NNNNNN", {20, 30, 40, 50, atEof, atEof}}, // forward past the end
            {"PPN", {atBof, atBof, 10}},                // back past the start
            {"LNPNL", {50, atEof, 50, atEof, 50}},      // previous and last after eof
            {"206", {20, 20, 20}},                      // out of range refused
            {"3DN", {30, gone, 40}},
            {"3DP", {30, gone, 20}},
            {"1DDN", {10, gone, gone, 20}},
            {"5DN", {50, gone, atEof}},
            {"5DL", {50, gone, 40}}};
        for (const auto& [script, numbers] : scripts) {
            Table t(fiveRecords());
            Cursor& c = t.c;
            qint64 deleted = 0;
            for (int i = 0; i < script.size(); ++i) {
                const qint64 before = c.bookmark();
                if (step(c, script[i]) && script[i] == u'D')
                    deleted = before;
                const QByteArray where = script.toLatin1() + ' ' + QByteArray::number(i);
                const int n = numbers[i];
                if (n > 0) {
                    QVERIFY2(c.fieldNumber(Field::Nummer) == n && !c.eof() && !c.bof(), where);
                    QVERIFY2(c.absolutePosition() == numbersOf(c.snapshot()).indexOf(n) + 1, where);
                } else {
                    QVERIFY2(c.absolutePosition() == 0 && c.bookmark() == 0, where);
                    QVERIFY2(!c.field(Field::Nummer).isValid(), where);
                    QVERIFY2(n == gone || (c.eof() == (n == atEof) && c.bof() == (n == atBof)),
                             where);
                }
                // A delete reaches the database at once, and only once.
                QVERIFY2(numbersOf(stored(t.path)) == numbersOf(c.snapshot()), where);
            }
            QCOMPARE(c.recordCount(), deleted ? 4 : 5);
            QVERIFY(!deleted || !c.setBookmark(deleted));
        }
    }

    void pendingChangeStoredBy() {
        for (const char action : {'U', 'N', 'P', 'F', 'L', '5', 'S', 'B'}) {
            Table t(fiveRecords());
            Cursor& c = t.c;
            QVERIFY(c.setAbsolutePosition(2));
            // Text a number field cannot take is refused and leaves nothing to store.
            QVERIFY(!c.setField(Field::Jahr, u"19x"_qs) &&
                    !c.setField(u"Jahr"_qs, QVariant("abc")));
            QVERIFY(!c.hasPendingChanges());
            QVERIFY(c.setField(Field::Name, QStringLiteral("Änne Müller")));
            QVERIFY(c.setField(Field::Monat, QStringLiteral(" 11 ")));
            QVERIFY(c.setField(Field::E2, 2025));
            QVERIFY(
                c.setField(QStringLiteral("Erinnerungszyklus"), QStringLiteral("alle 2 Jahre")));
            QCOMPARE(c.field(Field::Monat), QVariant(11));
            std::vector<Record> expected = fiveRecords();
            // Read through a second connection, so this is what the file holds.
            QVERIFY(stored(t.path) == expected); // nothing written yet
            expected[1].name = QStringLiteral("Änne Müller");
            expected[1].monat = 11;
            expected[1].marker[1] = 2025;
            expected[1].erinnerungszyklus = QStringLiteral("alle 2 Jahre");
            QVERIFY(c.snapshot() == expected); // but the rows show it
            QVERIFY(step(c, QChar::fromLatin1(action)));
            QVERIFY(stored(t.path) == expected);
            QVERIFY(!c.hasPendingChanges());
        }
    }

    void addNewIsStoredWhenLeft() {
        Table t(fiveRecords());
        QVERIFY(t.c.setField(Field::Name, QStringLiteral("Geändert")));
        t.c.addNew(); // stores the pending change first
        QCOMPARE(stored(t.path)[0].name, QStringLiteral("Geändert"));
        QCOMPARE(t.c.absolutePosition(), 6);
        QVERIFY(t.c.setField(QStringLiteral("Nummer"), 60));
        QCOMPARE(stored(t.path).size(), size_t(5));
        QVERIFY(t.c.moveFirst());
        QCOMPARE(numbersOf(stored(t.path)), (QList<int>{10, 20, 30, 40, 50, 60}));
    }

    // Equal keys keep the order in which the records were stored; a refused expression
    // keeps the order before it (by month and day).
    void sortOrders() {
        // The set of records below, the expression, the order after it (empty: refused).
        std::vector<std::tuple<int, QString, QList<int>>> rows;
        // Month and day in number order, not text order; names with umlauts and mixed case.
        rows.push_back({0, "Monat ASC,Tag ASC", {5, 2, 3, 1, 6, 4}});
        rows.push_back({0, "Jahr DESC,Monat DESC,Tag DESC", {5, 1, 6, 3, 4, 2}});
        rows.push_back({0, "Name ASC", {4, 2, 3, 5, 6, 1}});
        for (const char* refused : {"Nummer", "Nummer ASC; DROP TABLE Geburtstage", "Foo ASC",
                                    "Nummer UP", "", "Name ASC,"})
            rows.push_back({0, refused, {}});
        // Whole numbers from hand-edited lists reach both ends of their range.
        rows.push_back({1, "Jahr ASC", {3, 1, 5, 6, 2, 4}});
        rows.push_back({1, "Jahr DESC", {4, 2, 6, 5, 1, 3}});
        rows.push_back({1, "Monat ASC,Jahr DESC", {2, 1, 3, 4, 6, 5}});
        // Names alike in their first sixteen or thirty-two folded characters are told apart
        // further on, folded (8 and 9 go the other way by their exact characters); equal
        // folded names by their exact characters; a letter beyond Latin-1 after all of them.
        rows.push_back({2, "Name ASC", {6, 3, 1, 2, 4, 9, 8, 5, 7}});
        rows.push_back({2, "Name DESC", {7, 5, 8, 9, 4, 2, 1, 3, 6}});
        std::vector<Record> sets[3] = {
            {makeRecord(1, "Zoe", 1990, 10, 2), makeRecord(2, "ärger", 1985, 2, 10),
             makeRecord(3, "Bernd", 1990, 9, 30), makeRecord(4, "anton", 1985, 10, 10),
             makeRecord(5, "Östen", 2000, 2, 2), makeRecord(6, "Ute", 1990, 10, 2)},
            {makeRecord(1, "a", -1, 1, 7), makeRecord(2, "b", INT_MAX - 1, 1, 7),
             makeRecord(3, "c", INT_MIN, 1, 7), makeRecord(4, "d", INT_MAX, 2, 7),
             makeRecord(5, "e", 0, 2, 7), makeRecord(6, "f", 1, 2, 7)},
            {}};
        for (const char* name :
             {"Mustermann-Schmidt, Anna-Lena", "mustermann-schmidt, anna-lena",
              "Mustermann-Schmidt, Anna-Lea", "Mustermann-Schmidt, Änne", "Mustermann-Schmiß",
              "Mustermann", "Łukasiewicz", "Mustermann-Schmidt-Lüdenscheid, Bernd",
              "Mustermann-Schmidt-Lüdenscheid, äbel"})
            sets[2].push_back(
                makeRecord(int(sets[2].size()) + 1, QString::fromUtf8(name), 1980, 1, 1));
        for (auto [set, expression, numbers] : rows) {
            const std::vector<Record>& records = sets[set];
            Table t(records);
            QVERIFY(t.c.setSort(QStringLiteral("Monat ASC,Tag ASC")));
            const QList<int> before = numbersOf(t.c.snapshot());
            QVERIFY(t.c.setAbsolutePosition(3));
            const int current = t.c.fieldNumber(Field::Nummer);
            const qint64 bm = t.c.bookmark();
            const bool accepted = !numbers.isEmpty();
            QCOMPARE(t.c.setSort(expression), accepted);
            if (!accepted)
                numbers = before;
            QCOMPARE(t.c.sort(), accepted ? expression : QStringLiteral("Monat ASC,Tag ASC"));
            QCOMPARE(numbersOf(t.c.snapshot()), numbers);
            QCOMPARE(t.c.fieldNumber(Field::Nummer), current);
            t.c.moveLast();
            QVERIFY(t.c.setBookmark(bm));
            QCOMPARE(t.c.absolutePosition(), numbers.indexOf(current) + 1);
            QVERIFY(stored(t.path) == records); // sorting changes no record
        }
    }

    // Every whole-table change commits a transaction; here a rollback.
    void rollbackRestoresDatabaseAndRows() {
        Table t(fiveRecords());
        QVERIFY(t.c.begin());
        QVERIFY(t.c.setField(Field::Name, QStringLiteral("Umbenannt")));
        QVERIFY(t.c.moveNext() && t.c.deleteCurrent());
        t.c.addNew();
        QVERIFY(t.c.setField(Field::Nummer, 99) && t.c.update());
        QCOMPARE(numbersOf(t.c.snapshot()), (QList<int>{10, 30, 40, 50, 99}));
        QVERIFY(t.c.rollback());
        QVERIFY(t.c.snapshot() == fiveRecords());
        QVERIFY(stored(t.path) == fiveRecords());
        QVERIFY(t.c.absolutePosition() >= 1);
        QVERIFY(!t.store->inTransaction());
    }
};

QTEST_GUILESS_MAIN(TestCursor)
#include "test_cursor.moc"
