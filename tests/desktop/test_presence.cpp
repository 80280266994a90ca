// The running window on a desktop: on a session bus of its own with a notification server
// and a tray host (python-dbusmock), under X (desktopsession.py --x11). Started with
// --no-tray, the desktop has neither tray nor watcher.
#include "app/desktoppresence.h"
#include "app/frmmain.h"
#include "desktop/busmock.h"
#include "desktop/desktopsettings.h"
#include "desktop/trayicon.h"
#include "reminder/openlines.h"
#include "reminder/remindercore.h"
#include "support/scriptedservices.h"
#include "support/testsupport.h"
#include "support/windowharness.h"
#include "table/cursor.h"
#include "table/sortcommands.h"
#include "table/tablestore.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
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

    // The day's check never waits for a dialog: with one left open across midnight the
    // reminder window and the notification come at the new day's first tick; the grid takes
    // its month order once the dialog is answered.
    void dialogOpenAcrossMidnight_data() {
        QTest::addColumn<QString>("dialog");
        for (const char* d : {"options", "about", "question"})
            QTest::newRow(d) << d;
    }
    void dialogOpenAcrossMidnight() {
        QFETCH(QString, dialog);
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(2, QStringLiteral("Zacharias"), 1960, 1, 5)});
        h.window().Timer1->stop();
        h.finishSplash();
        new DesktopPresence(h.window());
        h.services.setToday(2025, 2, 1, 23, 0, 0);
        h.window().timer1Tick();
        h.window().sortCommands().cmdSortierennachnummer_Click();
        const int before = notifyCalls().size();
        bool came = false;
        const auto midnight = [&](QWidget& open) {
            // Open as the user left it: the program's other windows wait for it.
            open.hide();
            open.setWindowModality(Qt::ApplicationModal);
            open.show();
            QCOMPARE(QApplication::activeModalWidget(), &open);
            h.services.setToday(2025, 3, 7, 0, 0, 30);
            h.window().timer1Tick();
            QCOMPARE(h.services.shownWindows.size(), 1);
            QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 1, 10000);
            QCOMPARE(notifyCalls().last().toArray()[4].toString(),
                     QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ..."));
            QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
            came = true;
        };
        if (dialog == u"question") {
            h.services.onMessage = [&](const MessageRequest&) {
                QMessageBox box;
                midnight(box);
            };
            h.services.answerMessage(answer::no);
            h.window().cmdDatensatzloeschen->click();
        } else {
            h.services.answerDialog(
                [&](QDialog& d) { return midnight(d), int(QDialog::Rejected); });
            (dialog == u"options" ? h.window().mnuExtrasoptionen : h.window().mnuUeberdennatalix)
                ->trigger();
        }
        QVERIFY(came);
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
        QTRY_COMPARE(h.window().gridCaption(), caption::byMonthAscending());
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{2, 1}));
    }

    // The tray names who is next and follows the list; every scan with lines notifies, as the
    // user chose; a click brings the window back, or the reminder while one is open.
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

        // While a reminder is open, the click and "Natalix anzeigen" bring it to the front:
        // the main window waits for its answer, and activated it hands the keyboard over.
        QVERIFY(!h.window().isVisible());
        const QString service = registeredItem()[QStringLiteral("service")].toString();
        QWidget* reminder = h.services.shownWindows.last();
        QVERIFY(QTest::qWaitForWindowExposed(reminder));
        // A window of the reminder's own has the keyboard before each click.
        auto* elsewhere = new QWidget(reminder, Qt::Window);
        elsewhere->show();
        const auto focusElsewhere = [&] {
            elsewhere->activateWindow();
            return QTest::qWaitFor([&] { return QApplication::activeWindow() == elsewhere; });
        };
        for (const QStringList& click :
             {QStringList{QStringLiteral("activate"), service},
              {QStringLiteral("click"), service, QStringLiteral("Natalix anzeigen")}}) {
            QVERIFY(focusElsewhere());
            QVERIFY(!probe(click).isUndefined());
            QTRY_COMPARE(QApplication::activeWindow(), reminder);
            QVERIFY(!h.window().isVisible());
        }
        QVERIFY(focusElsewhere());
        h.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
        h.window().activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), reminder);
        // Answered, the click brings the main window.
        for (QWidget* w : h.services.shownWindows)
            if (w)
                w->close();
        h.window().hide();
        QCOMPARE(probe({QStringLiteral("activate"), service}).toBool(), true);
        QTRY_VERIFY_WITH_TIMEOUT(h.window().isVisible(), 5000);
        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.isEmpty());

        // A reminder open, the menu still ends the program; its lines come at the next start.
        scanOn(h, 7);
        QVERIFY(!probe({QStringLiteral("click"), service,
                        QStringLiteral("Natalix und Erinnerungs-Modul beenden")})
                     .isUndefined());
        QTRY_COMPARE(h.state().programmbeenden, 1);
        auto store = TableStore::open(h.dir.databasePath(), Record(), nullptr);
        QCOMPARE(OpenLines(*store).windows().size(), size_t(1));
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
