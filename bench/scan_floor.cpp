// The floor of `natalix --scan`: a program that opens the database through SQLite's C API and
// reads every field of every row of Geburtstage, and does nothing else: no Qt, no application
// object, no check of the pages.
//   natalix_scan_floor DATABASE
#include <sqlite3.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: natalix_scan_floor DATABASE\n");
        return 2;
    }
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(db,
                           "SELECT rowid, Nummer, Name, Jahr, Monat, Tag, \"Erinnerung 1\","
                           " \"Erinnerung 2\", \"Erinnerung 3\", Erinnerungsbeginn,"
                           " Erinnerungszyklus, E1, E2, E3 FROM Geburtstage",
                           -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "natalix_scan_floor: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    long long rows = 0, sum = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < 14; ++c) {
            if (c == 2 || (c >= 6 && c <= 10))
                sum += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) != nullptr);
            else
                sum += sqlite3_column_int64(st, c);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (rc != SQLITE_DONE)
        return 1;
    std::printf("%lld rows read (%lld)\n", rows, sum);
    return 0;
}
