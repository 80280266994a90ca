#pragma once

#include "table/record.h"
#include "table/tablestore.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace natalix::test {

// A data directory of its own for one test; removed afterwards.
class TempDataDir {
public:
    TempDataDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A database of its own holding `records` (at least one), as the program keeps it.
struct TestTable {
    explicit TestTable(const std::vector<Record>& records);
    TempDataDir dir;
    QString path = dir.file(TableStore::databaseFileName());
    std::unique_ptr<TableStore> store;
};

QByteArray readFileBytes(const QString& path);
bool writeFileBytes(const QString& path, const QByteArray& bytes);

// While it lives, no file of this process may grow beyond `bytes`: a full disk, without root.
// Writes beyond the limit fail (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};

// The bytes of a sound database of 4096-byte pages after a damage the program must catch:
// "page N", "last page" (overwritten), "half" (cut), "cells" (a leaf's cell count lowered). Empty
// when the file is not laid out as the damage expects.
QByteArray damagedDatabase(QByteArray bytes, const QString& damage);

// A record with the given number, name and birth date and the default reminder settings.
Record makeRecord(int nummer, const QString& name, int jahr, int monat, int tag);
// Records 1 to `count`, "Person 1" and on, born on days of August: nothing is due in spring.
std::vector<Record> manyRecords(int count);

// The same with the reminder settings: up to three lead times ("Keine Erinnerung" for the
// rest), then the start birthday and the cycle (by default "1. Geburtstag", "jährlich").
Record makeRecord(int nummer, const QString& name, int jahr, int monat, int tag,
                  const QStringList& settings);

} // namespace natalix::test
