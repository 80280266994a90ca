#include "sync/syncaccount.h"

#include "app/datadir.h"

#include <QDir>

namespace natalix {

SyncAccount loadSyncAccount(SettingsStore& settings) {
    SyncAccount a;
    a.addressBook = settings.value(synckeys::addressBook);
    a.calendar = settings.value(synckeys::calendar);
    a.user = settings.value(synckeys::user);
    return a;
}

bool saveSyncAccount(SettingsStore& settings, const SyncAccount& account, QString* error) {
    const std::pair<const QString&, QString> values[] = {
        {synckeys::addressBook, account.addressBook.trimmed()},
        {synckeys::calendar, account.calendar.trimmed()},
        {synckeys::user, account.user},
    };
    for (const auto& [key, value] : values) {
        if (!settings.setValue(key, value)) {
            if (error)
                *error = settings.lastError();
            return false;
        }
    }
    return true;
}

QString keyringService() {
    return QStringLiteral("Natalix");
}

QString passwordKey(const DataDir& dir) {
    return QStringLiteral("Adressbuch und Kalender: ") + QDir::toNativeSeparators(dir.path);
}

QUrl parseServerUrl(const QString& text, QString* error) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
        !url.host().isEmpty())
        return url;
    if (error)
        *error = QStringLiteral("\"%1\" ist keine http- oder https-Adresse.").arg(text.trimmed());
    return {};
}

} // namespace natalix
