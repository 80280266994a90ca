// Runs on a session bus of its own (desktopsession.py); python-dbusmock's notification
// daemon is the desktop's notification server.
#include "desktop/busmock.h"
#include "desktop/notifier.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace natalix;
using natalix::test::DbusMock;

namespace {

const QString server = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");

// The Notify calls the server received, each as its eight arguments.
QJsonArray notifyCalls() {
    return test::probe({QStringLiteral("calls"), server, serverPath, QStringLiteral("Notify")})
        .toArray();
}

std::unique_ptr<DbusMock> startServer(const QString& capabilities) {
    auto mock = std::make_unique<DbusMock>(
        server, QStringLiteral("notification_daemon"),
        capabilities.isNull() ? QString()
                              : QStringLiteral("{\"capabilities\": \"%1\"}").arg(capabilities));
    if (!mock->waitStarted())
        return nullptr;
    return mock;
}

} // namespace

class TestNotifier : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no session bus: run this test through tests/desktop/desktopsession.py");
    }

    void serverReceivesTheLines_data() {
        QTest::addColumn<QString>("capabilities"); // null: the template's own, with markup
        QTest::addColumn<QString>("body");
        QTest::newRow("markup: &, < and > escaped")
            << QString()
            << "Jörg wird morgen 45 Jahre alt ...\nTom &amp; Jerry &lt;Kater&gt; \"x\" wird heute "
               "85 Jahre alt ...";
        QTest::newRow("no markup: as written")
            << "body actions"
            << "Jörg wird morgen 45 Jahre alt ...\nTom & Jerry <Kater> \"x\" wird heute 85 Jahre "
               "alt ...";
    }
    void serverReceivesTheLines() {
        QFETCH(QString, capabilities);
        QFETCH(QString, body);
        const QStringList lines{
            QStringLiteral("Jörg wird morgen 45 Jahre alt ..."),
            QStringLiteral("Tom & Jerry <Kater> \"x\" wird heute 85 Jahre alt ...")};
        auto mock = startServer(capabilities);
        QVERIFY(mock);
        Notifier notifier;
        QSignalSpy delivered(&notifier, &Notifier::delivered);
        notifier.notify(lines);
        QVERIFY(delivered.wait(10000));
        QCOMPARE(delivered.front().front().toUInt(), 1u);

        const QJsonArray calls = notifyCalls();
        QCOMPARE(calls.size(), 1);
        const QJsonArray args = calls[0].toArray();
        // app_name, replaces_id (none: a new one), icon, summary, body, actions, hints, timeout
        const QJsonArray expected{"Natalix",
                                  0,
                                  "natalix",
                                  "Geburtstags-Erinnerung",
                                  body,
                                  QJsonArray(),
                                  QJsonObject{{"desktop-entry", "example.natalix.Natalix"}},
                                  Notifier::expireTimeoutMs};
        QCOMPARE(calls[0].toArray(), expected);
    }

    // Switched off, or a scan without lines: no call at all. A last notification that is
    // sent shows that nothing went before it.
    void nothingToSend_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("switched off")
            << false << QStringList{QStringLiteral("A wird heute 1 Jahre alt ...")};
        QTest::newRow("nothing due") << true << QStringList{};
    }
    void nothingToSend() {
        QFETCH(bool, enabled);
        QFETCH(QStringList, lines);
        auto mock = startServer(QStringLiteral("body"));
        QVERIFY(mock);
        Notifier notifier;
        QSignalSpy delivered(&notifier, &Notifier::delivered);
        QSignalSpy notDelivered(&notifier, &Notifier::notDelivered);
        notifier.setEnabled(enabled);
        notifier.notify(lines);
        notifier.setEnabled(true);
        notifier.notify({QStringLiteral("Zeuge")});
        QVERIFY(delivered.wait(10000));
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(notDelivered.size(), 0);
        const QJsonArray calls = notifyCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].toArray()[4].toString(), QStringLiteral("Zeuge"));
    }

    // No bus, no server, a server that never answers: notify returns at once, nothing is
    // shown, and the failure comes by itself.
    void noServerNoWait_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("no session bus") << "bus";
        QTest::newRow("no notification server") << "server";
        QTest::newRow("server does not answer") << "silent";
    }
    void noServerNoWait() {
        QFETCH(QString, situation);
        std::unique_ptr<DbusMock> mock;
        if (situation == u"silent") {
            mock = startServer(QStringLiteral("body"));
            QVERIFY(mock);
            QVERIFY(mock->replaceMethod(serverPath, server, QStringLiteral("GetCapabilities"),
                                        QString(), QStringLiteral("as"),
                                        QStringLiteral("time.sleep(4)\nret = ['body']")));
        }
        const QDBusConnection bus =
            situation == u"bus"
                ? QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                QStringLiteral("absent"))
                : QDBusConnection::sessionBus();
        Notifier notifier(bus);
        notifier.setCallTimeout(500);
        QSignalSpy delivered(&notifier, &Notifier::delivered);
        QSignalSpy notDelivered(&notifier, &Notifier::notDelivered);
        QElapsedTimer clock;
        clock.start();
        notifier.notify({QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...")});
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(notDelivered.size(), 1, 3000);
        QVERIFY(clock.elapsed() < 3000);
        QCOMPARE(delivered.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "test_notifier.moc"
