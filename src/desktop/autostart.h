#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace natalix {

// "Natalix bei der Anmeldung im Hintergrund starten": on Linux a desktop entry in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart), on Windows a value
// under HKCU's Run key. The entry starts this very program by its absolute path with "/auto",
// and with "--datadir DIR" when it runs on a data folder of its own: each data folder has its
// own entry (natalix.desktop and "Natalix" for the per-user one), so that the list that
// starts at login is the one the switch was set for.
class Autostart {
public:
    // programPath: the program to start (made absolute); dataDir: the data folder it is to
    // start (made absolute), empty for the per-user one.
    explicit Autostart(const QString& programPath, const QString& dataDir = {});

    // Whether the desktop starts Natalix on this data folder at login: its own entry decides
    // where there is one (unless it is hidden), else, for the per-user folder, an entry the
    // system provides for every user.
    bool isEnabled() const;
    // Both return false with a German reason in *error; nothing half-written stays behind.
    bool enable(QString* error = nullptr) const;
    // Removes the entry; where the system provides one, a hidden entry of the user's own
    // overrides it.
    bool disable(QString* error = nullptr) const;

    QString program() const { return m_program; }
#ifndef Q_OS_WIN
    // natalix.desktop, or natalix-<12 hex digits of the folder's hash>.desktop.
    QString entryFileName() const;
    // The user's autostart folder and the entry in it.
    static QString autostartFolder();
    QString entryPath() const;
    // The entry's bytes (UTF-8, LF); hidden: the override that switches a system entry off.
    QByteArray desktopEntry(bool hidden = false) const;
    // One argument of an Exec line: quoted where it holds a character the desktop entry
    // format reserves, escaped inside the quotes, "%" doubled.
    static QString execArgument(const QString& argument, bool alwaysQuote = false);
    // The entries the system provides ($XDG_CONFIG_DIRS/autostart, else /etc/xdg/autostart);
    // they start the per-user data folder.
    QStringList systemEntryPaths() const;
#else
    // The command line stored under the Run key, and the name of its value.
    QString runCommand() const;
    QString valueName() const;
#endif

private:
    // What tells this data folder's entry from the others; empty for the per-user folder.
    QString folderKey() const;

    QString m_program;
    QString m_dataDir;
    QStringList m_arguments;
};

} // namespace natalix
