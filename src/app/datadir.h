#pragma once

#include <QString>

#include <memory>

class QLockFile;
class QSettings;

namespace natalix {

// The program directory: database, options file and default list live here.
struct DataDir {
    QString path;
    bool explicitlyGiven = false; // --datadir or NATALIX_DATADIR

    QString file(const QString& name) const;
    QString databasePath() const;
    QString optionsPath() const;
    QString defaultListPath() const; // natalix.nxd
};

// --datadir DIR wins over NATALIX_DATADIR, which wins over the per-user data folder.
// The folder is created when missing; *error says why it could not be.
DataDir resolveDataDir(const QString& fromCommandLine, QString* error);

// The settings store: organisation "NX", group "Global". With an explicit data directory an
// ini file inside it, so that tests and portable use never touch the user's own settings.
class SettingsStore {
public:
    explicit SettingsStore(const DataDir& dir);
    ~SettingsStore();
    QString value(const QString& key);
    void setValue(const QString& key, const QString& value);

private:
    std::unique_ptr<QSettings> m_settings;
};

// The previous-instance test: one lock file per data directory.
class InstanceLock {
public:
    explicit InstanceLock(const DataDir& dir);
    ~InstanceLock();
    bool tryLock(); // false while another instance holds it

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace natalix
