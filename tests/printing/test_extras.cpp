#include "app/commandline.h"
#include "app/frmmain.h"
#include "extras/extrascommands.h"
#include "extras/frmabout.h"
#include "support/windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace natalix;
using namespace natalix::test;

namespace {

void writeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
}

// Opens the about box from the menu and lets `work` act on it.
void withAbout(WindowHarness& h, std::function<void(FrmAbout&)> work) {
    h.services.answerDialog([work](QDialog& dialog) {
        work(dynamic_cast<FrmAbout&>(dialog));
        return int(QDialog::Accepted);
    });
    h.window().mnuUeberdennatalix->trigger();
}

} // namespace

class TestExtras : public QObject {
    Q_OBJECT

private slots:
    // F1 opens the manual in the browser; without one it says where the manual is.
    void helpOpensTheDocumentation_data() {
        QTest::addColumn<bool>("browser");
        QTest::newRow("browser") << true;
        QTest::newRow("no browser") << false;
    }
    void helpOpensTheDocumentation() {
        QFETCH(bool, browser);
        WindowHarness h;
        h.services.programsExist = browser;
        if (!browser)
            h.services.answerMessage(answer::ok);
        QCOMPARE(h.window().mnuHilfe->shortcut(), QKeySequence(Qt::Key_F1));
        h.window().mnuHilfe->trigger();
        QCOMPARE(h.services.shellOpened.size(), 1);
        const QString path = h.services.shellOpened[0];
        QVERIFY2(path.endsWith(QStringLiteral("/html/dokumentation.htm")), qPrintable(path));
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), browser ? 0 : 1);
        if (!browser)
            QCOMPARE(h.services.messages[0].text,
                     QStringLiteral("Das Handbuch kann nicht angezeigt werden, weil kein Browser "
                                    "bereitsteht. Sie finden es in der Datei \"%1\".")
                         .arg(path));
    }

    void aboutBox() {
        // The record check runs first: April 31 becomes 30 before the box shows.
        WindowHarness h({makeRecord(1, QStringLiteral("April"), 1990, 4, 12)});
        h.window().cboTag->setEditText(QStringLiteral("31"));
        int shownDay = 0;
        withAbout(h, [&](FrmAbout& about) {
            shownDay = h.cursor().currentRecord().tag;
            QCOMPARE(about.windowTitle(), QStringLiteral("Über den Natalix"));
            QCOMPARE(about.lblVersion->text(),
                     QStringLiteral("Version 1.2.") + programVersion().section(u'.', 2, 2));
            QTest::mouseClick(about.Label5, Qt::LeftButton);
            QTest::mouseClick(about.Label6, Qt::LeftButton);
            QCOMPARE(h.services.shellOpened,
                     QStringList({QStringLiteral("mailto:support@natalix.example?Subject=Natalix"),
                                  QStringLiteral("https://www.natalix.example")}));
            about.cmdOK->click();
            QVERIFY(!about.isVisible());
            QCOMPARE(about.result(), int(QDialog::Accepted));
        });
        QVERIFY(h.services.allAnswered());
        QCOMPARE(shownDay, 30);
    }

    void systemInformation_data() {
        QTest::addColumn<bool>("toolInstalled");
        QTest::addColumn<bool>("starts");
        QTest::newRow("no tool") << false << true;
        QTest::newRow("tool found") << true << true;
        QTest::newRow("tool does not start") << true << false;
    }
    void systemInformation() {
        QFETCH(bool, toolInstalled);
        QFETCH(bool, starts);
        const bool message = !toolInstalled || !starts;
        QTemporaryDir bin;
        const QString tool = QStringLiteral("natalix-test-sysinfo");
        if (toolInstalled) {
            writeFile(bin.filePath(tool));
            QFile::setPermissions(bin.filePath(tool), QFile::ReadOwner | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        WindowHarness h;
        h.window().findChild<ExtrasCommands*>()->setSysInfoTools({tool});
        h.services.programsExist = starts;
        if (message)
            h.services.answerMessage(answer::ok);
        withAbout(h, [](FrmAbout& about) { about.cmdSysInfo->click(); });
        qputenv("PATH", oldPath);
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.programsStarted,
                 toolInstalled ? QStringList{bin.filePath(tool)} : QStringList());
        QCOMPARE(h.services.messages.size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(h.services.messages[0].text,
                     QStringLiteral("Systeminformationen sind momentan nicht verfügbar"));
            QCOMPARE(h.services.messages[0].buttons, Buttons::Ok);
        }
    }
};

QTEST_MAIN(TestExtras)
#include "test_extras.moc"
