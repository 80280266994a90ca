#include "desktop/busmock.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

namespace natalix::test {

namespace {
const QString python = QStringLiteral("/usr/bin/python3");

bool nameOwned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}
} // namespace

QString desktopTestDir() {
    return QStringLiteral(NATALIX_DESKTOP_TEST_DIR);
}

DbusMock::DbusMock(const QString& busName, const QString& templateName, const QString& parameters)
    : m_busName(busName) {
    QStringList args{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                     templateName};
    if (!parameters.isEmpty())
        args << QStringLiteral("-p") << parameters;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, args);
}

DbusMock::~DbusMock() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // The next server of the same name must not find this one still there.
    const QDeadlineTimer deadline(5000);
    while (nameOwned(m_busName) && !deadline.hasExpired())
        QTest::qWait(20);
}

bool DbusMock::waitStarted() {
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning)
            return false;
        if (nameOwned(m_busName))
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool DbusMock::replaceMethod(const QString& objectPath, const QString& interface,
                             const QString& name, const QString& inSignature,
                             const QString& outSignature, const QString& code) {
    QDBusMessage call = QDBusMessage::createMethodCall(m_busName, objectPath,
                                                       QStringLiteral("org.freedesktop.DBus.Mock"),
                                                       QStringLiteral("AddMethod"));
    call << interface << name << inSignature << outSignature << code;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000).type() ==
           QDBusMessage::ReplyMessage;
}

QJsonValue probe(const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(python,
                  QStringList{desktopTestDir() + QStringLiteral("/busprobe.py")} + arguments);
    if (!finished.wait(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        qWarning("busprobe %s did not finish in time", qPrintable(arguments.join(u' ')));
        return QJsonValue::Undefined;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QJsonValue::Undefined;
    QJsonParseError error;
    const QJsonDocument doc =
        QJsonDocument::fromJson("[" + process.readAllStandardOutput() + "]", &error);
    if (error.error != QJsonParseError::NoError)
        return QJsonValue::Undefined;
    return doc.array().at(0);
}

QJsonObject registeredItem() {
    QJsonArray items;
    for (int attempt = 0; attempt < 100 && items.isEmpty(); ++attempt) {
        items = probe({QStringLiteral("items")}).toArray();
        if (items.isEmpty())
            QTest::qWait(50);
    }
    return items.size() == 1 ? items[0].toObject() : QJsonObject();
}

} // namespace natalix::test
