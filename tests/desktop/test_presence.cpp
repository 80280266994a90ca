// The running window on a desktop: on a session bus of its own with a notification server
// and a tray host (python-dbusmock), under X (desktopsession.py --x11). Started with
// --no-tray, the desktop has neither tray nor watcher.
#include "app/desktoppresence.h"
#include "app/frmmain.h"
#include "desktop/busmock.h"
#include "desktop/desktopsettings.h"
#include "desktop/trayicon.h"
#include "reminder/remindercore.h"
#include "support/scriptedservices.h"
#include "support/testsupport.h"
#include "support/windowharness.h"
#include "table/cursor.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString server = QStringLiteral("org.freedesktop.Notifications");

QJsonArray notifyCalls() {
    return probe({QStringLiteral("calls"), server, QStringLiteral("/org/freedesktop/Notifications"),
                  QStringLiteral("Notify")})
        .toArray();
}

std::vector<Record> twoPeople() {
    return {makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
            makeRecord(2, QStringLiteral("Bert Muster"), 1990, 3, 9)};
}

void scanOn(WindowHarness& h, int day) {
    h.services.setToday(2025, 3, day);
    h.window().reminders().erinnerungenpruefen();
}

} // namespace

class TestPresence : public QObject {
    Q_OBJECT
    std::unique_ptr<DbusMock> m_watcher;
    std::unique_ptr<DbusMock> m_notifications;

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run through desktopsession.py --x11");
        // Qt looks for the tray once, when the first tray icon is made: the host first.
        m_watcher = std::make_unique<DbusMock>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                               desktopTestDir() +
                                                   QStringLiteral("/status_notifier_watcher.py"));
        QVERIFY(m_watcher->waitStarted());
        m_notifications =
            std::make_unique<DbusMock>(server, QStringLiteral("notification_daemon"),
                                       QStringLiteral("{\"capabilities\": \"body\"}"));
        QVERIFY(m_notifications->waitStarted());
    }

    // The tray names who is next and follows the list; every scan with lines notifies, as the
    // user chose; a click brings the window back.
    void trayAndNotificationsFollowTheWindow() {
        WindowHarness h(twoPeople(), Options(), true);
        h.window().Timer1->stop();
        h.finishSplash();
        h.services.setToday(2025, 3, 6);
        DesktopPresence presence(h.window());
        QVERIFY(presence.tray());
        QVERIFY2(!registeredItem().isEmpty(), "the tray item did not register");
        QCOMPARE(registeredItem()[QStringLiteral("toolTip")].toString(),
                 QStringLiteral("Nächster Geburtstag: Anna Beispiel, morgen, 45 Jahre"));

        const int before = notifyCalls().size();
        scanOn(h, 6);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 1, 10000);
        const QJsonArray call = notifyCalls().last().toArray();
        QCOMPARE(call[0].toString(), QStringLiteral("Natalix"));
        QCOMPARE(call[3].toString(), QStringLiteral("Geburtstags-Erinnerung"));
        // The reminder window's lines, without its empty lines.
        QCOMPARE(call[4].toString(),
                 QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n"
                                "Bert Muster wird am 9.3.2025 35 Jahre alt ..."));

        // Switched off in the settings: the reminder window alone.
        QVERIFY(setNotificationsEnabled(h.window().settings(), false));
        const int windows = h.services.shownWindows.size();
        scanOn(h, 8);
        QCOMPARE(h.services.shownWindows.size(), windows + 1);
        QTest::qWait(500);
        QCOMPARE(notifyCalls().size(), before + 1);

        // A renamed record reaches the tool tip once the list has come to rest.
        h.services.setToday(2025, 3, 6);
        h.cursor().moveFirst();
        h.cursor().setField(Field::Name, QStringLiteral("Anna Anders"));
        QVERIFY(h.cursor().update());
        QTRY_COMPARE_WITH_TIMEOUT(
            registeredItem()[QStringLiteral("toolTip")].toString(),
            QStringLiteral("Nächster Geburtstag: Anna Anders, morgen, 45 Jahre"), 10000);

        QVERIFY(!h.window().isVisible());
        const QString service = registeredItem()[QStringLiteral("service")].toString();
        QCOMPARE(probe({QStringLiteral("activate"), service}).toBool(), true);
        QTRY_VERIFY_WITH_TIMEOUT(h.window().isVisible(), 5000);
        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.isEmpty());
    }

    void cleanupTestCase() {
        m_notifications.reset();
        m_watcher.reset();
    }
};

// No tray: hiding the window tells once how to get it back, until the user says no more.
class TestNoTrayHint : public QObject {
    Q_OBJECT
private slots:
    void hidingTellsOnce_data() {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("stored");
        QTest::newRow("again next time") << answer::yes << QString();
        QTest::newRow("no more") << answer::no << QStringLiteral("0");
    }
    void hidingTellsOnce() {
        QFETCH(int, reply);
        QFETCH(QString, stored);
        WindowHarness h(twoPeople());
        h.window().Timer1->stop();
        h.finishSplash();
        auto* presence = new DesktopPresence(h.window());
        QVERIFY(!presence->tray());
        h.window().show();
        h.services.answerMessage(reply);
        h.window().mnuDateibeenden->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(h.services.messages.size(), 1, 5000);
        QCOMPARE(h.services.messages[0].text, DesktopPresence::hiddenHintText());
        QCOMPARE(h.services.messages[0].buttons, Buttons::YesNo);
        QCOMPARE(h.window().settings().value(QLatin1String(desktopsetting::hiddenHint)), stored);
        // Within the same run, once.
        h.window().show();
        h.window().mnuDateibeenden->trigger();
        QTest::qWait(100);
        QCOMPARE(h.services.messages.size(), 1);
        // The next run asks again unless the user said no.
        delete presence;
        presence = new DesktopPresence(h.window());
        if (reply == answer::yes)
            h.services.answerMessage(answer::yes);
        h.window().show();
        h.window().mnuDateibeenden->trigger();
        QTest::qWait(100);
        QCOMPARE(h.services.messages.size(), reply == answer::yes ? 2 : 1);
        QVERIFY(h.services.allAnswered());
        delete presence;
    }
};

int main(int argc, char** argv) {
    QStringList args;
    bool noTray = false;
    for (int i = 0; i < argc; ++i) {
        if (qstrcmp(argv[i], "--no-tray") == 0)
            noTray = true;
        else
            args << QString::fromLocal8Bit(argv[i]);
    }
    QApplication app(argc, argv);
    if (noTray) {
        TestNoTrayHint test;
        return QTest::qExec(&test, args);
    }
    TestPresence test;
    return QTest::qExec(&test, args);
}

#include "test_presence.moc"
