#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#ifndef Q_OS_WIN
#include <QDBusConnection>
#endif

class QSystemTrayIcon;

namespace natalix {

struct ReminderReport;

// The reminders of a scan as one desktop notification: on Linux through the desktop's
// notification server on the session bus, on Windows as the tray icon's message. Without a
// bus or a server nothing happens, and nothing ever waits for an answer.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(QObject* parent = nullptr);
#ifndef Q_OS_WIN
    // The bus to send on (the session bus by default).
    explicit Notifier(const QDBusConnection& bus, QObject* parent = nullptr);
#endif

    // The user's choice (setting "notifications"); a disabled notifier sends nothing.
    void setEnabled(bool enabled) {
        m_enabled = enabled;
    }
    bool isEnabled() const {
        return m_enabled;
    }
    // Windows shows the message through the tray icon; elsewhere it is not needed.
    void setTrayIcon(QSystemTrayIcon* tray) {
        m_tray = tray;
    }
    // How long an unanswered call may wait before it counts as failed.
    void setCallTimeout(int ms) {
        m_callTimeoutMs = ms;
    }

    // One notification for a scan that found lines (the sink of ReminderCore::scanned).
    void onScanned(const natalix::ReminderReport& report);
    // Sends the lines as one notification; returns at once.
    void notify(const QStringList& lines);

    static QString appName() {
        return QStringLiteral("Natalix");
    }
    static QString summary() {
        return QStringLiteral("Geburtstags-Erinnerung");
    }
    static QString iconName() {
        return QStringLiteral("natalix");
    }
    // How long the notification stays on the screen; the notification centre keeps it.
    static constexpr int expireTimeoutMs = 30000;
    // The body: one line per reminder; with markup, &, < and > written as entities.
    static QString bodyText(const QStringList& lines, bool markup);

signals:
    // The server took the notification and gave it this number.
    void delivered(uint id);
    // Nothing was shown: no bus, no server, no answer in time (why, for the log of a test).
    void notDelivered(const QString& why);

private:
#ifndef Q_OS_WIN
    void sendNotify(const QString& body);
    QDBusConnection m_bus;
#endif
    QSystemTrayIcon* m_tray = nullptr;
    bool m_enabled = true;
    int m_callTimeoutMs = 5000;
};

} // namespace natalix
