#include "table/backups.h"

#include "table/safefile.h"
#include "table/tablestore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace natalix {

namespace {

constexpr int kept = 7;
const QString prefix = QStringLiteral("Geburtstage-");
const QString suffix = QStringLiteral(".db");

QDate dateOf(const QString& fileName) {
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return {};
    return QDate::fromString(fileName.mid(prefix.size(), 10), Qt::ISODate);
}

// Newest first, whatever their state.
std::vector<Backup> allBackups(const QString& dataDir) {
    std::vector<Backup> out;
    const QDir dir(backupFolder(dataDir));
    // No name filter: it would compile a pattern and map the regex library into a program
    // that runs all day; dateOf() checks the name anyway.
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        const QDate d = dateOf(name);
        if (d.isValid() && name.size() == prefix.size() + 10 + suffix.size())
            out.push_back({dir.filePath(name), d});
    }
    std::sort(out.begin(), out.end(),
              [](const Backup& a, const Backup& b) { return a.date > b.date; });
    return out;
}

} // namespace

QString backupFolder(const QString& dataDir) {
    return QDir(dataDir).filePath(QStringLiteral("Sicherungen"));
}

bool makeDailyBackup(TableStore& store, const QString& dataDir, const QDate& today,
                     QString* error) {
    // A file left unchecked for a week is checked here; a damaged one is not copied, so the
    // older sound copies stay.
    QString why;
    if (store.checkWhenDue(today, &why) != TableStore::Problem::None) {
        if (error)
            *error = QStringLiteral("Die Datenbank \"%1\" wurde nicht gesichert: %2")
                         .arg(QDir::toNativeSeparators(store.path()), why);
        return false;
    }
    const QString folder = backupFolder(dataDir);
    if (!makePrivateFolder(folder)) {
        if (error)
            *error = QStringLiteral("Der Ordner \"%1\" für die Sicherungen kann nicht angelegt "
                                    "werden.")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const QString target = QDir(folder).filePath(prefix + today.toString(Qt::ISODate) + suffix);
    if (!QFileInfo::exists(target) && !store.backupTo(target, error))
        return false;
    const std::vector<Backup> all = allBackups(dataDir);
    for (size_t i = kept; i < all.size(); ++i)
        QFile::remove(all[i].path);
    return true;
}

std::vector<Backup> usableBackups(const QString& dataDir) {
    std::vector<Backup> out;
    for (const Backup& b : allBackups(dataDir)) {
        if (TableStore::checkFile(b.path) == TableStore::Problem::None)
            out.push_back(b);
    }
    return out;
}

bool restoreBackup(const QString& databasePath, const Backup& backup, const QDateTime& now,
                   QString* error) {
    const ReadResult copy =
        readFileSafely(backup.path, std::numeric_limits<qint64>::max(), Links::DoNotFollow);
    if (!copy.ok) {
        if (error)
            *error = QStringLiteral("Die Sicherung \"%1\" kann nicht gelesen werden (%2).")
                         .arg(QDir::toNativeSeparators(backup.path), copy.error.description);
        return false;
    }
    // The damaged file and its journal are kept under a name of their own.
    const QString aside = databasePath + QStringLiteral(".beschaedigt-") +
                          now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFileInfo::exists(databasePath) && !QFile::rename(databasePath, aside)) {
        if (error)
            *error = QStringLiteral("Die beschädigte Datenbank \"%1\" kann nicht beiseite gelegt "
                                    "werden.")
                         .arg(QDir::toNativeSeparators(databasePath));
        return false;
    }
    for (const char* extra : {"-journal", "-wal", "-shm"}) {
        const QString from = databasePath + QLatin1String(extra);
        if (QFileInfo::exists(from))
            QFile::rename(from, aside + QLatin1String(extra));
    }
    const SaveResult saved = saveFileSafely(databasePath, copy.bytes, Links::DoNotFollow);
    if (!saved.ok) {
        QFile::rename(aside, databasePath);
        if (error)
            *error = QStringLiteral("Die Sicherung kann nicht zurückgeschrieben werden (%1 : %2).")
                         .arg(saved.error.code)
                         .arg(saved.error.description);
        return false;
    }
    return true;
}

} // namespace natalix
