#pragma once

#include <QMap>
#include <QString>

#include <memory>

namespace natalix {

// The program directory: database, options file and default list live here.
struct DataDir {
    QString path;
    bool explicitlyGiven = false; // --datadir or NATALIX_DATADIR

    QString file(const QString& name) const;
    QString databasePath() const;
    QString optionsPath() const;
    QString defaultListPath() const; // natalix.nxd
    QString settingsPath() const;    // the settings store's file, where it is one
};

// Organisation "NX", application "Natalix", whatever the executable is called: the per-user
// folders and the settings store depend on these names.
void setProgramIdentity();

// The installed desktop entry's name without ".desktop" (also the software centres' id): how a
// window or a notification is matched with the program's name and icon.
inline QString desktopEntryId() {
    return QStringLiteral("example.natalix.Natalix");
}

// --datadir DIR wins over NATALIX_DATADIR, which wins over the per-user data folder; the same
// rule for the window and every command-line mode. A folder that is missing is created for
// its owner only; *error says why it could not be.
DataDir resolveDataDir(const QString& fromCommandLine, QString* error);

// The settings store: organisation "NX", group "Global". With an explicit data directory an
// ini file inside it, so that tests and portable use never touch the user's own settings;
// otherwise the platform's store (an ini file on Linux, the registry on Windows). Every
// write replaces the file safely; a failed write is reported by setValue and lastError.
class SettingsStore {
public:
    explicit SettingsStore(const DataDir& dir);
    ~SettingsStore();
    // Keys without a group are in "Global". Read afresh when the file changed since it was
    // last read (another instance may have written): a poll costs one stat() of the file.
    QString value(const QString& key);
    bool setValue(const QString& key, const QString& value);
    QString lastError() const { return m_lastError; }

    // The ini text of the store's file, read and written the way Qt's own ini files are.
    static QMap<QString, QString> parseIni(QByteArrayView bytes);
    static QByteArray renderIni(const QMap<QString, QString>& values);

private:
    // The values of the file as it is now, read again only when its identity, size or times
    // have changed (every save replaces the file, so a new one never passes for the old).
    const QMap<QString, QString>& currentValues();

    QString m_path;
    QString m_lastError;
    QMap<QString, QString> m_values;
    QByteArray m_seen; // what stat() said when m_values were read; empty: read again
#ifdef Q_OS_WIN
    struct Native;
    std::unique_ptr<Native> m_native;
#endif
};

// The previous-instance test: a lock in the data directory that the operating system lets go
// when its process ends, however it ends, so a lock left behind never blocks a start.
class InstanceLock {
public:
    enum class State { Acquired, HeldByOther, Undecided };
    explicit InstanceLock(const DataDir& dir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State acquire();
    bool tryLock() { return acquire() == State::Acquired; }
    // Why it could not be decided whether another instance runs (German).
    QString error() const { return m_error; }

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
    bool m_held = false;
#ifdef Q_OS_WIN
    struct Native;
    std::unique_ptr<Native> m_native;
#endif
};

// The options file an installation brings (share/natalix/natalix.ini beside bin/), with the
// first-start flag set; empty when there is none.
QString optionsTemplatePath();

// Tightens what earlier versions left readable by everyone: the data folder (when it is the
// per-user one), the database, the options and the settings file.
void protectDataFiles(const DataDir& dir);

} // namespace natalix
