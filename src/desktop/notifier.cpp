#include "desktop/notifier.h"

#include "app/datadir.h"
#include "reminder/remindercore.h"

#ifdef Q_OS_WIN
#include <QSystemTrayIcon>
#else
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#endif

namespace natalix {

namespace {
#ifndef Q_OS_WIN
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(service, objectPath, service, method);
}
#endif
} // namespace

#ifdef Q_OS_WIN
Notifier::Notifier(QObject* parent) : QObject(parent) {}
#else
Notifier::Notifier(QObject* parent) : Notifier(QDBusConnection::sessionBus(), parent) {}

Notifier::Notifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {}
#endif

QString Notifier::bodyText(const QStringList& lines, bool markup) {
    QString body = lines.join(u'\n');
    if (markup) {
        body.replace(u'&', QStringLiteral("&amp;"));
        body.replace(u'<', QStringLiteral("&lt;"));
        body.replace(u'>', QStringLiteral("&gt;"));
    }
    return body;
}

void Notifier::onScanned(const ReminderReport& report) {
    notify(report.lines);
}

void Notifier::notify(const QStringList& lines) {
    if (!m_enabled || lines.isEmpty())
        return;
#ifdef Q_OS_WIN
    if (!m_tray || !m_tray->isVisible()) {
        emit notDelivered(QStringLiteral("no tray icon"));
        return;
    }
    m_tray->showMessage(summary(), bodyText(lines, false), QSystemTrayIcon::Information,
                        expireTimeoutMs);
    emit delivered(0);
#else
    if (!m_bus.isConnected()) {
        emit notDelivered(QStringLiteral("no session bus"));
        return;
    }
    // Whether the server reads markup decides how the body is written, so ask first.
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(notificationsCall(QStringLiteral("GetCapabilities")), m_callTimeoutMs),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, lines](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QStringList> reply = *call;
                if (reply.isError()) {
                    emit notDelivered(reply.error().message());
                    return;
                }
                sendNotify(bodyText(lines, reply.value().contains(QStringLiteral("body-markup"))));
            });
#endif
}

#ifndef Q_OS_WIN
void Notifier::sendNotify(const QString& body) {
    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    // The desktop entry lets the server show the program's name and icon as installed.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), desktopEntryId()}};
    call << appName() << uint(0) << iconName() << summary() << body << QStringList() << hints
         << int(expireTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* c) {
        c->deleteLater();
        const QDBusPendingReply<uint> reply = *c;
        if (reply.isError())
            emit notDelivered(reply.error().message());
        else
            emit delivered(reply.value());
    });
}
#endif

} // namespace natalix
