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
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace natalix;
using namespace natalix::test;

namespace {

void writeFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
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
    void helpOpensTheDocumentation() {
        WindowHarness h;
        QCOMPARE(h.window().mnuHilfe->shortcut(), QKeySequence(Qt::Key_F1));
        h.window().mnuHilfe->trigger();
        QCOMPARE(h.services.shellOpened.size(), 1);
        const QString path = h.services.shellOpened[0];
        QVERIFY2(path.endsWith(QStringLiteral("/html/dokumentation.htm")), qPrintable(path));
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QVERIFY(h.services.allAnswered());
    }

    void documentationPlaces_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        const QString beside = QStringLiteral("bin/html/dokumentation.htm");
        const QString installed = QStringLiteral("share/natalix/html/dokumentation.htm");
        const QString source = QStringLiteral("src/html/dokumentation.htm");
        QTest::newRow("all three") << QStringList{beside, installed, source} << beside;
        QTest::newRow("installed") << QStringList{installed, source} << installed;
        QTest::newRow("source tree") << QStringList{source} << source;
        QTest::newRow("none") << QStringList{} << beside;
    }
    void documentationPlaces() {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& p : present)
            writeFile(root.filePath(p));
        QDir().mkpath(root.filePath(QStringLiteral("bin")));
        QCOMPARE(documentationPath(root.filePath(QStringLiteral("bin")),
                                   root.filePath(QStringLiteral("src"))),
                 root.filePath(expected));
    }

    // The manual names every command of the menus and every button of the main window.
    void documentationCoversEveryCommand() {
        WindowHarness h;
        h.window().mnuHilfe->trigger();
        QFile f(h.services.shellOpened.value(0));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\""), Qt::CaseInsensitive) ||
                html.contains(QStringLiteral("charset=utf-8"), Qt::CaseInsensitive));
        QStringList captions;
        for (QMenu* menu : {h.window().mnuDatei, h.window().mnuBearbeiten, h.window().mnuExtras,
                            h.window().mnuFragezeichen})
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    captions << a->text().remove(u'&');
        for (QPushButton* b : h.window().findChildren<QPushButton*>())
            captions << b->text().remove(u'&');
        QVERIFY(captions.size() > 25);
        for (const QString& caption : captions)
            QVERIFY2(html.contains(caption), qPrintable(caption));
        for (const char* topic : {"/auto", "--datadir", "--import", "--export", "--scan",
                                  "NATALIX_DATADIR", ".nxd", "natalix.ini", "Geburtstage.db"})
            QVERIFY2(html.contains(QLatin1String(topic)), topic);
    }

    void aboutBox() {
        WindowHarness h;
        withAbout(h, [&](FrmAbout& about) {
            QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
            QCOMPARE(about.windowTitle(), QStringLiteral("Über den Natalix"));
            QCOMPARE(about.lblVersion->text(),
                     QStringLiteral("Version 1.2.") + programVersion().section(u'.', 2, 2));
            QVERIFY(!about.picIcon->pixmap().isNull());
            QVERIFY(!about.Image1->pixmap().isNull());
            QCOMPARE(about.Label5->text(), QStringLiteral("email: support@natalix.example"));
            QCOMPARE(about.Label5->toolTip(),
                     QStringLiteral(
                         "Klicken Sie hierauf, um dem Programm-Autor eine EMail zu schicken ..."));
            QCOMPARE(about.Label6->text(), QStringLiteral("Internet: https://www.natalix.example"));
            QVERIFY(!about.Label6->toolTip().isEmpty());
            QCOMPARE(about.cmdOK->text(), QStringLiteral("OK"));
            QCOMPARE(about.cmdSysInfo->text(), QStringLiteral("&Systeminfo..."));
            QCOMPARE(about.cmdSysInfo->toolTip(),
                     QStringLiteral("Hiermit bekommen Sie einige System-Informationen zu Ihrem "
                                    "Computer angezeigt ..."));

            QTest::mouseClick(about.Label5, Qt::LeftButton);
            QTest::mouseClick(about.Label6, Qt::LeftButton);
            QCOMPARE(h.services.shellOpened,
                     QStringList({QStringLiteral("mailto:support@natalix.example?Subject=Natalix"),
                                  QStringLiteral("https://www.natalix.example")}));
            QVERIFY(about.isVisible());
            about.cmdOK->click();
            QVERIFY(!about.isVisible());
            QCOMPARE(about.result(), int(QDialog::Accepted));
        });
        QVERIFY(h.services.allAnswered());
    }

    void aboutRunsTheRecordCheck() {
        Record r = newRecord(1, ReminderDefaults());
        r.monat = 4;
        r.tag = 12;
        WindowHarness h({r});
        h.window().cboTag->setEditText(QStringLiteral("31"));
        int shownDay = 0;
        withAbout(h, [&](FrmAbout&) { shownDay = h.cursor().currentRecord().tag; });
        QCOMPARE(shownDay, 30);
    }

    void systemInformation_data() {
        QTest::addColumn<bool>("toolInstalled");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<bool>("message");
        QTest::newRow("no tool") << false << true << true;
        QTest::newRow("tool found") << true << true << false;
        QTest::newRow("tool does not start") << true << false << true;
    }
    void systemInformation() {
        QFETCH(bool, toolInstalled);
        QFETCH(bool, starts);
        QFETCH(bool, message);
        QTemporaryDir bin;
        const QString tool = QStringLiteral("natalix-test-sysinfo");
        if (toolInstalled) {
            writeFile(bin.filePath(tool), "#!/bin/sh\n");
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
            const MessageRequest& m = h.services.messages[0];
            QCOMPARE(m.text, QStringLiteral("Systeminformationen sind momentan nicht verfügbar"));
            QCOMPARE(m.buttons, Buttons::Ok);
            QCOMPARE(m.icon, Icon::None);
            QVERIFY(m.title.isEmpty());
        }
    }
};

QTEST_MAIN(TestExtras)
#include "test_extras.moc"
