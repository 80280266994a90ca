#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace natalix {

// "Natalix bei der Anmeldung im Hintergrund starten": on Linux the desktop entry
// natalix.desktop in the user's autostart folder ($XDG_CONFIG_HOME/autostart, else
// ~/.config/autostart), on Windows the value "Natalix" under HKCU's Run key. The entry
// starts this very program by its absolute path with "/auto".
class Autostart {
public:
    // programPath: the program to start (made absolute); arguments follow it.
    explicit Autostart(const QString& programPath,
                       const QStringList& arguments = {QStringLiteral("/auto")});

    // Whether the desktop starts Natalix at login: our own entry decides where there is one
    // (unless it is hidden), else an entry the system provides for every user.
    bool isEnabled() const;
    // Both return false with a German reason in *error; nothing half-written stays behind.
    bool enable(QString* error = nullptr) const;
    // Removes the entry; where the system provides one, a hidden entry of the user's own
    // overrides it.
    bool disable(QString* error = nullptr) const;

    QString program() const { return m_program; }
#ifndef Q_OS_WIN
    static QString entryFileName() {
        return QStringLiteral("natalix.desktop");
    }
    // The user's autostart folder and the entry in it.
    static QString autostartFolder();
    QString entryPath() const;
    // The entry's bytes (UTF-8, LF); hidden: the override that switches a system entry off.
    QByteArray desktopEntry(bool hidden = false) const;
    // One argument of an Exec line: quoted where it holds a character the desktop entry
    // format reserves, escaped inside the quotes, "%" doubled.
    static QString execArgument(const QString& argument, bool alwaysQuote = false);
    // The entries the system provides ($XDG_CONFIG_DIRS/autostart, else /etc/xdg/autostart).
    static QStringList systemEntryPaths();
#else
    // The command line stored under the Run key.
    QString runCommand() const;
#endif

private:
    QString m_program;
    QStringList m_arguments;
};

} // namespace natalix
