#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace natalix::test {

// A python-dbusmock server on the session bus, started from a template and stopped with
// the object. Debian's own python3 runs it: the one first on PATH may lack its modules.
class DbusMock {
public:
    DbusMock(const QString& busName, const QString& templateName, const QString& parameters = {});
    ~DbusMock();
    DbusMock(const DbusMock&) = delete;
    DbusMock& operator=(const DbusMock&) = delete;

    // True once the server owns its name on the bus (waits up to ten seconds).
    bool waitStarted();
    // Replaces one method of the mock's main object (code in the mock's Python).
    bool replaceMethod(const QString& objectPath, const QString& interface, const QString& name,
                       const QString& inSignature, const QString& outSignature,
                       const QString& code);

private:
    QString m_busName;
    QProcess m_process;
};

// Runs tests/desktop/busprobe.py with the arguments and returns what it printed (JSON).
// The event loop keeps running meanwhile, so this process can answer the probe's calls.
QJsonValue probe(const QStringList& arguments, int timeoutMs = 15000);

// The one item the tray host (status_notifier_watcher.py) took, once it is there; empty when
// none came within five seconds.
QJsonObject registeredItem();

// The folder of the desktop test scripts.
QString desktopTestDir();

} // namespace natalix::test
