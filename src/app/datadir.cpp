#include "app/datadir.h"

#include "options/options.h"
#include "table/tablestore.h"

#include <QDir>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

namespace natalix {

QString DataDir::file(const QString& name) const {
    return QDir(path).filePath(name);
}

QString DataDir::databasePath() const {
    return file(TableStore::databaseFileName());
}

QString DataDir::optionsPath() const {
    return file(optionsFileName());
}

QString DataDir::defaultListPath() const {
    return file(QStringLiteral("natalix.nxd"));
}

DataDir resolveDataDir(const QString& fromCommandLine, QString* error) {
    DataDir dir;
    const QString fromEnv = qEnvironmentVariable("NATALIX_DATADIR");
    if (!fromCommandLine.isEmpty()) {
        dir.path = fromCommandLine;
        dir.explicitlyGiven = true;
    } else if (!fromEnv.isEmpty()) {
        dir.path = fromEnv;
        dir.explicitlyGiven = true;
    } else {
        dir.path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    dir.path = QDir(dir.path).absolutePath();
    if (!QDir().mkpath(dir.path) && error)
        *error = QStringLiteral("Der Datenordner \"%1\" kann nicht angelegt werden.")
                     .arg(QDir::toNativeSeparators(dir.path));
    return dir;
}

SettingsStore::SettingsStore(const DataDir& dir) {
    if (dir.explicitlyGiven)
        m_settings =
            std::make_unique<QSettings>(dir.file(QStringLiteral("NX.ini")), QSettings::IniFormat);
    else
        m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QStringLiteral("NX"), QStringLiteral("Natalix"));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString& key) {
    // Another instance may have written meanwhile.
    m_settings->sync();
    return m_settings->value(QStringLiteral("Global/") + key).toString();
}

void SettingsStore::setValue(const QString& key, const QString& value) {
    m_settings->setValue(QStringLiteral("Global/") + key, value);
    m_settings->sync();
}

InstanceLock::InstanceLock(const DataDir& dir)
    : m_lock(std::make_unique<QLockFile>(dir.file(QStringLiteral("natalix.lock")))) {
    // Only a lock whose process is gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return true;
    // A folder we cannot write to holds no other instance's lock either.
    return m_lock->error() != QLockFile::LockFailedError;
}

} // namespace natalix
