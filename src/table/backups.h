#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace natalix {

class TableStore;

// Daily copies of the database in the folder "Sicherungen" of the data directory, one a day,
// the newest seven kept. A damaged database can be replaced by the newest good copy.
struct Backup {
    QString path;
    QDate date;
};

QString backupFolder(const QString& dataDir);

// Makes today's copy unless there is one already, then drops all but the newest seven. The
// database is checked first when its stamp no longer vouches for it (a week after the last
// check); a damaged one is not copied.
bool makeDailyBackup(TableStore& store, const QString& dataDir, const QDate& today,
                     QString* error = nullptr);

// Newest first; only copies that open as sound Natalix databases.
std::vector<Backup> usableBackups(const QString& dataDir);

// Puts the damaged database aside (renamed, never deleted) and a copy of `backup` in its
// place. *error says why it failed; the damaged file then stays where it was.
bool restoreBackup(const QString& databasePath, const Backup& backup, const QDateTime& now,
                   QString* error);

} // namespace natalix
