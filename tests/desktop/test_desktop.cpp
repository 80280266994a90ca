// The program on a desktop, on a session bus and an X server of their own (desktopsession.py
// --x11): python-dbusmock's notification server and a tray host (status_notifier_watcher.py)
// answer, and busprobe.py reads and clicks what a desktop would. With --bare the desktop has
// neither tray nor notification server.
#include "app/datadir.h"
#include "app/desktoppresence.h"
#include "app/frmmain.h"
#include "desktop/desktopsettings.h"
#include "desktop/notifier.h"
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
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString scripts = QStringLiteral(NATALIX_DESKTOP_TEST_DIR);
const QString server = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");

bool owned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

// A python-dbusmock server from a template, there once started() and gone with the object.
class DbusMock {
public:
    DbusMock(const QString& name, const QString& from) : m_name(name) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(python, {"-m", "dbusmock", "--template", from});
    }
    ~DbusMock() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        // The next server of the same name must not find this one still there.
        (void)QTest::qWaitFor([this] { return !owned(m_name); }, 5000);
    }
    bool started() {
        return QTest::qWaitFor([this] { return owned(m_name) || !m_process.processId(); }, 10000) &&
               owned(m_name);
    }
    // The notification server's capabilities, as a Python body (it may also sleep).
    bool capabilities(const QString& code) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            m_name, serverPath, QStringLiteral("org.freedesktop.DBus.Mock"), "AddMethod");
        call << server << QStringLiteral("GetCapabilities") << QString() << "as" << code;
        return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
    }

private:
    QString m_name;
    QProcess m_process;
};

// What busprobe.py printed; the event loop runs meanwhile, to answer its calls to us.
QJsonValue probe(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(python, QStringList{scripts + QStringLiteral("/busprobe.py")} + arguments);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 15000))
        p.kill();
    p.waitForFinished();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QJsonValue::Undefined;
    return QJsonDocument::fromJson("[" + p.readAllStandardOutput() + "]").array().at(0);
}

// The one tray item the host took, once it is there; empty when none came.
QJsonObject trayItem() {
    QJsonArray items;
    const bool came = QTest::qWaitFor(
        [&] { return !(items = probe({QStringLiteral("items")}).toArray()).isEmpty(); }, 5000);
    return came && items.size() == 1 ? items[0].toObject() : QJsonObject();
}

// The Notify calls the server took, each as its eight arguments.
QJsonArray notifyCalls() {
    return probe({QStringLiteral("calls"), server, serverPath, QStringLiteral("Notify")}).toArray();
}

QString lastBody() {
    return notifyCalls().last().toArray().at(4).toString();
}

void tickOn(WindowHarness& h, int month, int day) {
    h.services.setToday(2025, month, day);
    h.window().timer1Tick();
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
    std::unique_ptr<DbusMock> m_watcher, m_server;

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run through desktopsession.py --x11");
        // Qt looks for the tray once, when the first tray icon is made: the host first.
        m_watcher = std::make_unique<DbusMock>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                               scripts + "/status_notifier_watcher.py");
        m_server = std::make_unique<DbusMock>(server, QStringLiteral("notification_daemon"));
        QVERIFY(m_watcher->started() && m_server->started() && TrayIcon::available());
    }

    // The exact call; switched off or with nothing due, none (the witness sent after it is the
    // only call).
    void notificationCall_data() {
        QTest::addColumn<QString>("capabilities");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("body"); // null: no call
        const QStringList two{"Jörg wird morgen 45 Jahre alt ...",
                              "Tom & Jerry <Kater> \"x\" wird heute 85 Jahre alt ..."};
        QTest::newRow("markup: &, < and > escaped")
            << "ret = ['body', 'body-markup']" << true << two
            << "Jörg wird morgen 45 Jahre alt ...\nTom &amp; Jerry &lt;Kater&gt; \"x\" wird heute "
               "85 Jahre alt ...";
        QTest::newRow("no markup: as written") << "ret = ['body']" << true << two << two.join('\n');
        QTest::newRow("switched off") << "ret = ['body']" << false << two << QString();
        QTest::newRow("nothing due") << "ret = ['body']" << true << QStringList() << QString();
    }
    void notificationCall() {
        QFETCH(QString, capabilities);
        QFETCH(bool, enabled);
        QFETCH(QStringList, lines);
        QFETCH(QString, body);
        QVERIFY(m_server->capabilities(capabilities));
        const int before = notifyCalls().size();
        Notifier notifier;
        QSignalSpy delivered(&notifier, &Notifier::delivered);
        notifier.setEnabled(enabled);
        notifier.notify(lines);
        notifier.setEnabled(true);
        notifier.notify({QStringLiteral("Zeuge")});
        QTRY_COMPARE_WITH_TIMEOUT(delivered.size(), body.isNull() ? 1 : 2, 10000);
        const QJsonArray calls = notifyCalls();
        QCOMPARE(calls.size(), before + delivered.size());
        QCOMPARE(lastBody(), QStringLiteral("Zeuge"));
        // app_name, replaces_id (none: a new one), icon, summary, body, actions, hints, timeout
        if (!body.isNull())
            QCOMPARE(calls[before].toArray(),
                     (QJsonArray{"Natalix", 0, "natalix", "Geburtstags-Erinnerung", body,
                                 QJsonArray(), QJsonObject{{"desktop-entry", desktopEntryId()}},
                                 Notifier::expireTimeoutMs}));
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
        tickOn(h, 2, 1);
        h.window().sortCommands().cmdSortierennachnummer_Click();
        const int before = notifyCalls().size();
        bool came = false;
        const auto midnight = [&](QWidget& open) {
            // Open as the user left it: the program's other windows wait for it.
            open.hide();
            open.setWindowModality(Qt::ApplicationModal);
            open.show();
            QCOMPARE(QApplication::activeModalWidget(), &open);
            tickOn(h, 3, 7);
            QCOMPARE(h.services.shownWindows.size(), 1);
            QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 1, 10000);
            QCOMPARE(lastBody(), QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ..."));
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
        QVERIFY(came && h.services.allAnswered());
        QTRY_COMPARE(h.window().gridCaption(), caption::byMonthAscending());
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{2, 1}));
    }

    // What the desktop shows of the running window: the tray item names who is next and
    // follows the list and the day; every scan with lines notifies, as the user chose; the
    // click and the menu reach the window, or the reminder while one is open.
    void trayAndNotificationsFollowTheWindow() {
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(2, QStringLiteral("Bert Muster"), 1990, 3, 9)},
                        Options(), true);
        h.window().Timer1->stop();
        h.finishSplash();
        h.services.setToday(2025, 3, 6);
        DesktopPresence presence(h.window());
        QJsonObject item = trayItem();
        const QString service = item.take(QStringLiteral("service")).toString();
        QCOMPARE(item,
                 (QJsonObject{{"Status", "Active"},
                              {"Title", "Natalix"},
                              {"ToolTip", "Nächster Geburtstag: Anna Beispiel, morgen, 45 Jahre"},
                              {"Menu", QJsonArray{"Natalix anzeigen", "Nächste Geburtstage...", "-",
                                                  "Natalix und Erinnerungs-Modul beenden"}},
                              {"IconDrawn", true}}));
        const auto toolTip = [] { return trayItem()[QStringLiteral("ToolTip")].toString(); };

        // No reminder open: the click brings the main window, the menu the upcoming birthdays.
        QCOMPARE(probe({QStringLiteral("activate"), service}), QJsonValue(true));
        QTRY_VERIFY_WITH_TIMEOUT(h.window().isVisible(), 5000);
        QVERIFY(probe({"click", service, "Nächste Geburtstage..."}).isDouble());
        QTRY_COMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(h.services.shownWindows[0]->objectName(), QStringLiteral("frmNaechste"));
        h.services.shownWindows[0]->close();
        h.window().hide();
        // The reminder window's lines, without its empty lines.
        const int before = notifyCalls().size();
        tickOn(h, 3, 6);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 1, 10000);
        QCOMPARE(lastBody(), QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n"
                                            "Bert Muster wird am 9.3.2025 35 Jahre alt ..."));
        // A renamed record, and a new day, reach the tool tip.
        h.cursor().moveFirst();
        h.cursor().setField(Field::Name, QStringLiteral("Anna Anders"));
        QVERIFY(h.cursor().update());
        QTRY_COMPARE_WITH_TIMEOUT(
            toolTip(), QStringLiteral("Nächster Geburtstag: Anna Anders, morgen, 45 Jahre"), 10000);
        tickOn(h, 3, 7);
        QTRY_COMPARE_WITH_TIMEOUT(
            toolTip(), QStringLiteral("Nächster Geburtstag: Anna Anders, heute, 45 Jahre"), 10000);
        // Switched off in the settings: the reminder window alone (the next day's, switched on
        // again, is the only notification since).
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 2, 10000);
        QVERIFY(setNotificationsEnabled(h.window().settings(), false));
        const int windows = h.services.shownWindows.size();
        tickOn(h, 3, 8);
        QCOMPARE(h.services.shownWindows.size(), windows + 1);
        QVERIFY(setNotificationsEnabled(h.window().settings(), true));
        tickOn(h, 3, 9);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls().size(), before + 3, 10000);
        QCOMPARE(lastBody(), QStringLiteral("Bert Muster wird heute 35 Jahre alt ..."));

        // While a reminder is open, the click and "Natalix anzeigen" bring it to the front:
        // the main window waits for its answer, and activated it hands the keyboard over.
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
        // Reminders open, the menu still ends the program; their lines come at the next start.
        QVERIFY(h.services.allAnswered() && h.services.messages.isEmpty());
        QVERIFY(probe({"click", service, "Natalix und Erinnerungs-Modul beenden"}).isDouble());
        QTRY_COMPARE(h.state().programmbeenden, 1);
        auto store = TableStore::open(h.dir.databasePath(), Record(), nullptr);
        QCOMPARE(OpenLines(*store).windows().size(), size_t(4)); // of 6, 7, 8 and 9 March
    }

    void cleanupTestCase() {
        m_server.reset();
        m_watcher.reset();
    }
};

// A desktop without a tray and without a notification server (plain GNOME, or no desktop).
class TestBareDesktop : public QObject {
    Q_OBJECT
private slots:
    // No bus, no server, a server that never answers: notify returns at once, nothing is
    // shown, and the failure comes by itself.
    void notifierNeverWaits_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("no session bus") << "bus";
        QTest::newRow("no notification server") << "server";
        QTest::newRow("server does not answer") << "silent";
    }
    void notifierNeverWaits() {
        QFETCH(QString, situation);
        std::unique_ptr<DbusMock> mock;
        if (situation == u"silent") {
            mock = std::make_unique<DbusMock>(server, QStringLiteral("notification_daemon"));
            QVERIFY(mock->started() && mock->capabilities("time.sleep(4)\nret = ['body']"));
        }
        Notifier notifier(situation == u"bus" ? QDBusConnection::connectToBus(
                                                    QStringLiteral("unix:path=/nonexistent/bus"),
                                                    QStringLiteral("absent"))
                                              : QDBusConnection::sessionBus());
        notifier.setCallTimeout(500);
        QSignalSpy delivered(&notifier, &Notifier::delivered);
        QSignalSpy notDelivered(&notifier, &Notifier::notDelivered);
        QElapsedTimer clock;
        clock.start();
        notifier.notify({QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...")});
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(notDelivered.size(), 1, 3000);
        QVERIFY(clock.elapsed() < 3000 && delivered.isEmpty());
    }

    // Hiding the window tells once how to get it back, until the user says no more.
    void hidingTellsOnce_data() {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("stored");
        QTest::newRow("again next time") << answer::yes << QString();
        QTest::newRow("no more") << answer::no << QStringLiteral("0");
    }
    void hidingTellsOnce() {
        QFETCH(int, reply);
        QFETCH(QString, stored);
        QVERIFY(!TrayIcon::available());
        WindowHarness h;
        h.window().Timer1->stop();
        h.finishSplash();
        const auto hide = [&h] {
            h.window().show();
            h.window().mnuDateibeenden->trigger();
            // The hint comes after the hiding has run its course: after this, too.
            bool settled = false;
            QTimer::singleShot(0, [&] { settled = true; });
            return QTest::qWaitFor([&] { return settled; });
        };
        auto presence = std::make_unique<DesktopPresence>(h.window());
        QVERIFY(!presence->tray());
        h.services.answerMessage(reply);
        QVERIFY(hide() && hide()); // within the same run, once
        QCOMPARE(h.services.messages.size(), 1);
        QCOMPARE(h.services.messages[0].text, DesktopPresence::hiddenHintText());
        QCOMPARE(h.services.messages[0].buttons, Buttons::YesNo);
        QCOMPARE(h.window().settings().value(QLatin1String(desktopsetting::hiddenHint)), stored);
        // The next run asks again unless the user said no.
        presence = std::make_unique<DesktopPresence>(h.window());
        if (reply == answer::yes)
            h.services.answerMessage(answer::yes);
        QVERIFY(hide());
        QCOMPARE(h.services.messages.size(), reply == answer::yes ? 2 : 1);
        QVERIFY(h.services.allAnswered());
    }
};

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool bare = args.removeAll(QStringLiteral("--bare")) > 0;
    QApplication app(argc, argv);
    setProgramIdentity(); // the names the desktop shows, as the program sets them
    TestDesktop withTray;
    TestBareDesktop bareDesktop;
    return QTest::qExec(bare ? static_cast<QObject*>(&bareDesktop) : &withTray, args);
}

#include "test_desktop.moc"
