#include "sync/keyring.h"

#include <QPointer>
#include <QTimer>

#include <memory>

#include <qt6keychain/keychain.h>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

namespace natalix {

namespace {

QString operationText(int op) {
    switch (op) {
    case 0:
        return QStringLiteral("Das Passwort kann nicht aus dem Schlüsselbund gelesen werden");
    case 1:
        return QStringLiteral("Das Passwort wurde nicht gespeichert");
    default:
        return QStringLiteral("Das Passwort kann nicht aus dem Schlüsselbund entfernt werden");
    }
}

// The keyring libraries word their refusals in English; the user reads German only.
QString causeText(KeyringResult::Status status, QKeychain::Error error, int timeoutMs) {
    switch (status) {
    case KeyringResult::Status::NoService:
        return QStringLiteral("Es läuft kein Schlüsselbund-Dienst (ein Secret Service wie der "
                              "GNOME-Schlüsselbund oder KWallet). Natalix legt Passwörter "
                              "nirgends sonst ab.");
    case KeyringResult::Status::Denied:
        return error == QKeychain::AccessDeniedByUser
                   ? QStringLiteral("Der Zugriff auf den Schlüsselbund wurde abgelehnt.")
                   : QStringLiteral("Der Schlüsselbund hat den Zugriff verweigert; vielleicht ist "
                                    "er gesperrt.");
    case KeyringResult::Status::Timeout:
        return QStringLiteral("Der Schlüsselbund hat nicht innerhalb von %1 Sekunden geantwortet.")
            .arg(timeoutMs / 1000.0);
    default:
        return error == QKeychain::CouldNotDeleteEntry
                   ? QStringLiteral("Der Schlüsselbund kann den Eintrag nicht entfernen.")
                   : QStringLiteral("Der Schlüsselbund hat die Anfrage abgelehnt; vielleicht ist "
                                    "er gesperrt und wurde nicht entsperrt.");
    }
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
void askBus(const QDBusConnection& bus, const char* method, QObject* context,
            std::function<void(const QStringList&)> done) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<QStringList> reply = *w;
                         w->deleteLater();
                         done(reply.isValid() ? reply.value() : QStringList());
                     });
}
#endif

} // namespace

void probeKeyringService(QObject* context, std::function<void(bool reachable)> done) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, context, [done = std::move(done)] { done(false); });
        return;
    }
    // Both answers, in whatever order they come.
    struct Names {
        QStringList found;
        int answers = 0;
    };
    auto names = std::make_shared<Names>();
    auto take = [names, done = std::move(done)](const QStringList& list) {
        names->found += list;
        if (++names->answers < 2)
            return;
        for (const char* service :
             {"org.freedesktop.secrets", "org.kde.kwalletd5", "org.kde.kwalletd6"})
            if (names->found.contains(QLatin1String(service))) {
                done(true);
                return;
            }
        done(false);
    };
    askBus(bus, "ListNames", context, take);
    askBus(bus, "ListActivatableNames", context, take);
#else
    // The platform's own store is always there.
    QTimer::singleShot(0, context, [done = std::move(done)] { done(true); });
#endif
}

Keyring::Keyring(const QString& service, QObject* parent) : QObject(parent), m_service(service) {}

Keyring::~Keyring() = default;

void Keyring::read(const QString& key, QObject* context, Done done) {
    run(Operation::Read, key, {}, context, std::move(done));
}

void Keyring::write(const QString& key, const QString& password, QObject* context, Done done) {
    run(Operation::Write, key, password, context, std::move(done));
}

void Keyring::remove(const QString& key, QObject* context, Done done) {
    run(Operation::Remove, key, {}, context, std::move(done));
}

void Keyring::run(Operation op, const QString& key, const QString& password, QObject* context,
                  Done done) {
    QKeychain::Job* job = nullptr;
    switch (op) {
    case Operation::Read:
        job = new QKeychain::ReadPasswordJob(m_service);
        break;
    case Operation::Write: {
        auto* w = new QKeychain::WritePasswordJob(m_service);
        w->setTextData(password);
        job = w;
        break;
    }
    case Operation::Remove:
        job = new QKeychain::DeletePasswordJob(m_service);
        break;
    }
    job->setKey(key);
    job->setInsecureFallback(false);
    job->setAutoDelete(true);

    // A job still running after the deadline finishes on its own and deletes itself,
    // unheard: its request is gone by then.
    auto* request = new QObject(this);
    auto* timer = new QTimer(request);
    timer->setSingleShot(true);
    const QPointer<QObject> guard(context);
    const int opIndex = static_cast<int>(op);
    const int timeoutMs = m_timeoutMs;
    auto answered = std::make_shared<bool>(false);
    auto deliver = [request, guard, answered, done = std::move(done), opIndex,
                    timeoutMs](KeyringResult result, QKeychain::Error error) {
        // Once only: whichever of answer and deadline comes first.
        if (*answered)
            return;
        *answered = true;
        if (result.status == KeyringResult::Status::Ok ||
            result.status == KeyringResult::Status::NotFound)
            result.message.clear();
        else
            result.message = operationText(opIndex) + QStringLiteral(": ") +
                             causeText(result.status, error, timeoutMs);
        request->deleteLater();
        if (guard)
            done(result);
    };
    connect(timer, &QTimer::timeout, request, [deliver] {
        KeyringResult r;
        r.status = KeyringResult::Status::Timeout;
        deliver(r, QKeychain::OtherError);
    });
    connect(job, &QKeychain::Job::finished, request, [deliver, request](QKeychain::Job* j) {
        KeyringResult r;
        const QKeychain::Error error = j->error();
        switch (error) {
        case QKeychain::NoError:
            r.status = KeyringResult::Status::Ok;
            if (auto* reader = qobject_cast<QKeychain::ReadPasswordJob*>(j))
                r.password = reader->textData();
            break;
        case QKeychain::EntryNotFound:
            r.status = KeyringResult::Status::NotFound;
            break;
        case QKeychain::NoBackendAvailable:
        case QKeychain::NotImplemented:
            r.status = KeyringResult::Status::NoService;
            break;
        case QKeychain::AccessDenied:
        case QKeychain::AccessDeniedByUser:
            r.status = KeyringResult::Status::Denied;
            break;
        default:
            // The libraries word a missing service in many ways; the bus tells for sure, and
            // is asked without waiting for it.
            probeKeyringService(request, [deliver, r, error](bool reachable) mutable {
                r.status =
                    reachable ? KeyringResult::Status::Failed : KeyringResult::Status::NoService;
                deliver(r, error);
            });
            return;
        }
        deliver(r, error);
    });
    timer->start(m_timeoutMs);
    job->start();
}

} // namespace natalix
