// The program on a bus and X server of its own (desktopsession.py), with a notification server
// and a tray host; busprobe.py reads and clicks what a desktop would. NATALIX_BARE_DESKTOP: none.
#include "app/desktoppresence.h"
#include "desktop/autostart.h"
#include "desktop/desktopsettings.h"
#include "desktop/notifier.h"
#include "desktop/trayicon.h"
#include "support/processes.h"
#include "support/windowharness.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString server = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");

// A python-dbusmock server from a template; true once it is on the bus.
bool startMock(QProcess& mock, const QString& name, const QString& from) {
    mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock.start(python, {"-m", "dbusmock", "--template", from});
    const auto there = [&] {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
    };
    return QTest::qWaitFor([&] { return there() || !mock.processId(); }, 10000) && there();
}

// The notification server's capabilities, as a Python body (it may also sleep).
bool setCapabilities(const QString& code) {
    QDBusMessage call = QDBusMessage::createMethodCall(server, serverPath,
                                                       "org.freedesktop.DBus.Mock", "AddMethod");
    call << server << "GetCapabilities" << QString() << "as" << code;
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
}

// What busprobe.py printed; the event loop runs meanwhile, to answer its calls to us.
QJsonValue probe(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(python, QStringList{NATALIX_DESKTOP_TEST_DIR "/busprobe.py"} + arguments);
    (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 15000);
    return QJsonDocument::fromJson("[" + p.readAllStandardOutput() + "]").array().at(0);
}

// The one tray item the host took, once it is there; empty when none came.
QJsonObject trayItem() {
    QJsonArray items;
    (void)QTest::qWaitFor([&] { return !(items = probe({"items"}).toArray()).isEmpty(); }, 5000);
    return items.size() == 1 ? items[0].toObject() : QJsonObject();
}

// The n-th Notify call the server took (its eight arguments); empty when more came.
QJsonArray notifyCall(int n) {
    const QStringList args{QStringLiteral("calls"), server, serverPath, QStringLiteral("Notify")};
    QJsonArray calls;
    (void)QTest::qWaitFor([&] { return (calls = probe(args).toArray()).size() >= n; }, 10000);
    return calls.size() == n ? calls.last().toArray() : QJsonArray();
}

void tickOn(WindowHarness& h, int month, int day) {
    h.services.setToday(2025, month, day);
    h.window().timer1Tick();
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
    QProcess m_watcher, m_server;

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run through desktopsession.py");
        // Qt looks for the tray once, when the first tray icon is made: the host first.
        QVERIFY(startMock(m_watcher, "org.kde.StatusNotifierWatcher",
                          NATALIX_DESKTOP_TEST_DIR "/status_notifier_watcher.py"));
        QVERIFY(startMock(m_server, server, "notification_daemon") && TrayIcon::available());
    }

    // The tray item names who is next and follows the list; its menu reaches the window, its
    // click the reminder while one is open. Every scan with lines notifies as the user chose,
    // with markup where the server takes it.
    void trayAndNotificationsFollowTheWindow() {
        WindowHarness h({makeRecord(1, "Anna Beispiel", 1980, 3, 7),
                         makeRecord(2, "Tom & Jerry <Kater>", 1990, 3, 9)},
                        Options(), true);
        h.window().Timer1->stop();
        h.finishSplash();
        h.services.setToday(2025, 3, 6);
        DesktopPresence presence(h.window());
        QJsonObject item = trayItem();
        const QString service = item.take(QStringLiteral("service")).toString();
        item.remove(QStringLiteral("ToolTip")); // below, as it follows the list
        // clang-format off
        QCOMPARE(item, (QJsonObject{{"Status", "Active"}, {"Title", "Natalix"}, {"IconDrawn", true},
            {"Menu", QJsonArray{"Natalix anzeigen", "Nächste Geburtstage...", "-",
                                "Natalix und Erinnerungs-Modul beenden"}}}));
        // clang-format on
        QVERIFY(probe({"click", service, "Natalix anzeigen"}).isDouble());
        QTRY_VERIFY_WITH_TIMEOUT(h.window().isVisible(), 5000);
        QVERIFY(probe({"click", service, "Nächste Geburtstage..."}).isDouble());
        QTRY_COMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(h.services.shownWindows[0]->objectName(), QStringLiteral("frmNaechste"));
        h.services.shownWindows[0]->close();
        h.window().hide();

        // app_name, replaces_id (none: a new one), icon, summary, body (the reminder window's
        // lines without its empty lines, &, < and > escaped), actions, hints, timeout.
        QVERIFY(setCapabilities("ret = ['body', 'body-markup']"));
        tickOn(h, 3, 6);
        QCOMPARE(notifyCall(1),
                 (QJsonArray{"Natalix", 0, "natalix", "Geburtstags-Erinnerung",
                             "Anna Beispiel wird morgen 45 Jahre alt ...\nTom &amp; Jerry "
                             "&lt;Kater&gt; wird am 9.3.2025 35 Jahre alt ...",
                             QJsonArray(), QJsonObject{{"desktop-entry", desktopEntryId()}},
                             Notifier::expireTimeoutMs}));
        // The scan's tool tip first, so that only the rename can bring the new one.
        QTRY_VERIFY(trayItem()[QStringLiteral("ToolTip")].toString().contains(u"Anna Beispiel"));
        h.cursor().moveFirst();
        h.cursor().setField(Field::Name, QStringLiteral("Anna Anders"));
        QVERIFY(h.cursor().update());
        QTRY_COMPARE_WITH_TIMEOUT(
            trayItem()[QStringLiteral("ToolTip")].toString(),
            QStringLiteral("Nächster Geburtstag: Anna Anders, morgen, 45 Jahre"), 10000);

        // Switched off: the reminder window alone. Switched on, a server without markup gets the
        // lines as written; nothing due, nothing sent (the witness call comes next).
        QVERIFY(setNotificationsEnabled(h.window().settings(), false));
        tickOn(h, 3, 7);
        QVERIFY(setNotificationsEnabled(h.window().settings(), true) &&
                setCapabilities("ret = ['body']"));
        tickOn(h, 3, 9);
        QCOMPARE(notifyCall(2)[4], QJsonValue("Tom & Jerry <Kater> wird heute 35 Jahre alt ..."));
        tickOn(h, 3, 10);
        presence.notifier()->notify({QStringLiteral("Zeuge")});
        QCOMPARE(notifyCall(3)[4], QJsonValue("Zeuge"));

        // While a reminder is open, the click brings it to the front: the main window waits
        // for its answer, and activated it hands the keyboard over.
        QWidget* reminder = h.services.shownWindows.last();
        auto* elsewhere = new QWidget(reminder, Qt::Window); // has the keyboard before
        const auto focusElsewhere = [elsewhere] {
            elsewhere->show();
            elsewhere->activateWindow();
            return QTest::qWaitFor([&] { return QApplication::activeWindow() == elsewhere; });
        };
        QVERIFY(focusElsewhere());
        QCOMPARE(probe({"activate", service}), QJsonValue(true));
        QTRY_COMPARE(QApplication::activeWindow(), reminder);
        QVERIFY(!h.window().isVisible() && focusElsewhere());
        h.window().show();
        h.window().activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), reminder);
        // Reminders open, the menu still ends the program.
        QVERIFY(h.services.allAnswered());
        QVERIFY(probe({"click", service, "Natalix und Erinnerungs-Modul beenden"}).isDouble());
        QTRY_COMPARE(h.state().programmbeenden, 1);
    }
};

// No tray and no notification server (plain GNOME, or no desktop); the autostart entry as
// desktop-file-validate and GLib read it (desktopentry.py), each test in a HOME of its own.
class TestBareDesktop : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;

    QString home(const QString& name) const { return m_home->filePath(name); }
    QString userEntry() const { return home(QStringLiteral("config/autostart/natalix.desktop")); }
    QString systemEntry() const { return home(QStringLiteral("xdg/autostart/natalix.desktop")); }
    // What desktopentry.py read from the entry.
    QJsonObject read(const QString& entry) const {
        RunSetup setup;
        setup.home = m_home->path();
        setup.program = python;
        const RunResult r =
            runNatalix({QStringLiteral(NATALIX_DESKTOP_TEST_DIR "/desktopentry.py"), entry}, setup);
        return r.code == 0 ? QJsonDocument::fromJson(r.out).object()
                           : QJsonObject{{"failed", QString::fromUtf8(r.err)}};
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("HOME", m_home->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", home(QStringLiteral("xdg")).toLocal8Bit());
    }

    // Wherever the program lives, the desktop starts that very program with "/auto", and on
    // the data folder it runs with, if one was given (one entry per data folder).
    void entryStartsTheProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("dataDir"); // below HOME; empty: the per-user folder
        QTest::addColumn<bool>("glibLoads");
        QTest::newRow("shell characters")
            << "Jörgs \"beste\" 'Sachen' a$HOME`id`;b&c|d<e>f*?#(g)~= C:\\Natalix\\" << QString()
            << true;
        // GLib looks for the program before it turns "%%" into "%", finds none and drops the
        // entry (GNOME will not start it); other desktops read the line as written.
        QTest::newRow("percent") << "100% %f %u" << QString() << false;
        QTest::newRow("a data folder")
            << "bin" << QStringLiteral("Vereins Liste/\"Geburtstage\" 100% $HOME\\ /auto") << true;
    }
    void entryStartsTheProgram() {
        QFETCH(QString, folder);
        QFETCH(QString, dataDir);
        QFETCH(bool, glibLoads);
        const QString program = home(folder) + QStringLiteral("/natalix");
        // GLib takes an entry only for a program that is there.
        QVERIFY(QDir().mkpath(home(folder)) && writeFileBytes(program, "#!/bin/sh\n") &&
                QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        const QString data = dataDir.isEmpty() ? QString() : home(dataDir);
        const Autostart autostart(program, data);
        QString error;
        QVERIFY2(autostart.enable(&error) && autostart.isEnabled(), qPrintable(error));
        const QString path = autostart.entryPath();
        const QString name = data.isEmpty() ? "natalix" : "natalix-[0-9a-f]{12}";
        QVERIFY2(path.contains(QRegularExpression("/config/autostart/" + name + "\\.desktop$")),
                 qPrintable(path));
        const QJsonArray argv = data.isEmpty() ? QJsonArray{program, "/auto"}
                                               : QJsonArray{program, "--datadir", data, "/auto"};
        const QString comment =
            QStringLiteral("Erinnert im Hintergrund an Geburtstage") +
            (data.isEmpty() ? QString() : QStringLiteral(" (Datenordner %1)").arg(data));
        // clang-format off
        const QJsonObject expected{
            {"Type", "Application"}, {"Name", "Natalix"}, {"Icon", "natalix"},
            {"Name[de]", "Natalix (Erinnerungen im Hintergrund)"}, {"Hidden", QJsonValue()},
            {"Comment", comment}, {"Comment[de]", comment}, {"problems", ""}, {"argv", argv},
            {"loaded", glibLoads}};
        // clang-format on
        QCOMPARE(read(path), expected);
    }

    // Whose entry decides, and what switching off and on leaves behind.
    void switching_data() {
        QTest::addColumn<QString>("entries"); // user's/system's before: "", "active", "hidden"
        QTest::addColumn<bool>("ofDataDir");  // the switch of a data folder given by --datadir
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hiddenAfterDisable"); // else the user's entry is removed
        QTest::newRow("nothing") << "/" << false << false << false;
        QTest::newRow("own") << "active/" << false << true << false;
        QTest::newRow("own, off by the desktop") << "hidden/" << false << false << false;
        QTest::newRow("the system's") << "/active" << false << true << true;
        QTest::newRow("the system's, overridden") << "hidden/active" << false << false << true;
        QTest::newRow("own over the system's") << "active/active" << false << true << true;
        QTest::newRow("the system's, hidden") << "/hidden" << false << false << false;
        // Those start the per-user folder: a data folder's switch neither shows nor touches them.
        QTest::newRow("a data folder") << "active/active" << true << false << false;
    }
    void switching() {
        QFETCH(QString, entries);
        QFETCH(bool, ofDataDir);
        QFETCH(bool, enabled);
        QFETCH(bool, hiddenAfterDisable);
        const QStringList states = entries.split(u'/');
        for (const auto& [path, state] :
             {std::pair{userEntry(), states[0]}, {systemEntry(), states[1]}}) {
            const QByteArray entry = "[Desktop Entry]\nType=Application\nName=N\nExec=n /auto\n";
            if (!state.isEmpty())
                QVERIFY(QDir().mkpath(QFileInfo(path).path()) &&
                        writeFileBytes(path, state == u"hidden" ? entry + "Hidden=true\n" : entry));
        }
        const QByteArray systemBefore = readFileBytes(systemEntry());
        const QByteArray userBefore = readFileBytes(userEntry());
        const QString data = ofDataDir ? home(QStringLiteral("Daten")) : QString();
        const Autostart autostart(QStringLiteral("/opt/natalix/natalix"), data);
        const QString own = autostart.entryPath();
        QCOMPARE(autostart.isEnabled(), enabled);

        QVERIFY(autostart.disable() && !autostart.isEnabled());
        QCOMPARE(QFile::exists(own), hiddenAfterDisable);
        const QJsonObject hidden = hiddenAfterDisable ? read(own) : QJsonObject();
        QVERIFY(!hiddenAfterDisable || (hidden["Hidden"] == "true" && hidden["problems"] == ""));
        QVERIFY(autostart.disable()); // twice is no fault
        QVERIFY(autostart.enable() && autostart.isEnabled());
        QCOMPARE(readFileBytes(systemEntry()), systemBefore); // never touched
        if (ofDataDir)
            QCOMPARE(readFileBytes(userEntry()), userBefore);
    }

    // What cannot be written is said in German, and nothing is left behind. A relative
    // $XDG_CONFIG_HOME (absolute in every other test) does not count: ~/.config is taken.
    void refused_data() {
        QTest::addColumn<QStringList>("call"); // program, data folder, the call with a line break
        QTest::newRow("folder cannot be made") << QStringList{"/usr/bin/natalix", "", ""};
        QTest::newRow("line break in the program") << QStringList{"/a\nb/n", "", "/a\nb/n"};
        QTest::newRow("line break in the data folder") << QStringList{"/bin/n", "/a\nb", "/a\nb"};
    }
    void refused() {
        QFETCH(QStringList, call);
        const QString broken = call[2]; // empty: a file where the folder goes
        if (broken.isEmpty()) {
            qputenv("XDG_CONFIG_HOME", "relativ");
            QVERIFY(writeFileBytes(home(QStringLiteral(".config")), "kein Ordner"));
        }
        const Autostart autostart(call[0], call[1]);
        QString error;
        QVERIFY(!autostart.enable(&error));
        QCOMPARE(error, broken.isEmpty()
                            ? QStringLiteral("Der Autostart-Ordner %1 kann nicht angelegt werden.")
                                  .arg(home(QStringLiteral(".config/autostart")))
                            : QStringLiteral("Der Aufruf %1 enthält Steuerzeichen und kann nicht "
                                             "in den Autostart eingetragen werden.")
                                  .arg(broken));
        QVERIFY(!QFile::exists(autostart.entryPath()) && !autostart.isEnabled());
    }

    // A server that never answers: notify returns at once, and the failure comes by itself
    // within the short bound, not the bus's 25 s.
    void notifierNeverWaits() {
        Notifier notifier;
        notifier.setCallTimeout(500);
        QSignalSpy notDelivered(&notifier, &Notifier::notDelivered);
        QProcess mock;
        QVERIFY(startMock(mock, server, "notification_daemon") &&
                setCapabilities("time.sleep(4)\nret = ['body']"));
        QElapsedTimer clock;
        clock.start();
        notifier.notify({QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...")});
        QVERIFY2(clock.elapsed() < 250, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(notDelivered.size(), 1, 3000);
    }

    // Hiding the window tells once a run how to get it back, until the user says no more.
    void hidingTellsOnce() {
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
        h.services.answerMessage(answer::yes); // again next time
        h.services.answerMessage(answer::no);  // no more
        for (const QString stored : {"", "0", "0"}) {
            DesktopPresence presence(h.window()); // each a run of its own
            QVERIFY(!presence.tray() && hide() && hide());
            QCOMPARE(h.window().settings().value(QLatin1String(desktopsetting::hiddenHint)),
                     stored);
        }
        QVERIFY(h.services.allAnswered()); // two hints: one a run, none after "no more"
        QVERIFY(h.services.messages[1].text == DesktopPresence::hiddenHintText() &&
                h.services.messages[1].buttons == Buttons::YesNo);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setProgramIdentity(); // the names the desktop shows, as the program sets them
    TestDesktop withTray;
    TestBareDesktop bare;
    return QTest::qExec(qEnvironmentVariableIsSet("NATALIX_BARE_DESKTOP")
                            ? static_cast<QObject*>(&bare)
                            : &withTray,
                        argc, argv);
}

#include "test_desktop.moc"
