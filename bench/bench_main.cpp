// Import, export and scan timings against what SQLite itself needs to store the same rows.
#include "listfile/listfile.h"
#include "reminder/scanrunner.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace natalix;

namespace {

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "natalix_bench: %s\n", what);
    std::exit(1);
}

std::vector<Record> generate(int count) {
    static const char* const first[] = {"Anna",  "Jürgen", "Özlem", "Ulrike", "Björn",
                                        "Heike", "Ömer",   "Käthe", "Lars",   "Zoë"};
    static const char* const last[] = {"Müller",   "Groß",   "Schäfer", "Weiß",   "Bäcker",
                                       "Hoffmann", "Köhler", "Schulz",  "Krüger", "Neumann"};
    static const char* const offsets[] = {"Keine Erinnerung", "Am Tage des Geburtstages",
                                          "1 Tag vorher",     "3 Tage vorher",
                                          "1 Woche vorher",   "2 Wochen vorher"};
    quint32 seed = 20250307;
    auto next = [&seed](quint32 range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    std::vector<Record> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        Record r;
        r.nummer = i + 1;
        r.name = QString::fromUtf8(first[next(10)]) + u' ' + QString::fromUtf8(last[next(10)]) +
                 u' ' + QString::number(i + 1);
        r.jahr = 1900 + static_cast<int>(next(124));
        r.monat = 1 + static_cast<int>(next(12));
        r.tag = 1 + static_cast<int>(next(28));
        for (QString& e : r.erinnerung)
            e = QString::fromUtf8(offsets[next(6)]);
        r.erinnerungsbeginn = QStringLiteral("1. Geburtstag");
        r.erinnerungszyklus = QStringLiteral("jährlich");
        records.push_back(std::move(r));
    }
    return records;
}

double medianMs(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor: the same rows, already UTF-8, through one prepared statement in one transaction.
struct Utf8Row {
    std::array<QByteArray, fieldCount> text;
    std::array<qint64, fieldCount> number{};
};

void sqliteFloor(const QString& path, const std::vector<Utf8Row>& rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        die("sqlite3_open");
    const char* create =
        "CREATE TABLE Geburtstage (Nummer INTEGER, Name TEXT, Jahr INTEGER, Monat INTEGER,"
        " Tag INTEGER, \"Erinnerung 1\" TEXT, \"Erinnerung 2\" TEXT, \"Erinnerung 3\" TEXT,"
        " Erinnerungsbeginn TEXT, Erinnerungszyklus TEXT, E1 INTEGER, E2 INTEGER, E3 INTEGER)";
    if (sqlite3_exec(db, create, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        die("sqlite3_exec");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO Geburtstage VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)", -1,
                           &st, nullptr) != SQLITE_OK)
        die("sqlite3_prepare_v2");
    for (const Utf8Row& row : rows) {
        for (int i = 0; i < fieldCount; ++i) {
            if (isWholeNumberField(static_cast<Field>(i)))
                sqlite3_bind_int64(st, i + 1, row.number[i]);
            else
                sqlite3_bind_text(st, i + 1, row.text[i].constData(),
                                  static_cast<int>(row.text[i].size()), SQLITE_STATIC);
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            die("sqlite3_step");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        die("COMMIT");
    sqlite3_close(db);
}

std::vector<Utf8Row> utf8Rows(const std::vector<Record>& records) {
    std::vector<Utf8Row> rows(records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        for (int i = 0; i < fieldCount; ++i) {
            const auto f = static_cast<Field>(i);
            if (isWholeNumberField(f))
                rows[r].number[i] = records[r].wholeNumber(f);
            else
                rows[r].text[i] = records[r].text(f).toUtf8();
        }
    }
    return rows;
}

std::unique_ptr<TableStore> openStore(const QString& path) {
    QString error;
    auto store = TableStore::open(path, sampleRecord(ReminderDefaults()), &error);
    if (!store)
        die(qPrintable(error));
    return store;
}

// What --import does once the file is read: parse, open the database, replace every row.
void importList(const QByteArray& bytes, const QString& dbPath, size_t expected) {
    const ListFileContents contents = parseListFile(bytes);
    if (!contents.ok || contents.records.size() != expected)
        die("the list file did not parse");
    auto store = openStore(dbPath);
    Cursor cursor(*store);
    if (!cursor.replaceAll(contents.records))
        die("replaceAll failed");
}

// What --export does: open, read every row, sort by number, write through QSaveFile.
void exportList(const QString& dbPath, const QString& target, qint64 expectedBytes) {
    auto store = openStore(dbPath);
    Cursor cursor(*store);
    cursor.setSort(QStringLiteral("Nummer ASC"));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(renderListFile(cursor.snapshot())) < 0 ||
        !file.commit())
        die("export failed");
    if (QFile(target).size() != expectedBytes)
        die("the exported file has the wrong size");
}

double msSince(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Where the time of one import and one export of `n` records goes.
void breakdown(int n, const QString& dbPath, const QString& target,
               const std::function<void()>& reset) {
    const std::vector<Record> records = generate(n);
    const QByteArray bytes = renderListFile(records);
    reset();
    QElapsedTimer t;
    t.start();
    const ListFileContents contents = parseListFile(bytes);
    const double parseMs = msSince(t);
    t.restart();
    auto store = openStore(dbPath);
    Cursor cursor(*store);
    const double openMs = msSince(t);
    t.restart();
    cursor.replaceAll(contents.records);
    const double replaceMs = msSince(t);
    t.restart();
    auto store2 = openStore(dbPath);
    const std::vector<StoredRow> rows = store2->loadAll();
    const double loadMs = msSince(t);
    t.restart();
    cursor.setSort(QStringLiteral("Monat ASC,Tag ASC"));
    const double sortMs = msSince(t);
    t.restart();
    const Snapshot snapshot = cursor.snapshot();
    const double snapshotMs = msSince(t);
    t.restart();
    const QByteArray rendered = renderListFile(snapshot);
    const double renderMs = msSince(t);
    t.restart();
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(rendered) != rendered.size() ||
        !file.commit())
        die("write failed");
    const double writeMs = msSince(t);
    std::printf("\nbreakdown for %d records (single run, ms):\n", n);
    std::printf("  import: parse %.1f, open empty database %.1f, replaceAll %.1f\n", parseMs,
                openMs, replaceMs);
    std::printf("  export: open + loadAll %.1f, sort by month and day %.1f, snapshot %.1f, "
                "render %.1f, QSaveFile write %.1f\n",
                loadMs, sortMs, snapshotMs, renderMs, writeMs);
    if (rows.size() != static_cast<size_t>(n))
        die("loadAll lost rows");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        die("no temporary folder");
    const QString db = dir.filePath(QStringLiteral("Geburtstage.db"));
    const QString floorDb = dir.filePath(QStringLiteral("floor.db"));
    const QString out = dir.filePath(QStringLiteral("export.nxd"));
    auto removeDatabases = [&] {
        for (const QString& f : {db, floorDb, db + "-journal", floorDb + "-journal"})
            QFile::remove(f);
    };

    std::printf("Median of several runs, SQLite %s, default journal and sync settings.\n",
                sqlite3_libversion());
    std::printf("import = parse list file + open fresh database + Cursor::replaceAll\n"
                "export = open database + Cursor sorted by number + snapshot + QSaveFile\n"
                "floor  = the same rows into a fresh database: one prepared INSERT, one "
                "transaction (C API)\n\n");
    std::printf("%9s %11s %11s %11s %13s %13s\n", "records", "import ms", "export ms", "floor ms",
                "import/floor", "export/floor");
    for (const int n : {1000, 10000, 100000}) {
        const std::vector<Record> records = generate(n);
        const QByteArray bytes = renderListFile(records);
        const std::vector<Utf8Row> rows = utf8Rows(records);
        const int runs = n >= 100000 ? 3 : 7;
        const double floorMs = medianMs(runs, removeDatabases, [&] { sqliteFloor(floorDb, rows); });
        const double importMs =
            medianMs(runs, removeDatabases, [&] { importList(bytes, db, records.size()); });
        // The database of the last import run stays for the export.
        const double exportMs = medianMs(
            runs, [] {}, [&] { exportList(db, out, bytes.size()); });
        QFile exported(out);
        if (!exported.open(QIODevice::ReadOnly) || exported.readAll() != bytes)
            die("the export differs from the imported list");
        std::printf("%9d %11.1f %11.1f %11.1f %13.2f %13.2f\n", n, importMs, exportMs, floorMs,
                    importMs / floorMs, exportMs / floorMs);
    }

    breakdown(100000, db, out, removeDatabases);

    // The scan over 10,000 records straight on the database, as the program does it.
    removeDatabases();
    const std::vector<Record> records = generate(10000);
    auto store = openStore(db);
    const QDate today(2025, 3, 7);
    qsizetype lines = 0;
    const double firstScan = medianMs(
        7, [&] { store->replaceAll(records); },
        [&] { lines = runReminderScan(*store, today, 1).lines.size(); });
    const double repeatScan = medianMs(
        7, [] {}, [&] { runReminderScan(*store, today, 1); });
    std::printf("\nscan of 10000 records (runReminderScan, %lld lines due on %s):\n",
                static_cast<long long>(lines), qPrintable(today.toString(Qt::ISODate)));
    std::printf("  first scan of the day (markers written) %8.1f ms\n", firstScan);
    std::printf("  repeated scan (nothing new due)         %8.1f ms\n", repeatScan);
    return 0;
}
