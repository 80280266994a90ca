#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QFile>
#include <QtTest>

#include <memory>

using namespace natalix;
using natalix::test::makeRecord;
using natalix::test::TempDataDir;

namespace {

// Positions in the move scripts: a record's position, or one of these for "no current record".
constexpr int atEof = -1;
constexpr int atBof = -2;

QString describe(const Record& r) {
    QStringList f;
    for (int i = 0; i < fieldCount; ++i)
        f << r.display(static_cast<Field>(i));
    return f.join(u'|');
}

QStringList describe(const std::vector<Record>& records) {
    QStringList out;
    for (const Record& r : records)
        out << describe(r);
    return out;
}

Record seedRecord() {
    Record r = makeRecord(1, QStringLiteral("Saat"), 1971, 12, 22);
    r.erinnerung = {QStringLiteral("Am Tage des Geburtstages"), QStringLiteral("Keine Erinnerung"),
                    QStringLiteral("Keine Erinnerung")};
    return r;
}

// Everything the database file holds, read through a second connection.
std::vector<Record> stored(const QString& path) {
    QString error;
    auto other =
        TableStore::open(path, makeRecord(777, QStringLiteral("Fremd"), 1900, 1, 1), &error);
    if (!other)
        return {};
    std::vector<Record> out;
    for (StoredRow& row : other->loadAll())
        out.push_back(std::move(row.record));
    return out;
}

QList<int> numbersOf(const std::vector<Record>& records) {
    QList<int> out;
    for (const Record& r : records)
        out << r.nummer;
    return out;
}

struct Table {
    TempDataDir dir;
    QString path = dir.file(TableStore::databaseFileName());
    std::unique_ptr<TableStore> store;
    std::unique_ptr<Cursor> cursor;

    explicit Table(const std::vector<Record>& records = {}) {
        QString error;
        store = TableStore::open(path, seedRecord(), &error);
        if (!store)
            qFatal("cannot open the test database: %s", qPrintable(error));
        cursor = std::make_unique<Cursor>(*store);
        if (!records.empty() && !cursor->replaceAll(records))
            qFatal("cannot fill the test database: %s", qPrintable(cursor->lastError()));
    }
};

// Five records numbered 10 to 50, so that numbers and positions differ.
std::vector<Record> fiveRecords() {
    std::vector<Record> r;
    for (int i = 1; i <= 5; ++i)
        r.push_back(makeRecord(i * 10, QStringLiteral("Person %1").arg(i), 1950 + i, i, i));
    return r;
}

// Birthdays chosen so that text order and number order differ, names with umlauts and case.
std::vector<Record> sortRecords() {
    return {makeRecord(1, QStringLiteral("Zoe"), 1990, 10, 2),
            makeRecord(2, QStringLiteral("ärger"), 1985, 2, 10),
            makeRecord(3, QStringLiteral("Bernd"), 1990, 9, 30),
            makeRecord(4, QStringLiteral("anton"), 1985, 10, 10),
            makeRecord(5, QStringLiteral("Östen"), 2000, 2, 2),
            makeRecord(6, QStringLiteral("Ute"), 1990, 10, 2)};
}

QList<int> cursorNumbers(const Cursor& c) {
    return numbersOf(c.snapshot());
}

} // namespace

class TestCursor : public QObject {
    Q_OBJECT
private slots:
    void missingOrEmptyDatabaseIsSeeded_data();
    void missingOrEmptyDatabaseIsSeeded();
    void databaseInMissingFolderIsRefused();
    void contentsPersistAcrossReopen();
    void moves_data();
    void moves();
    void positionOutOfRangeIsRefused();
    void deleteCurrent_data();
    void deleteCurrent();
    void pendingChangeStoredBy_data();
    void pendingChangeStoredBy();
    void addNewIsStoredWhenLeft();
    void wholeNumberFieldConversion_data();
    void wholeNumberFieldConversion();
    void sortOrders_data();
    void sortOrders();
    void refusedSortExpressions_data();
    void refusedSortExpressions();
    void snapshotHoldsEveryRow();
    void transaction_data();
    void transaction();
    void replaceAll_data();
    void replaceAll();
    void deleteAllButFirstKeepsTheFirstInOrder();
    void reminderFieldByName();
};

void TestCursor::missingOrEmptyDatabaseIsSeeded_data() {
    QTest::addColumn<QString>("before");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("zero-byte file") << "zero";
    QTest::newRow("table without rows") << "emptyTable";
}

void TestCursor::missingOrEmptyDatabaseIsSeeded() {
    QFETCH(QString, before);
    TempDataDir dir;
    const QString path = dir.file(TableStore::databaseFileName());
    if (before == u"zero") {
        QVERIFY(natalix::test::writeFileBytes(path, QByteArray()));
    } else if (before == u"emptyTable") {
        QString error;
        auto first = TableStore::open(path, seedRecord(), &error);
        QVERIFY2(first, qPrintable(error));
        const auto rows = first->loadAll();
        QCOMPARE(rows.size(), size_t(1));
        QVERIFY(first->remove(rows.front().rowid));
        QVERIFY(first->loadAll().empty());
    }
    QString error;
    auto store = TableStore::open(path, seedRecord(), &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY(QFile::exists(path));
    Cursor cursor(*store);
    QCOMPARE(cursor.recordCount(), 1);
    QCOMPARE(cursor.absolutePosition(), 1);
    QCOMPARE(describe(cursor.currentRecord()), describe(seedRecord()));
    QCOMPARE(describe(stored(path)), QStringList{describe(seedRecord())});
}

void TestCursor::databaseInMissingFolderIsRefused() {
    TempDataDir dir;
    QString error;
    auto store =
        TableStore::open(dir.file(QStringLiteral("fehlt/Geburtstage.db")), seedRecord(), &error);
    QVERIFY(!store);
    QVERIFY(!error.isEmpty());
}

void TestCursor::contentsPersistAcrossReopen() {
    TempDataDir dir;
    const QString path = dir.file(TableStore::databaseFileName());
    std::vector<Record> records = fiveRecords();
    records[2].name = QStringLiteral("Jürgen Groß");
    records[2].marker = {2024, 0, 2025};
    {
        QString error;
        auto store = TableStore::open(path, seedRecord(), &error);
        QVERIFY(store);
        Cursor cursor(*store);
        QVERIFY(cursor.replaceAll(records));
        QVERIFY(cursor.setAbsolutePosition(4));
        QVERIFY(cursor.setField(Field::Erinnerungszyklus, QStringLiteral("alle 2 Jahre")));
        QVERIFY(cursor.update());
    }
    records[3].erinnerungszyklus = QStringLiteral("alle 2 Jahre");
    QString error;
    // Another seed: a table with rows must not be seeded again.
    auto store = TableStore::open(path, makeRecord(99, QStringLiteral("Neu"), 2000, 1, 1), &error);
    QVERIFY(store);
    Cursor cursor(*store);
    QCOMPARE(describe(cursor.snapshot()), describe(records));
}

void TestCursor::moves_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("positions");
    // F first, L last, N next, P previous, digit: set that absolute position.
    QTest::newRow("forward past the end") << "NNNNNN" << QList<int>{2, 3, 4, 5, atEof, atEof};
    QTest::newRow("back past the start") << "PPN" << QList<int>{atBof, atBof, 1};
    QTest::newRow("last and back") << "LPP" << QList<int>{5, 4, 3};
    QTest::newRow("previous after eof") << "LNP" << QList<int>{5, atEof, 5};
    QTest::newRow("last after eof") << "LNL" << QList<int>{5, atEof, 5};
    QTest::newRow("first from the middle") << "3F" << QList<int>{3, 1};
    QTest::newRow("next from a set position") << "4N" << QList<int>{4, 5};
}

void TestCursor::moves() {
    QFETCH(QString, script);
    QFETCH(QList<int>, positions);
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QCOMPARE(c.absolutePosition(), 1);
    QCOMPARE(c.fieldNumber(Field::Nummer), 10);
    for (int i = 0; i < script.size(); ++i) {
        const QChar op = script[i];
        if (op == u'F')
            c.moveFirst();
        else if (op == u'L')
            c.moveLast();
        else if (op == u'N')
            c.moveNext();
        else if (op == u'P')
            c.movePrevious();
        else
            QVERIFY(c.setAbsolutePosition(op.digitValue()));
        const QByteArray step = QByteArray::number(i) + ' ' + op.toLatin1();
        const int expected = positions[i];
        if (expected > 0) {
            QVERIFY2(c.absolutePosition() == expected, step);
            QVERIFY2(!c.eof() && !c.bof(), step);
            QVERIFY2(c.fieldNumber(Field::Nummer) == expected * 10, step);
        } else {
            QVERIFY2(c.absolutePosition() == 0, step);
            QVERIFY2(c.eof() == (expected == atEof), step);
            QVERIFY2(c.bof() == (expected == atBof), step);
            QVERIFY2(!c.field(Field::Nummer).isValid(), step);
            QVERIFY2(c.bookmark() == 0, step);
        }
    }
}

void TestCursor::positionOutOfRangeIsRefused() {
    Table t(fiveRecords());
    QVERIFY(t.cursor->setAbsolutePosition(2));
    QVERIFY(!t.cursor->setAbsolutePosition(6));
    QVERIFY(!t.cursor->setAbsolutePosition(0));
    QCOMPARE(t.cursor->absolutePosition(), 2);
}

void TestCursor::deleteCurrent_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("then");
    QTest::addColumn<int>("expectedPosition"); // atEof: none
    QTest::addColumn<int>("expectedNummer");
    QTest::newRow("middle, next") << 3 << "next" << 3 << 40;
    QTest::newRow("middle, previous") << 3 << "previous" << 2 << 20;
    QTest::newRow("first, next") << 1 << "next" << 1 << 20;
    QTest::newRow("last, next") << 5 << "next" << atEof << 0;
    QTest::newRow("last, last") << 5 << "last" << 4 << 40;
}

void TestCursor::deleteCurrent() {
    QFETCH(int, position);
    QFETCH(QString, then);
    QFETCH(int, expectedPosition);
    QFETCH(int, expectedNummer);
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QVERIFY(c.setAbsolutePosition(position));
    const qint64 gone = c.bookmark();
    const int goneNummer = c.fieldNumber(Field::Nummer);
    QVERIFY(c.deleteCurrent());

    QCOMPARE(c.recordCount(), 4);
    QCOMPARE(c.absolutePosition(), 0);
    QVERIFY(!c.field(Field::Name).isValid());
    QVERIFY(!c.deleteCurrent());
    QVERIFY(!numbersOf(stored(t.path)).contains(goneNummer));
    QCOMPARE(stored(t.path).size(), size_t(4));

    if (then == u"next")
        c.moveNext();
    else if (then == u"previous")
        c.movePrevious();
    else
        c.moveLast();
    if (expectedPosition == atEof) {
        QVERIFY(c.eof());
        QCOMPARE(c.absolutePosition(), 0);
    } else {
        QCOMPARE(c.absolutePosition(), expectedPosition);
        QCOMPARE(c.fieldNumber(Field::Nummer), expectedNummer);
    }
    QVERIFY(!c.setBookmark(gone));
}

void TestCursor::pendingChangeStoredBy_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("update") << "update";
    QTest::newRow("moveNext") << "moveNext";
    QTest::newRow("movePrevious") << "movePrevious";
    QTest::newRow("moveFirst") << "moveFirst";
    QTest::newRow("moveLast") << "moveLast";
    QTest::newRow("setAbsolutePosition") << "setAbsolutePosition";
    QTest::newRow("setBookmark") << "setBookmark";
    QTest::newRow("setSort") << "setSort";
    QTest::newRow("addNew") << "addNew";
}

void TestCursor::pendingChangeStoredBy() {
    QFETCH(QString, action);
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QVERIFY(c.setAbsolutePosition(2));
    const qint64 bm = c.bookmark();
    QVERIFY(c.setField(Field::Name, QStringLiteral("Änne Müller")));
    QVERIFY(c.setField(Field::Monat, QStringLiteral(" 11 ")));
    QVERIFY(c.setField(Field::E2, 2025));
    QVERIFY(c.hasPendingChanges());
    QCOMPARE(c.field(Field::Name).toString(), QStringLiteral("Änne Müller"));
    QCOMPARE(c.field(Field::Monat).toInt(), 11);

    std::vector<Record> expected = fiveRecords();
    QCOMPARE(describe(stored(t.path)), describe(expected));

    if (action == u"update")
        QVERIFY(c.update());
    else if (action == u"moveNext")
        QVERIFY(c.moveNext());
    else if (action == u"movePrevious")
        QVERIFY(c.movePrevious());
    else if (action == u"moveFirst")
        QVERIFY(c.moveFirst());
    else if (action == u"moveLast")
        QVERIFY(c.moveLast());
    else if (action == u"setAbsolutePosition")
        QVERIFY(c.setAbsolutePosition(5));
    else if (action == u"setBookmark")
        QVERIFY(c.setBookmark(bm));
    else if (action == u"setSort")
        QVERIFY(c.setSort(QStringLiteral("Name DESC")));
    else if (action == u"addNew")
        c.addNew();

    expected[1].name = QStringLiteral("Änne Müller");
    expected[1].monat = 11;
    expected[1].marker[1] = 2025;
    std::vector<Record> inDatabase = stored(t.path);
    QCOMPARE(describe(inDatabase), describe(expected));
    if (action != u"addNew")
        QVERIFY(!c.hasPendingChanges());
}

void TestCursor::addNewIsStoredWhenLeft() {
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    c.addNew();
    QCOMPARE(c.recordCount(), 6);
    QCOMPARE(c.absolutePosition(), 6);
    QVERIFY(c.setField(Field::Nummer, 60));
    QVERIFY(c.setField(QStringLiteral("Name"), QStringLiteral("Neu")));
    QCOMPARE(stored(t.path).size(), size_t(5));

    QVERIFY(c.moveFirst());
    const std::vector<Record> inDatabase = stored(t.path);
    QCOMPARE(inDatabase.size(), size_t(6));
    QCOMPARE(inDatabase.back().nummer, 60);
    QCOMPARE(inDatabase.back().name, QStringLiteral("Neu"));
    QVERIFY(c.bookmarkAt(5) != 0);
    QVERIFY(c.setBookmark(c.bookmarkAt(5)));
    QCOMPARE(c.fieldText(Field::Name), QStringLiteral("Neu"));
}

void TestCursor::wholeNumberFieldConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "1985" << true << 1985;
    QTest::newRow("list file form") << " 1985 " << true << 1985;
    QTest::newRow("negative") << "-3" << true << -3;
    QTest::newRow("letters") << "abc" << false << 1951;
    QTest::newRow("empty") << "" << false << 1951;
    QTest::newRow("blank") << " " << false << 1951;
    QTest::newRow("trailing letters") << "19x" << false << 1951;
    QTest::newRow("too large") << "2147483648" << false << 1951;
}

void TestCursor::wholeNumberFieldConversion() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, expected);
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QCOMPARE(c.setField(Field::Jahr, text), accepted);
    QCOMPARE(c.setField(QStringLiteral("Jahr"), QVariant(text)), accepted);
    QCOMPARE(c.field(Field::Jahr), QVariant(expected));
    QCOMPARE(c.hasPendingChanges(), accepted);
    QVERIFY(c.update());
    QCOMPARE(stored(t.path).front().jahr, expected);
}

void TestCursor::sortOrders_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QList<int>>("numbers");
    // Equal keys keep the order in which the records were stored (1 before 6).
    QTest::newRow("Nummer ASC") << "Nummer ASC" << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("Nummer DESC") << "Nummer DESC" << QList<int>{6, 5, 4, 3, 2, 1};
    QTest::newRow("Monat ASC,Tag ASC") << "Monat ASC,Tag ASC" << QList<int>{5, 2, 3, 1, 6, 4};
    QTest::newRow("Monat DESC,Tag DESC") << "Monat DESC,Tag DESC" << QList<int>{4, 1, 6, 3, 2, 5};
    QTest::newRow("Jahr ASC,Monat ASC,Tag ASC")
        << "Jahr ASC,Monat ASC,Tag ASC" << QList<int>{2, 4, 3, 1, 6, 5};
    QTest::newRow("Jahr DESC,Monat DESC,Tag DESC")
        << "Jahr DESC,Monat DESC,Tag DESC" << QList<int>{5, 1, 6, 3, 4, 2};
    QTest::newRow("Name ASC") << "Name ASC" << QList<int>{4, 2, 3, 5, 6, 1};
    QTest::newRow("Name DESC") << "Name DESC" << QList<int>{1, 6, 5, 3, 2, 4};
    QTest::newRow("Tag ASC") << "Tag ASC" << QList<int>{1, 5, 6, 2, 4, 3};
}

void TestCursor::sortOrders() {
    QFETCH(QString, expression);
    QFETCH(QList<int>, numbers);
    Table t(sortRecords());
    Cursor& c = *t.cursor;
    const QStringList before = describe(stored(t.path));
    QVERIFY(c.setAbsolutePosition(3)); // Bernd, number 3
    const qint64 bm = c.bookmark();

    QVERIFY(c.setSort(expression));
    QCOMPARE(c.sort(), expression);
    QCOMPARE(cursorNumbers(c), numbers);
    for (int i = 0; i < numbers.size(); ++i)
        QCOMPARE(c.rowAt(i).nummer, numbers[i]);
    c.moveLast();
    QVERIFY(c.setBookmark(bm));
    QCOMPARE(c.fieldNumber(Field::Nummer), 3);
    QCOMPARE(c.absolutePosition(), numbers.indexOf(3) + 1);
    // Sorting changes no record.
    QCOMPARE(describe(stored(t.path)), before);
}

void TestCursor::refusedSortExpressions_data() {
    QTest::addColumn<QString>("expression");
    QTest::newRow("no direction") << "Nummer";
    QTest::newRow("statement appended") << "Nummer ASC; DROP TABLE Geburtstage";
    QTest::newRow("unknown field") << "Foo ASC";
    QTest::newRow("unknown direction") << "Nummer UP";
    QTest::newRow("empty") << "";
    QTest::newRow("trailing comma") << "Name ASC,";
}

void TestCursor::refusedSortExpressions() {
    QFETCH(QString, expression);
    Table t(sortRecords());
    Cursor& c = *t.cursor;
    QVERIFY(c.setSort(QStringLiteral("Monat ASC,Tag ASC")));
    QVERIFY(c.setAbsolutePosition(2));
    QVERIFY(!c.setSort(expression));
    QCOMPARE(c.sort(), QStringLiteral("Monat ASC,Tag ASC"));
    QCOMPARE(cursorNumbers(c), (QList<int>{5, 2, 3, 1, 6, 4}));
    QCOMPARE(c.absolutePosition(), 2);
    QCOMPARE(c.fieldNumber(Field::Nummer), 2);
    QCOMPARE(stored(t.path).size(), size_t(6));
}

void TestCursor::snapshotHoldsEveryRow() {
    std::vector<Record> records;
    for (int i = 1; i <= 2500; ++i)
        records.push_back(
            makeRecord(i, QStringLiteral("Person %1").arg(i), 1900 + i % 200, 1 + i % 12, 1));
    Table t(records);
    Cursor& c = *t.cursor;
    QVERIFY(c.setAbsolutePosition(2000));
    QVERIFY(c.setField(Field::Name, QStringLiteral("Geändert")));

    const Snapshot s = c.snapshot();
    QCOMPARE(s.size(), size_t(2500));
    for (int i = 0; i < 2500; ++i)
        QCOMPARE(s[i].nummer, i + 1);
    QCOMPARE(s[1999].name, QStringLiteral("Geändert"));
    QCOMPARE(s[1998].name, QStringLiteral("Person 1999"));
    QCOMPARE(stored(t.path)[1999].name, QStringLiteral("Person 2000"));
}

void TestCursor::transaction_data() {
    QTest::addColumn<bool>("keep");
    QTest::newRow("commit") << true;
    QTest::newRow("rollback") << false;
}

void TestCursor::transaction() {
    QFETCH(bool, keep);
    const std::vector<Record> original = fiveRecords();
    Table t(original);
    Cursor& c = *t.cursor;
    QVERIFY(c.begin());
    QVERIFY(c.setField(Field::Name, QStringLiteral("Umbenannt")));
    QVERIFY(c.moveNext());
    QVERIFY(c.deleteCurrent());
    c.addNew();
    QVERIFY(c.setField(Field::Nummer, 99));
    QVERIFY(c.update());
    QCOMPARE(cursorNumbers(c), (QList<int>{10, 30, 40, 50, 99}));

    if (keep) {
        QVERIFY(c.commit());
        const std::vector<Record> inDatabase = stored(t.path);
        QCOMPARE(numbersOf(inDatabase), (QList<int>{10, 30, 40, 50, 99}));
        QCOMPARE(inDatabase.front().name, QStringLiteral("Umbenannt"));
    } else {
        QVERIFY(c.rollback());
        QCOMPARE(describe(c.snapshot()), describe(original));
        QCOMPARE(describe(stored(t.path)), describe(original));
        QVERIFY(c.absolutePosition() >= 1);
    }
    QVERIFY(!t.store->inTransaction());
}

void TestCursor::replaceAll_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("1") << 1;
    QTest::newRow("6") << 6;
    QTest::newRow("121") << 121;
}

void TestCursor::replaceAll() {
    QFETCH(int, count);
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QVERIFY(c.setSort(QStringLiteral("Nummer DESC")));
    std::vector<Record> records;
    for (int i = 0; i < count; ++i) {
        // Numbers out of order with a gap, so the stored order and the sort are both visible.
        Record r = makeRecord((i * 7) % count + 100, QStringLiteral("Neu %1").arg(i), 1980, 5, 5);
        r.marker = {i, 0, 2020};
        records.push_back(r);
    }
    QVERIFY(c.replaceAll(records));
    QCOMPARE(describe(stored(t.path)), describe(records));
    QCOMPARE(c.recordCount(), count);
    QCOMPARE(c.absolutePosition(), 1);
    QCOMPARE(c.fieldNumber(Field::Nummer), count + 99); // still sorted by number, descending
    QSet<qint64> bookmarks;
    for (int i = 0; i < count; ++i)
        bookmarks.insert(c.bookmarkAt(i));
    QCOMPARE(bookmarks.size(), count);
    QVERIFY(!bookmarks.contains(0));
}

void TestCursor::deleteAllButFirstKeepsTheFirstInOrder() {
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QVERIFY(c.setSort(QStringLiteral("Nummer DESC")));
    QVERIFY(c.setAbsolutePosition(3));
    QVERIFY(c.setField(Field::Name, QStringLiteral("Schwebend")));
    QVERIFY(c.deleteAllButFirst());
    QCOMPARE(c.recordCount(), 1);
    QCOMPARE(c.absolutePosition(), 1);
    QCOMPARE(c.fieldNumber(Field::Nummer), 50);
    QCOMPARE(describe(stored(t.path)), QStringList{describe(fiveRecords().back())});
}

void TestCursor::reminderFieldByName() {
    Table t(fiveRecords());
    Cursor& c = *t.cursor;
    QCOMPARE(c.field(QStringLiteral("Erinnerung 1")).toString(), QStringLiteral("1 Woche vorher"));
    QCOMPARE(c.field(QStringLiteral("Erinnerung 3")).toString(),
             QStringLiteral("Am Tage des Geburtstages"));
    QVERIFY(!c.field(QStringLiteral("Erinnerung1")).isValid());
    QVERIFY(!c.setField(QStringLiteral("Erinnerung1"), QStringLiteral("2 Tage vorher")));
    QVERIFY(c.setField(QStringLiteral("Erinnerung 1"), QStringLiteral("2 Tage vorher")));
    QVERIFY(c.setField(QStringLiteral("Erinnerungszyklus"), QStringLiteral("jährlich")));
    QVERIFY(c.update());
    const Record first = stored(t.path).front();
    QCOMPARE(first.erinnerung[0], QStringLiteral("2 Tage vorher"));
    QCOMPARE(first.erinnerung[1], QStringLiteral("1 Tag vorher"));
    QCOMPARE(first.erinnerungszyklus, QStringLiteral("jährlich"));
}

QTEST_GUILESS_MAIN(TestCursor)
#include "test_cursor.moc"
