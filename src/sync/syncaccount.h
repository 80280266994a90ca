#pragma once

#include <QString>
#include <QUrl>

namespace natalix {

class SettingsStore;
struct DataDir;

// The address book and calendar the window keeps in step with the list. URLs and user live
// in the settings store (group "Abgleich"); the password only in the system keyring.
struct SyncAccount {
    QString addressBook; // CardDAV address book or server, "" for none
    QString calendar;    // CalDAV calendar, "" for none
    QString user;
    QString password;

    bool configured() const { return !addressBook.isEmpty() || !calendar.isEmpty(); }
    bool operator==(const SyncAccount&) const = default;
};

namespace synckeys {
inline const QString addressBook = QStringLiteral("Abgleich/adressbuch");
inline const QString calendar = QStringLiteral("Abgleich/kalender");
inline const QString user = QStringLiteral("Abgleich/benutzer");
} // namespace synckeys

// URLs and user as stored; the password stays empty.
SyncAccount loadSyncAccount(SettingsStore& settings);
// Writes URLs and user, never the password. False with the store's German reason.
bool saveSyncAccount(SettingsStore& settings, const SyncAccount& account, QString* error);

// The keyring entry of the account: one per data directory, as the settings are.
QString keyringService();
QString passwordKey(const DataDir& dir);

// An http or https URL with a host and without user or password; otherwise *error says why
// in German, never repeating a password.
QUrl parseServerUrl(const QString& text, QString* error);

} // namespace natalix
