// Runs on an X server and a session bus of its own (desktopsession.py --x11). With a tray
// (the StatusNotifierWatcher template of python-dbusmock) the icon registers as a
// StatusNotifierItem, and what a desktop reads from it is read by busprobe.py. Started with
// --no-tray, no tray is there.
#include "app/datadir.h"
#include "desktop/busmock.h"
#include "desktop/trayicon.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace natalix;

namespace {

const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// The birthdays of the year ahead of 6 March 2025.
std::vector<UpcomingBirthday> yearAhead(const QStringList& names) {
    Snapshot rows;
    int nummer = 0;
    for (const QString& name : names)
        rows.push_back(test::makeRecord(++nummer, name, 1980, 3, 7));
    return upcomingBirthdays(rows, QDate(2025, 3, 6), 365);
}

} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
    std::unique_ptr<test::DbusMock> m_watcher;
    std::unique_ptr<TrayIcon> m_tray;
    QString m_service;

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run through desktopsession.py --x11");
        // Qt looks for the tray once, when the first tray icon is made: the watcher first.
        m_watcher = std::make_unique<test::DbusMock>(
            watcher, test::desktopTestDir() + QStringLiteral("/status_notifier_watcher.py"));
        QVERIFY(m_watcher->waitStarted());
        QVERIFY(TrayIcon::available());
        m_tray = std::make_unique<TrayIcon>();
        m_tray->setNextBirthdays(yearAhead({QStringLiteral("Anna Beispiel")}));
        m_tray->show();
        const QJsonObject item = test::registeredItem();
        QVERIFY2(!item.isEmpty(), "the tray item did not register with the watcher");
        m_service = item[QStringLiteral("service")].toString();
    }

    void itemShowsIconToolTipAndMenu() {
        const QJsonObject item = test::registeredItem();
        const QJsonObject props = item[QStringLiteral("properties")].toObject();
        QCOMPARE(props[QStringLiteral("Status")].toString(), QStringLiteral("Active"));
        QCOMPARE(props[QStringLiteral("Title")].toString(), QStringLiteral("Natalix"));
        QCOMPARE(item[QStringLiteral("toolTip")].toString(),
                 QStringLiteral("Nächster Geburtstag: Anna Beispiel, morgen, 45 Jahre"));
        QCOMPARE(item[QStringLiteral("menu")],
                 QJsonValue(QJsonArray{"Natalix anzeigen", "Nächste Geburtstage...", "-",
                                       "Natalix und Erinnerungs-Modul beenden"}));
        // The painted icon travels as pixmaps: 16 and 22 pixels at least, none of them blank.
        const QJsonArray pixmaps = item[QStringLiteral("pixmaps")].toArray();
        QVERIFY(pixmaps.contains(QJsonArray{16, 16, true}));
        QVERIFY(pixmaps.contains(QJsonArray{22, 22, true}));
        for (const QJsonValue& p : pixmaps)
            QVERIFY(p.toArray()[2].toBool());
    }

    void toolTipFollowsTheList_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two on one day")
            << QStringList{"Bert", "Anna"}
            << "Nächste Geburtstage: Anna, morgen, 45 Jahre; Bert, morgen, 45 Jahre";
        QTest::newRow("nobody") << QStringList{} << "Nächster Geburtstag: keiner im kommenden Jahr";
    }
    void toolTipFollowsTheList() {
        QFETCH(QStringList, names);
        QFETCH(QString, expected);
        m_tray->setNextBirthdays(yearAhead(names));
        QCOMPARE(m_tray->toolTip(), expected);
        QTRY_COMPARE_WITH_TIMEOUT(test::registeredItem()[QStringLiteral("toolTip")].toString(),
                                  expected, 10000);
    }

    void clickShowsTheWindow() {
        QSignalSpy show(m_tray.get(), &TrayIcon::showMainWindowRequested);
        QCOMPARE(test::probe({QStringLiteral("activate"), m_service}).toBool(), true);
        QTRY_COMPARE_WITH_TIMEOUT(show.size(), 1, 5000);
    }

    void menuEntriesAsk_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("signal"); // 0 show, 1 upcoming, 2 quit
        QTest::newRow("show") << "Natalix anzeigen" << 0;
        QTest::newRow("upcoming") << "Nächste Geburtstage..." << 1;
        QTest::newRow("quit") << "Natalix und Erinnerungs-Modul beenden" << 2;
    }
    void menuEntriesAsk() {
        QFETCH(QString, label);
        QFETCH(int, signal);
        QSignalSpy show(m_tray.get(), &TrayIcon::showMainWindowRequested);
        QSignalSpy upcoming(m_tray.get(), &TrayIcon::upcomingRequested);
        QSignalSpy quit(m_tray.get(), &TrayIcon::quitRequested);
        QVERIFY(test::probe({QStringLiteral("click"), m_service, label}).isDouble());
        const QList<int> expected{signal == 0, signal == 1, signal == 2};
        QTRY_COMPARE_WITH_TIMEOUT(
            (QList<int>{int(show.size()), int(upcoming.size()), int(quit.size())}), expected, 5000);
    }

    void cleanupTestCase() {
        m_tray.reset();
        m_watcher.reset();
    }
};

// Where the desktop has no tray: no watcher, no X tray (plain GNOME), or no display at all.
class TestNoTray : public QObject {
    Q_OBJECT
private slots:
    void notAvailable() {
        QVERIFY(!TrayIcon::available());
        // The icon may still be made; it shows nowhere and asks for nothing.
        TrayIcon tray;
        QSignalSpy show(&tray, &TrayIcon::showMainWindowRequested);
        tray.setNextBirthdays(yearAhead({QStringLiteral("Anna Beispiel")}));
        tray.show();
        QCOMPARE(tray.toolTip(),
                 QStringLiteral("Nächster Geburtstag: Anna Beispiel, morgen, 45 Jahre"));
        QTest::qWait(100);
        QCOMPARE(show.size(), 0);
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
    setProgramIdentity(); // the names the desktop shows, as the program sets them
    if (noTray) {
        TestNoTray test;
        return QTest::qExec(&test, args);
    }
    TestTrayIcon test;
    return QTest::qExec(&test, args);
}

#include "test_trayicon.moc"
