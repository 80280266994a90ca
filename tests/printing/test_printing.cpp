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

std::vector<Record> people(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1950 + i % 50, i % 12 + 1,
                                 i % 28 + 1));
    return out;
}

void setCopies(FrmDrucken& dialog, const QString& text) {
    dialog.txtExemplare->selectAll();
    dialog.txtExemplare->insert(text);
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    PrintLog log;

    // Prints from the menu. The printer dialog answers `printer`; `copies` handles the copies
    // dialog (by default: Drucken); the recording surface draws unless another is given.
    void print(WindowHarness& h, bool printer = true, std::function<void(FrmDrucken&)> copies = {},
               PrintSurfaceFactory surface = {}) {
        h.services.answerPrinter(printer);
        if (printer)
            h.services.answerDialog([copies](QDialog& dialog) {
                auto& d = dynamic_cast<FrmDrucken&>(dialog);
                copies ? copies(d) : d.cmdDrucken->click();
                return d.result();
            });
        h.window().findChild<PrintCommands*>()->setSurfaceFactory(surface ? surface
                                                                          : recordingFactory(log));
        h.window().mnuDateidrucken->trigger();
        QVERIFY(h.services.allAnswered());
    }

private slots:
    void init() { log = PrintLog(); }

    // 61 records: two pages per copy (60 + 1 lines) in the table's order; the table stays.
    void everyCopyIsAJob_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("plusClicks");
        QTest::addColumn<double>("lineHeight");
        QTest::addColumn<double>("pitch");
        QTest::newRow("one") << "1" << 0 << 1.4 << 1.4;
        QTest::newRow("three typed") << "3" << 0 << 1.4 << 1.4;
        QTest::newRow("three by plus") << "1" << 2 << 1.4 << 1.4;
        // Too tall for sixty lines: set closer, inside the frame.
        QTest::newRow("tall font") << "1" << 0 << 2.0 << 86.0 / 60;
    }
    void everyCopyIsAJob() {
        QFETCH(QString, typed);
        QFETCH(int, plusClicks);
        QFETCH(double, lineHeight);
        QFETCH(double, pitch);
        WindowHarness h(people(61));
        h.window().cmdSortierennachnamen->click();
        const std::vector<int> order = h.numbersInOrder();
        QStringList expected;
        for (int n : order)
            expected << QStringLiteral(" %1").arg(n);
        h.cursor().setAbsolutePosition(37);
        log.lineHeight = lineHeight;
        print(h, true, [&](FrmDrucken& d) {
            setCopies(d, typed);
            for (int i = 0; i < plusClicks; ++i)
                d.cmdPlus->click();
            d.cmdDrucken->click();
        });
        const int copies = typed.toInt() + plusClicks;
        QCOMPARE(h.state().druckerexemplare, copies);
        QCOMPARE(log.jobs.size(), copies);
        const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                                   ? QStringLiteral("Courier New")
                                   : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        for (const RecordedJob& job : log.jobs) {
            QVERIFY(job.ended);
            QCOMPARE(job.font.family(), family);
            QCOMPARE(job.font.pointSize(), 10);
            QCOMPARE(job.pages.size(), 2);
            QCOMPARE(job.pages[1].textAt(80, 2), QStringLiteral("Seite: 2"));
            QVERIFY(job.pages[1].textAt(10, 2).endsWith(
                QStringLiteral("  Alle Datensätze - sortiert nach Namen - aufsteigend")));
            QCOMPARE(job.pages[1].column(11).size(), 1);
            QCOMPARE(job.pages[0].column(11) + job.pages[1].column(11), expected);
            QCOMPARE(job.pages[0].textAt(11, 10 + 59 * pitch), expected[59]);
            QCOMPARE(job.pages[1].textAt(19, 10),
                     QStringLiteral(" Person %1").arg(order[60]).leftJustified(43, u'_'));
        }
        QCOMPARE(h.cursor().absolutePosition(), 37);
        QCOMPARE(h.numbersInOrder(), order);
        QCOMPARE(h.state().testengesperrt, 0);
    }

    // Record 1 is the current one, with a day its month lacks: the record check runs first.
    void newDisplayHeaderAndNameCell_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cell");
        const QString name50 = QStringLiteral("Abcdefghij").repeated(5);
        QTest::newRow("50 characters") << name50 << QStringLiteral(" ") + name50.left(42);
        QTest::newRow("two letters") << "Al" << QStringLiteral(" Al") + QString(40, u'_');
        QTest::newRow("no name") << " " << QStringLiteral("  ") + QString(41, u'_');
    }
    void newDisplayHeaderAndNameCell() {
        QFETCH(QString, name);
        QFETCH(QString, cell);
        Options options;
        options.optiondatumsanzeigedrucken = 0;
        WindowHarness h({makeRecord(1, QStringLiteral("April"), 1990, 4, 12),
                         makeRecord(2, name, 1971, 12, 22)},
                        options);
        h.window().cboTag->setEditText(QStringLiteral("31"));
        h.services.setToday(2024, 11, 25);
        print(h);
        QCOMPARE(log.jobs.size(), 1);
        const RecordedPage& page = log.jobs[0].pages[0];
        QCOMPARE(page.textAt(10, 2),
                 QStringLiteral("2024-11-25  Alle Datensätze - sortiert nach Nr. - aufsteigend"));
        QCOMPARE(page.textAt(80, 2), QStringLiteral("Seite: 1"));
        QStringList titles, row;
        for (double x : {11, 19, 67, 75, 83})
            titles << page.textAt(x, 7);
        for (double x : {11, 67, 75, 83})
            row << page.textAt(x, 10);
        QCOMPARE(titles, (QStringList{" Nr.", " Name", " Jahr", " Monat", " Tag"}));
        QCOMPARE(row, (QStringList{" 1", " 1990", " 4", " 30"}));
        QCOMPARE(page.column(19).value(1), cell);
        QCOMPARE(h.storedRecords()[0].tag, 30);
    }

    void printsNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("copies");
        QTest::newRow("Abbrechen") << "button" << 0;
        QTest::newRow("window frame") << "close" << 0;
        QTest::newRow("Escape") << "escape" << 0;
        QTest::newRow("print dialog cancelled") << "printer" << 0; // no copies dialog follows
        QTest::newRow("printer cannot open") << "refuse" << 4;     // silently
    }
    void printsNothing() {
        QFETCH(QString, how);
        QFETCH(int, copies);
        WindowHarness h(people(8));
        h.cursor().setAbsolutePosition(5);
        log.refuseJobs = how == u"refuse";
        print(h, how != u"printer", [&](FrmDrucken& d) {
            setCopies(d, QStringLiteral("4"));
            if (how == u"button")
                d.cmdAbbrechen->click();
            else if (how == u"close")
                d.close();
            else if (how == u"escape")
                QTest::keyClick(d.txtExemplare, Qt::Key_Escape);
            else
                d.cmdDrucken->click();
        });
        QVERIFY(h.services.messages.isEmpty());
        QVERIFY(log.jobs.isEmpty());
        QCOMPARE(h.state().druckerexemplare, copies);
        QCOMPARE(h.cursor().absolutePosition(), 5);
        QCOMPARE(h.cursor().currentRecord().nummer, 5);
        QCOMPARE(h.state().testengesperrt, 0);
    }

    void copiesBox_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown");
        const char* rows[][3] = {{"abc", "", "1"},    {"-3", "", "3"},    {"2.7", "", "2"},
                                 {"0", "", "1"},      {"-.5", "", "1"},   {"", "", "1"},
                                 {"1234", "", "123"}, {"1e9", "", "999"}, {"999", "+", "999"},
                                 {"998", "+", "999"}, {"1", "-", "1"},    {"5", "-", "4"}};
        for (const auto& r : rows)
            QTest::addRow("%s %s", r[0], r[1]) << r[0] << r[1] << r[2];
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
        services.answerMessage(answer::ok);
        dialog.cmdHilfe->click();
        QVERIFY(services.messages.value(0).text.contains(QStringLiteral("Drucker-Dialog")));
        setCopies(dialog, start);
        if (!action.isEmpty())
            (action == u"+" ? dialog.cmdPlus : dialog.cmdMinus)->click();
        QCOMPARE(dialog.txtExemplare->text(), shown);
        dialog.cmdDrucken->click();
        QCOMPARE(state.druckerexemplare, shown.toInt());
        QVERIFY(services.allAnswered());
    }

    // The header date follows the print display of the options, never the system's locale.
    void headerDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("display");
        QTest::addColumn<QString>("header");
        const QString caption =
            QStringLiteral("  Alle Datensätze - sortiert nach Nr. - aufsteigend");
        for (const char* locale : {"C", "en_US", "de_DE"}) {
            QTest::addRow("%s new", locale) << locale << 0 << QStringLiteral("2025-3-7") + caption;
            QTest::addRow("%s old", locale) << locale << 1 << QStringLiteral("7.3.2025") + caption;
        }
        QTest::newRow("hand-edited") << "C" << 2 << "<none>";
    }
    void headerDate() {
        QFETCH(QString, locale);
        QFETCH(int, display);
        QFETCH(QString, header);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        Options options;
        options.optiondatumsanzeigedrucken = display;
        WindowHarness h(people(3), options);
        h.services.setToday(2025, 3, 7);
        print(h);
        QLocale::setDefault(before);
        QCOMPARE(log.jobs.size(), 1);
        QCOMPARE(log.jobs[0].pages[0].textAt(10, 2), header);
        QCOMPARE(log.jobs[0].pages[0].textAt(80, 2), QStringLiteral("Seite: 1"));
    }

    // A real PDF through QPrinter: every copy in the one file, each counting its pages from
    // 1; the page count read by pypdf, the texts by pdftotext.
    void pdfHoldsEveryCopy_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("copies");
        QTest::newRow("one copy of one page") << 2 << 1;
        QTest::newRow("three copies of two pages") << 61 << 3;
        QTest::newRow("two copies of one page") << 60 << 2;
    }
    void pdfHoldsEveryCopy() {
        QFETCH(int, records);
        QFETCH(int, copies);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        std::vector<Record> list = people(records);
        list[0] = makeRecord(1, QStringLiteral("Anna Beispiel"), 1971, 12, 22);
        WindowHarness h(list);
        h.services.setToday(2025, 3, 7);
        h.services.printToPdf = h.dataDir.file(QStringLiteral("liste.pdf"));
        print(
            h, true,
            [copies](FrmDrucken& d) {
                setCopies(d, QString::number(copies));
                d.cmdDrucken->click();
            },
            makePrinterSurface);

        QProcess pypdf;
        pypdf.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys, pypdf; print(len(pypdf.PdfReader(sys.argv[1]).pages))"),
             h.services.printToPdf});
        QVERIFY(pypdf.waitForFinished(20000));
        QVERIFY2(pypdf.exitCode() == 0, pypdf.readAllStandardError().constData());
        const int pagesPerCopy = (records + 59) / 60;
        QCOMPARE(pypdf.readAllStandardOutput().trimmed().toInt(), copies * pagesPerCopy);

        QProcess p;
        p.start(pdftotext, {QStringLiteral("-layout"), h.services.printToPdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(20000));
        QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
        pages.removeAll(QString());
        QCOMPARE(pages.size(), copies * pagesPerCopy);
        for (int i = 0; i < pages.size(); ++i) {
            // The reader widens blanks, so lines are compared simplified.
            QStringList lines;
            for (const QString& l : pages[i].split(u'\n'))
                if (!l.trimmed().isEmpty())
                    lines << l.simplified();
            const int page = i % pagesPerCopy + 1;
            QCOMPARE(lines.value(0),
                     QStringLiteral("7.3.2025 Alle Datensätze - sortiert nach Nr. - aufsteigend "
                                    "Seite: %1")
                         .arg(page));
            QCOMPARE(lines.value(1), QStringLiteral("Nr. Name Tag Monat Jahr"));
            if (page == 1)
                QCOMPARE(lines.value(2), QStringLiteral("1 Anna Beispiel") + QString(29, u'_') +
                                             QStringLiteral(" 22 12 1971"));
            QCOMPARE(lines.size(), 2 + (page < pagesPerCopy ? 60 : records - 60 * (page - 1)));
        }
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
