#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace natalix {

struct KeyringResult {
    enum class Status {
        Ok,
        NotFound,  // nothing stored under that key (for a removal: nothing to remove)
        NoService, // no keyring service runs (no Secret Service on the session bus)
        Denied,    // the keyring refused or stayed locked
        Failed,    // any other refusal, in the keyring's own words
        Timeout,   // no answer in time
    };
    Status status = Status::Failed;
    QString password; // what a read found
    QString message;  // German, whatever language the keyring speaks; empty for Ok and NotFound
    bool ok() const { return status == Status::Ok; }
};

// The system keyring (Secret Service, KWallet, the Windows or macOS store), asynchronous.
// Nothing ever goes to a file: where no keyring runs, every operation fails with a German
// message saying so. A callback runs once, on this thread, and not at all when `context` is
// gone by then.
class Keyring : public QObject {
    Q_OBJECT
public:
    explicit Keyring(const QString& service, QObject* parent = nullptr);
    ~Keyring() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    using Done = std::function<void(const KeyringResult&)>;
    void read(const QString& key, QObject* context, Done done);
    void write(const QString& key, const QString& password, QObject* context, Done done);
    void remove(const QString& key, QObject* context, Done done);

private:
    enum class Operation { Read, Write, Remove };
    void run(Operation op, const QString& key, const QString& password, QObject* context,
             Done done);

    QString m_service;
    int m_timeoutMs = 60000;
};

// Whether a keyring service can be reached at all (asked only after a failure), without
// waiting: `done` runs once the bus has answered, on this thread, unless `context` is gone.
void probeKeyringService(QObject* context, std::function<void(bool reachable)> done);

} // namespace natalix
