#pragma once

#include "table/fileerror.h"
#include "table/record.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace natalix {

// A list file (.nxd): Windows-1252 text, CR LF after every line, a count line and ten lines
// per record (Nummer, Name, Jahr, Monat, Tag, the three reminders, start, cycle).
QByteArray renderListFile(const Snapshot& records);
// The size the list file of these records has: the same rendering, so the two always agree.
qint64 listFileSize(const Snapshot& records);

// Larger files are refused before they are read, so memory stays bounded.
constexpr qint64 maxListFileBytes = 64LL * 1024 * 1024;

struct ListFileContents {
    bool ok = false;
    QString error;        // German, for the user, when !ok
    bool notRead = false; // the file could not be opened or read: fileError says why
    FileError fileError;
    int declaredCount = 0;
    std::vector<Record> records; // markers 0
};

// Reads the whole file before anything else is touched. Complete record blocks count, the
// count line does not; an incomplete last block is dropped. A number line that holds no
// number, or an empty name line, leaves the field as in a new record.
ListFileContents parseListFile(QByteArrayView bytes);
// Reads a regular file only: a pipe or a device is refused at once, never waited for.
ListFileContents readListFile(const QString& path);

} // namespace natalix
