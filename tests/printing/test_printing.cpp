#include "app/frmmain.h"
#include "print/frmdrucken.h"
#include "print/printcommands.h"
#include "printing/recordingsurface.h"
#include "support/windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace natalix;
using namespace natalix::test;

namespace {

Record person(int nummer, const QString& name, int jahr = 1971, int monat = 12, int tag = 22) {
    Record r = newRecord(nummer, ReminderDefaults());
    r.name = name;
    r.jahr = jahr;
    r.monat = monat;
    r.tag = tag;
    return r;
}

std::vector<Record> people(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(
            person(i, QStringLiteral("Person %1").arg(i), 1950 + i % 50, i % 12 + 1, i % 28 + 1));
    return out;
}

Options printDisplay(int display) {
    Options o;
    o.optiondatumsanzeigedrucken = display;
    return o;
}

// The copies dialog of the next print command: `work` sets it up, then Drucken is clicked.
void answerCopies(ScriptedServices& services, std::function<void(FrmDrucken&)> work = {}) {
    services.answerDialog([work](QDialog& dialog) {
        auto& copies = dynamic_cast<FrmDrucken&>(dialog);
        if (work)
            work(copies);
        copies.cmdDrucken->click();
        return int(QDialog::Accepted);
    });
}

void setCopies(FrmDrucken& dialog, const QString& text) {
    dialog.txtExemplare->selectAll();
    dialog.txtExemplare->insert(text);
}

const QString byNumber = QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend");
const QString name50 = QStringLiteral("Abcdefghij").repeated(5);

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

    PrintLog log;

    // Prints from the main window's menu with the recording surface.
    void print(WindowHarness& h) {
        h.window().findChild<PrintCommands*>()->setSurfaceFactory(recordingFactory(log));
        h.window().mnuDateidrucken->trigger();
    }

private slots:
    void init() { log = PrintLog(); }

    void sixtyOneRecordsGiveTwoPages() {
        WindowHarness h(people(61));
        h.services.answerPrinter(true);
        answerCopies(h.services);
        print(h);
        QVERIFY(h.services.allAnswered());

        QCOMPARE(log.jobs.size(), 1);
        const RecordedJob& job = log.jobs[0];
        QVERIFY(job.ended);
        QCOMPARE(job.font.pointSize(), 10);
        const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                                   ? QStringLiteral("Courier New")
                                   : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        QCOMPARE(job.font.family(), family);
        QCOMPARE(job.pages.size(), 2);

        const QList<DrawnLine> rules = {
            {10, 9, 90, 9}, {18, 6, 18, 96}, {66, 6, 66, 96}, {74, 6, 74, 96}, {82, 6, 82, 96}};
        for (int p = 0; p < 2; ++p) {
            const RecordedPage& page = job.pages[p];
            QCOMPARE(page.textAt(80, 2), QStringLiteral("Seite: %1").arg(p + 1));
            QVERIFY(page.textAt(10, 2).endsWith(QStringLiteral("  ") + byNumber));
            QCOMPARE(page.rectangles, QList<DrawnLine>({{10, 6, 90, 96}}));
            QCOMPARE(page.lines, rules);
            QCOMPARE(page.textAt(11, 7), QStringLiteral(" Nr."));
            QCOMPARE(page.textAt(19, 7), QStringLiteral(" Name"));
        }
        const QStringList first = job.pages[0].column(11);
        QCOMPARE(first.size(), 60);
        QCOMPARE(first.first(), QStringLiteral(" 1"));
        QCOMPARE(first.last(), QStringLiteral(" 60"));
        QCOMPARE(job.pages[1].column(11), QStringList{QStringLiteral(" 61")});
        // Record lines start at 10 on every page and follow one another by the line height.
        QCOMPARE(job.pages[0].textAt(11, 10), QStringLiteral(" 1"));
        QCOMPARE(job.pages[0].textAt(11, 10 + 59 * log.lineHeight), QStringLiteral(" 60"));
        QCOMPARE(job.pages[1].textAt(11, 10), QStringLiteral(" 61"));
        QCOMPARE(job.pages[1].textAt(19, 10), QStringLiteral(" Person 61").leftJustified(43, u'_'));
    }

    // A font whose lines are too tall for sixty of them is set closer, inside the frame.
    void sixtyLinesStayInsideTheFrame() {
        WindowHarness h(people(61));
        log.lineHeight = 2.0;
        h.services.answerPrinter(true);
        answerCopies(h.services);
        print(h);
        QCOMPARE(log.jobs.size(), 1);
        QCOMPARE(log.jobs[0].pages.size(), 2);
        const RecordedPage& page = log.jobs[0].pages[0];
        QCOMPARE(page.column(11).size(), 60);
        const double pitch = 86.0 / 60;
        QCOMPARE(page.textAt(11, 10 + pitch), QStringLiteral(" 2"));
        QCOMPARE(page.textAt(11, 10 + 59 * pitch), QStringLiteral(" 60"));
        QVERIFY(10 + 60 * pitch <= 96 + 1e-9);
    }

    void everyCopyIsAJob_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("plusClicks");
        QTest::addColumn<int>("jobs");
        QTest::newRow("one") << QString() << 0 << 1;
        QTest::newRow("three typed") << QStringLiteral("3") << 0 << 3;
        QTest::newRow("three by plus") << QString() << 2 << 3;
    }
    void everyCopyIsAJob() {
        QFETCH(QString, typed);
        QFETCH(int, plusClicks);
        QFETCH(int, jobs);
        WindowHarness h(people(61));
        h.services.answerPrinter(true);
        answerCopies(h.services, [&](FrmDrucken& d) {
            if (!typed.isEmpty())
                setCopies(d, typed);
            for (int i = 0; i < plusClicks; ++i)
                d.cmdPlus->click();
        });
        print(h);
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.state().druckerexemplare, jobs);
        QCOMPARE(log.jobs.size(), jobs);
        for (const RecordedJob& job : log.jobs) {
            QVERIFY(job.ended);
            QCOMPARE(job.pages.size(), 2);
            QCOMPARE(job.pages[0].textAt(80, 2), QStringLiteral("Seite: 1"));
            QCOMPARE(job.pages[1].textAt(80, 2), QStringLiteral("Seite: 2"));
            QCOMPARE(job.pages[0].column(19).size() + job.pages[1].column(19).size(), 61);
        }
    }

    void headerAndColumns_data() {
        QTest::addColumn<int>("display");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("sortByName");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("firstRow");
        const QStringList newTitles = {QStringLiteral(" Jahr"), QStringLiteral(" Monat"),
                                       QStringLiteral(" Tag")};
        const QStringList oldTitles = {QStringLiteral(" Tag"), QStringLiteral(" Monat"),
                                       QStringLiteral(" Jahr")};
        const QStringList annaNew = {QStringLiteral(" 1971"), QStringLiteral(" 3"),
                                     QStringLiteral(" 9")};
        const QStringList annaOld = {QStringLiteral(" 9"), QStringLiteral(" 3"),
                                     QStringLiteral(" 1971")};
        QTest::newRow("new display")
            << 0 << QDate(2025, 3, 7) << false << QStringLiteral("2025-3-7") << newTitles
            << QStringList{QStringLiteral(" 2"), QStringLiteral(" 2001"), QStringLiteral(" 11"),
                           QStringLiteral(" 30")};
        QTest::newRow("new display, by name")
            << 0 << QDate(2024, 11, 25) << true << QStringLiteral("2024-11-25") << newTitles
            << (QStringList{QStringLiteral(" 3")} + annaNew);
        QTest::newRow("old display, by name")
            << 1 << QDate(2025, 3, 7) << true
            << QLocale().toString(QDate(2025, 3, 7), QLocale::ShortFormat) << oldTitles
            << (QStringList{QStringLiteral(" 3")} + annaOld);
    }
    void headerAndColumns() {
        QFETCH(int, display);
        QFETCH(QDate, today);
        QFETCH(bool, sortByName);
        QFETCH(QString, date);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, firstRow);
        WindowHarness h({person(2, QStringLiteral("Zora"), 2001, 11, 30),
                         person(3, QStringLiteral("Anna"), 1971, 3, 9)},
                        printDisplay(display));
        h.services.setToday(today.year(), today.month(), today.day());
        if (sortByName)
            h.window().cmdSortierennachnamen->click();
        h.services.answerPrinter(true);
        answerCopies(h.services);
        print(h);
        QCOMPARE(log.jobs.size(), 1);
        const RecordedPage& page = log.jobs[0].pages[0];
        QCOMPARE(page.textAt(10, 2), date + QStringLiteral("  ") + h.window().gridCaption());
        if (sortByName)
            QVERIFY(h.window().gridCaption().contains(QStringLiteral("Namen")));
        QCOMPARE(QStringList({page.textAt(67, 7), page.textAt(75, 7), page.textAt(83, 7)}), titles);
        QCOMPARE(QStringList({page.textAt(11, 10), page.textAt(67, 10), page.textAt(75, 10),
                              page.textAt(83, 10)}),
                 firstRow);
    }

    void nameCell_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cell");
        QTest::newRow("50 characters") << name50 << QStringLiteral(" ") + name50.left(42);
        QTest::newRow("two letters")
            << QStringLiteral("Al") << QStringLiteral(" Al") + QString(40, u'_');
        QTest::newRow("no name") << QStringLiteral(" ") << QStringLiteral("  ") + QString(41, u'_');
        QTest::newRow("umlauts") << QStringLiteral("Jürgen Öztürk")
                                 << QStringLiteral(" Jürgen Öztürk") + QString(29, u'_');
    }
    void nameCell() {
        QFETCH(QString, name);
        QFETCH(QString, cell);
        // Record 2, so that the record check of the current record does not touch it.
        WindowHarness h({person(1, QStringLiteral("Erster")), person(2, name)});
        h.services.answerPrinter(true);
        answerCopies(h.services);
        print(h);
        QCOMPARE(log.jobs.size(), 1);
        const QStringList names = log.jobs[0].pages[0].column(19);
        QCOMPARE(names.size(), 2);
        QCOMPARE(names[1], cell);
        QCOMPARE(names[1].size(), 43);
    }

    void cancelledCopiesPrintNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Abbrechen") << QStringLiteral("button");
        QTest::newRow("window frame") << QStringLiteral("close");
        QTest::newRow("Escape") << QStringLiteral("escape");
    }
    void cancelledCopiesPrintNothing() {
        QFETCH(QString, how);
        WindowHarness h(people(8));
        h.cursor().setAbsolutePosition(5);
        h.services.answerPrinter(true);
        h.services.answerDialog([&](QDialog& dialog) {
            auto& copies = dynamic_cast<FrmDrucken&>(dialog);
            setCopies(copies, QStringLiteral("4"));
            if (how == u"button")
                copies.cmdAbbrechen->click();
            else if (how == u"close")
                copies.close();
            else
                QTest::keyClick(copies.txtExemplare, Qt::Key_Escape);
            return int(QDialog::Rejected);
        });
        print(h);
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.state().druckerexemplare, 0);
        QVERIFY(log.jobs.isEmpty());
        QCOMPARE(h.cursor().absolutePosition(), 5);
        QCOMPARE(h.cursor().currentRecord().nummer, 5);
    }

    void cancelledPrintDialogPrintsNothing() {
        WindowHarness h(people(3));
        h.services.answerPrinter(false);
        print(h);
        // No copies dialog came: it would be unexpected.
        QVERIFY(h.services.allAnswered());
        QVERIFY(log.jobs.isEmpty());
    }

    void currentRecordAndOrderStay() {
        WindowHarness h(people(61));
        h.window().cmdSortierennachnamen->click();
        const std::vector<int> order = h.numbersInOrder();
        h.cursor().setAbsolutePosition(37);
        const int current = h.cursor().currentRecord().nummer;
        h.services.answerPrinter(true);
        answerCopies(h.services, [](FrmDrucken& d) { setCopies(d, QStringLiteral("2")); });
        print(h);
        QCOMPARE(log.jobs.size(), 2);
        QCOMPARE(h.cursor().absolutePosition(), 37);
        QCOMPARE(h.cursor().currentRecord().nummer, current);
        QCOMPARE(h.numbersInOrder(), order);
        QCOMPARE(h.state().testengesperrt, 0);
        // Printed in the table's order.
        QStringList printed = log.jobs[0].pages[0].column(11) + log.jobs[0].pages[1].column(11);
        QCOMPARE(printed.size(), 61);
        for (int i = 0; i < 61; ++i)
            QCOMPARE(printed[i], QStringLiteral(" %1").arg(order[i]));
    }

    void recordCheckRunsFirst() {
        WindowHarness h(
            {person(1, QStringLiteral("April"), 1990, 4, 12), person(2, QStringLiteral("B"))});
        h.window().cboTag->setEditText(QStringLiteral("31"));
        h.services.answerPrinter(true);
        answerCopies(h.services);
        print(h);
        QCOMPARE(log.jobs.size(), 1);
        QCOMPARE(log.jobs[0].pages[0].textAt(67, 10), QStringLiteral(" 30"));
        QCOMPARE(h.storedRecords()[0].tag, 30);
    }

    void printerThatCannotOpenIsSilent() {
        WindowHarness h(people(4));
        h.cursor().setAbsolutePosition(3);
        log.refuseJobs = true;
        h.services.answerPrinter(true);
        answerCopies(h.services, [](FrmDrucken& d) { setCopies(d, QStringLiteral("2")); });
        print(h);
        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.isEmpty());
        QVERIFY(log.jobs.isEmpty());
        QCOMPARE(h.cursor().absolutePosition(), 3);
        QCOMPARE(h.state().testengesperrt, 0);
    }

    void copiesBox_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown");
        QTest::newRow("abc") << QStringLiteral("abc") << QString() << QStringLiteral("1");
        QTest::newRow("-3") << QStringLiteral("-3") << QString() << QStringLiteral("3");
        QTest::newRow("2.7") << QStringLiteral("2.7") << QString() << QStringLiteral("2");
        QTest::newRow("0") << QStringLiteral("0") << QString() << QStringLiteral("1");
        QTest::newRow("-0.5") << QStringLiteral("-.5") << QString() << QStringLiteral("1");
        QTest::newRow("emptied") << QString() << QString() << QStringLiteral("1");
        QTest::newRow("four digits")
            << QStringLiteral("1234") << QString() << QStringLiteral("123");
        QTest::newRow("exponent") << QStringLiteral("1e9") << QString() << QStringLiteral("999");
        QTest::newRow("999 plus") << QStringLiteral("999") << QStringLiteral("+")
                                  << QStringLiteral("999");
        QTest::newRow("998 plus") << QStringLiteral("998") << QStringLiteral("+")
                                  << QStringLiteral("999");
        QTest::newRow("1 minus") << QStringLiteral("1") << QStringLiteral("-")
                                 << QStringLiteral("1");
        QTest::newRow("5 minus") << QStringLiteral("5") << QStringLiteral("-")
                                 << QStringLiteral("4");
    }
    void copiesBox() {
        QFETCH(QString, start);
        QFETCH(QString, action);
        QFETCH(QString, shown);
        MainState state;
        state.druckerexemplare = 7;
        ScriptedServices services;
        FrmDrucken dialog(state, services);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Drucken der Geburtstage"));
        QCOMPARE(dialog.txtExemplare->text(), QStringLiteral("1"));
        QCOMPARE(state.druckerexemplare, 0); // closing it any other way means no copies
        setCopies(dialog, start);
        if (action == u"+")
            dialog.cmdPlus->click();
        else if (action == u"-")
            dialog.cmdMinus->click();
        QCOMPARE(dialog.txtExemplare->text(), shown);
        dialog.cmdDrucken->click();
        QCOMPARE(state.druckerexemplare, shown.toInt());
        QVERIFY(services.allAnswered());
    }

    void copiesHelp() {
        MainState state;
        ScriptedServices services;
        services.answerMessage(answer::ok);
        FrmDrucken dialog(state, services);
        dialog.show();
        dialog.cmdHilfe->click();
        QVERIFY(services.allAnswered());
        QCOMPARE(services.messages.size(), 1);
        const MessageRequest& m = services.messages[0];
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.icon, Icon::None);
        QVERIFY(m.title.isEmpty());
        QVERIFY(m.text.contains(QStringLiteral("Drucker-Dialog")));
        QVERIFY(dialog.isVisible()); // the help leaves the dialog open
    }

    // A real PDF through QPrinter, read back as text.
    void pdfThroughQPrinter() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("liste.pdf"));
        WindowHarness h({person(1, QStringLiteral("Anna Beispiel"), 1971, 12, 22),
                         person(2, QStringLiteral("Bernd Muster"), 1980, 3, 7)},
                        printDisplay(0));
        h.services.setToday(2025, 3, 7);
        h.window().findChild<PrintCommands*>()->setSurfaceFactory([pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return makePrinterSurface(printer);
        });
        h.services.answerPrinter(true);
        answerCopies(h.services);
        h.window().mnuDateidrucken->trigger();
        QVERIFY(QFileInfo(pdf).size() > 0);

        QProcess p;
        p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(10000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        // The text layout of the reader widens blanks, so lines are compared simplified.
        const QStringList lines = text.split(u'\n');
        auto lineWith = [&](const QString& what) {
            for (const QString& l : lines)
                if (l.contains(what))
                    return l.simplified();
            return QString();
        };
        QVERIFY2(text.contains(QStringLiteral("Seite: 1")), qPrintable(text));
        QCOMPARE(lineWith(QStringLiteral("Seite")),
                 QStringLiteral("2025-3-7 ") + byNumber + QStringLiteral(" Seite: 1"));
        QCOMPARE(lineWith(QStringLiteral("Monat")), QStringLiteral("Nr. Name Jahr Monat Tag"));
        QCOMPARE(lineWith(QStringLiteral("Anna")), QStringLiteral("1 Anna Beispiel") +
                                                       QString(29, u'_') +
                                                       QStringLiteral(" 1971 12 22"));
        QCOMPARE(lineWith(QStringLiteral("Bernd")), QStringLiteral("2 Bernd Muster") +
                                                        QString(30, u'_') +
                                                        QStringLiteral(" 1980 3 7"));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
