#include "sync/keyring.h"

#include <QPointer>
#include <QTimer>

#include <memory>

#include <qt6keychain/keychain.h>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
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

QString causeText(KeyringResult::Status status, const QString& own, int timeoutMs) {
    switch (status) {
    case KeyringResult::Status::NoService:
        return QStringLiteral("Es läuft kein Schlüsselbund-Dienst (ein Secret Service wie der "
                              "GNOME-Schlüsselbund oder KWallet). Natalix legt Passwörter "
                              "nirgends sonst ab.");
    case KeyringResult::Status::Denied:
        return QStringLiteral("Der Schlüsselbund hat den Zugriff verweigert (%1).").arg(own);
    case KeyringResult::Status::Timeout:
        return QStringLiteral("Der Schlüsselbund hat nicht innerhalb von %1 Sekunden geantwortet.")
            .arg(timeoutMs / 1000.0);
    default:
        return QStringLiteral("Der Schlüsselbund meldet: %1.").arg(own);
    }
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
QStringList busNames(const QDBusConnection& bus, const char* method) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toStringList();
}
#endif

} // namespace

bool keyringServiceReachable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QStringList names = busNames(bus, "ListNames") + busNames(bus, "ListActivatableNames");
    for (const char* service :
         {"org.freedesktop.secrets", "org.kde.kwalletd5", "org.kde.kwalletd6"})
        if (names.contains(QLatin1String(service)))
            return true;
    return false;
#else
    return true; // the platform's own store is always there
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
                    timeoutMs](KeyringResult result) {
        // Once only: whichever of answer and deadline comes first.
        if (*answered)
            return;
        *answered = true;
        if (result.status == KeyringResult::Status::Ok ||
            result.status == KeyringResult::Status::NotFound)
            result.message.clear();
        else
            result.message = operationText(opIndex) + QStringLiteral(": ") +
                             causeText(result.status, result.message, timeoutMs);
        request->deleteLater();
        if (guard)
            done(result);
    };
    connect(timer, &QTimer::timeout, request, [deliver] {
        KeyringResult r;
        r.status = KeyringResult::Status::Timeout;
        deliver(r);
    });
    connect(job, &QKeychain::Job::finished, request, [deliver](QKeychain::Job* j) {
        KeyringResult r;
        switch (j->error()) {
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
            r.message = j->errorString();
            break;
        default:
            // The libraries word a missing service in many ways; the bus tells for sure.
            r.status = keyringServiceReachable() ? KeyringResult::Status::Failed
                                                 : KeyringResult::Status::NoService;
            r.message = j->errorString();
        }
        deliver(r);
    });
    timer->start(m_timeoutMs);
    job->start();
}

} // namespace natalix
