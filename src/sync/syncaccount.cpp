#include "sync/syncaccount.h"

#include "app/datadir.h"

#include <QDir>
#include <QRegularExpression>

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
    QString why;
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https") ||
        url.host().isEmpty())
        // Never echo a password, not even in a text that is no address.
        why = QStringLiteral("\"%1\" ist keine http- oder https-Adresse.")
                  .arg(url.isValid()
                           ? url.toString(QUrl::RemoveUserInfo)
                           : text.trimmed().replace(QRegularExpression(QStringLiteral("//[^/]*@")),
                                                    QStringLiteral("//")));
    else if (!url.userInfo().isEmpty())
        // Settings files, shell histories and process lists are no place for credentials.
        why = QStringLiteral("Die Adresse %1 enthält einen Benutzernamen oder ein Passwort; "
                             "beides gehört nicht in die Adresse.")
                  .arg(url.toString(QUrl::RemoveUserInfo));
    if (why.isEmpty())
        return url;
    if (error)
        *error = why;
    return {};
}

} // namespace natalix
