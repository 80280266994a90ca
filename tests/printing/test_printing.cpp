#include "app/commandline.h"
#include "app/frmmain.h"
#include "extras/extrascommands.h"
#include "extras/frmabout.h"
#include "print/frmdrucken.h"
#include "print/printcommands.h"
#include "printing/recordingsurface.h"
#include "support/windowharness.h"

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

#include <functional>

using namespace natalix;
using namespace natalix::test;

namespace {

void setCopies(FrmDrucken& dialog, const QString& text) {
    dialog.txtExemplare->selectAll();
    dialog.txtExemplare->insert(text);
}

const QString byNumber = QStringLiteral("  Alle Datensätze - sortiert nach Nr. - aufsteigend");

} // namespace

// Printing, the about box and help.
class TestPrinting : public QObject {
    Q_OBJECT
    PrintLog log;

    // Prints from the menu: the printer dialog answers `printer`, the copies dialog is given
    // `copies` and Drucken, or Abbrechen for 0; the recording surface draws unless another is
    // given.
    void print(WindowHarness& h, int copies, bool printer = true,
               PrintSurfaceFactory surface = {}) {
        h.services.answerPrinter(printer);
        if (printer)
            h.services.answerDialog([copies](QDialog& dialog) {
                auto& d = dynamic_cast<FrmDrucken&>(dialog);
                setCopies(d, QString::number(copies));
                (copies > 0 ? d.cmdDrucken : d.cmdAbbrechen)->click();
                return dialog.result();
            });
        h.window().findChild<PrintCommands*>()->setSurfaceFactory(surface ? surface
                                                                          : recordingFactory(log));
        h.window().mnuDateidrucken->trigger();
        QVERIFY(h.services.allAnswered());
    }

private slots:
    void init() { log = PrintLog(); }

    // Every copy is a job of pages of 60 lines in the table's order; a font too tall for sixty
    // lines is set closer, inside the frame. The header date follows the print display of the
    // options, never the system's locale; so do the date columns. The current record, record
    // 1 with a day its month lacks, is checked first; the table stays as it was.
    void pages_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<double>("lineHeight");
        QTest::addColumn<double>("pitch");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("display");
        QTest::addColumn<QString>("name"); // of record 2, the first by name
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("line"); // titles and record 1 in the date columns
        QTest::addColumn<QString>("cell");     // the name of record 2
        const QString name50 = QStringLiteral("Abcdefghij").repeated(5);
        const QString byName =
            QStringLiteral("  Alle Datensätze - sortiert nach Namen - aufsteigend");
        const QStringList neu{" Jahr", " Monat", " Tag", " 1990", " 4", " 30"};
        const QStringList alt{" Tag", " Monat", " Jahr", " 30", " 4", " 1990"};
        QTest::newRow("new, C, 50 characters, three copies")
            << 3 << 1.4 << 1.4 << "C" << 0 << name50 << "2024-11-25" + byName << neu
            << " " + name50.left(42);
        QTest::newRow("old, en_US, no name, tall font")
            << 1 << 2.0 << 86.0 / 60 << "en_US" << 1 << " "
            << "25.11.2024" + byName << alt << "  " + QString(41, u'_');
        QTest::newRow("hand-edited: no header") << 1 << 1.4 << 1.4 << "C" << 2 << "Al"
                                                << "<none>" << alt << " Al" + QString(40, u'_');
    }
    void pages() {
        QFETCH(int, copies);
        QFETCH(double, lineHeight);
        QFETCH(double, pitch);
        QFETCH(QString, locale);
        QFETCH(int, display);
        QFETCH(QString, name);
        QFETCH(QString, header);
        QFETCH(QStringList, line);
        QFETCH(QString, cell);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        Options options;
        options.optiondatumsanzeigedrucken = display;
        std::vector<Record> records = manyRecords(61);
        records[0] = makeRecord(1, QStringLiteral("April"), 1990, 4, 12);
        records[1] = makeRecord(2, name, 1971, 12, 22);
        WindowHarness h(records, options);
        h.window().cmdSortierennachnamen->click();
        const std::vector<int> order = h.numbersInOrder();
        QStringList expected;
        for (int n : order)
            expected << QStringLiteral(" %1").arg(n);
        h.clickRow(1);
        h.window().cboTag->setEditText(QStringLiteral("31"));
        h.services.setToday(2024, 11, 25);
        log.lineHeight = lineHeight;
        print(h, copies);
        QLocale::setDefault(before);
        QCOMPARE(log.jobs.size(), copies);
        const QString family = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                                   ? QStringLiteral("Courier New")
                                   : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        for (const RecordedJob& job : log.jobs) {
            QVERIFY(job.ended);
            QCOMPARE(job.font.family(), family);
            QCOMPARE(job.font.pointSize(), 10);
            QCOMPARE(job.pages.size(), 2);
            for (int p = 0; p < 2; ++p) {
                QCOMPARE(job.pages[p].textAt(10, 2), header);
                QCOMPARE(job.pages[p].textAt(80, 2), QStringLiteral("Seite: %1").arg(p + 1));
            }
            QCOMPARE(job.pages[0].column(11) + job.pages[1].column(11), expected);
            QCOMPARE(job.pages[0].textAt(11, 10 + 59 * pitch), expected[59]);
            QCOMPARE(job.pages[1].textAt(19, 10),
                     QStringLiteral(" Person %1").arg(order[60]).leftJustified(43, u'_'));
            const RecordedPage& page = job.pages[0];
            QStringList seen{page.textAt(11, 7), page.textAt(19, 7)};
            for (double y : {7.0, 10 + pitch})
                for (double x : {67, 75, 83})
                    seen << page.textAt(x, y);
            QCOMPARE(seen, QStringList({" Nr.", " Name"}) + line);
            QCOMPARE(page.column(19).value(0), cell);
        }
        QCOMPARE(h.storedRecords()[0].tag, 30);
        QCOMPARE(h.cursor().absolutePosition(), 2);
        QCOMPARE(h.numbersInOrder(), order);
    }

    // Abbrechen, a cancelled print dialog (no copies dialog follows) and a printer that cannot
    // open print nothing and say nothing.
    void printsNothing() {
        for (const auto& [copies, printer, refused] :
             {std::tuple{0, true, false}, {0, false, false}, {4, true, true}}) {
            log.refuseJobs = refused;
            WindowHarness h(manyRecords(8));
            print(h, copies, printer);
            QVERIFY(h.services.messages.isEmpty() && log.jobs.isEmpty());
            QCOMPARE(h.state().druckerexemplare, copies);
        }
    }

    // The field corrects itself to the whole number in front, without its sign, from 1 to
    // 999; "+" and "-" step within those bounds.
    void copiesBox() {
        MainState state;
        state.druckerexemplare = 7;
        ScriptedServices services;
        FrmDrucken dialog(state, services);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Drucken der Geburtstage"));
        QCOMPARE(dialog.txtExemplare->text(), QStringLiteral("1"));
        QCOMPARE(state.druckerexemplare, 0); // closing it any other way means no copies
        const char* rows[][3] = {{"abc", "", "1"},    {"-3", "", "3"},    {"2.7", "", "2"},
                                 {"0", "", "1"},      {"-.5", "", "1"},   {"", "", "1"},
                                 {"1234", "", "123"}, {"1e9", "", "999"}, {"999", "+", "999"},
                                 {"998", "+", "999"}, {"1", "-", "1"},    {"5", "-", "4"}};
        for (const auto& [start, action, shown] : rows) {
            setCopies(dialog, QString::fromLatin1(start));
            if (*action)
                (*action == '+' ? dialog.cmdPlus : dialog.cmdMinus)->click();
            QVERIFY2(dialog.txtExemplare->text() == QLatin1String(shown), start);
        }
        services.answerMessage(answer::ok);
        dialog.cmdHilfe->click();
        QVERIFY(services.messages.value(0).text.contains(QStringLiteral("Drucker-Dialog")));
        dialog.cmdDrucken->click();
        QCOMPARE(state.druckerexemplare, 4);
        QVERIFY(services.allAnswered());
    }

    // A real PDF through QPrinter: every copy in the one file, each counting its pages from
    // 1; the pages as pdftotext reads them (it widens blanks: lines are compared simplified).
    void pdfHoldsEveryCopy() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        std::vector<Record> list = manyRecords(61);
        list[0] = makeRecord(1, QStringLiteral("Anna Beispiel"), 1971, 12, 22);
        WindowHarness h(list);
        h.services.setToday(2025, 3, 7);
        h.services.printToPdf = h.dataDir.file(QStringLiteral("liste.pdf"));
        print(h, 3, true, makePrinterSurface);
        QProcess p;
        p.start(pdftotext, {QStringLiteral("-layout"), h.services.printToPdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(20000));
        QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
        pages.removeAll(QString());
        QCOMPARE(pages.size(), 6);
        for (int i = 0; i < pages.size(); ++i) {
            QStringList lines = pages[i].split(u'\n');
            lines.removeIf([](const QString& l) { return l.trimmed().isEmpty(); });
            QCOMPARE(lines.value(0).simplified(),
                     ("7.3.2025" + byNumber + " Seite: %1").simplified().arg(i % 2 + 1));
            if (i % 2 == 0) // the columns as a reader takes them from the file
                QCOMPARE(lines.value(2).simplified(),
                         "1 Anna Beispiel" + QString(29, u'_') + " 22 12 1971");
            QCOMPARE(lines.size(), i % 2 == 0 ? 62 : 3);
        }
    }

    // F1 opens the manual in the browser, the about box (after the record check: April 31
    // becomes 30) its links and the first system information tool found. Nothing starts
    // here: each says so (allAnswered: no other message).
    void helpAndAboutBox() {
        WindowHarness h({makeRecord(1, QStringLiteral("April"), 1990, 4, 12)});
        h.services.programsExist = false;
        h.services.answerMessage(answer::ok);
        QCOMPARE(h.window().mnuHilfe->shortcut(), QKeySequence(Qt::Key_F1));
        h.window().mnuHilfe->trigger();
        const QString path = h.services.shellOpened.value(0);
        QVERIFY2(path.endsWith("/html/dokumentation.htm") && QFileInfo(path).isFile(),
                 qPrintable(path));
        h.window().cboTag->setEditText(QStringLiteral("31"));
        h.window().findChild<ExtrasCommands*>()->setSysInfoTools({"natalix-no-such-tool", "sh"});
        h.services.answerMessage(answer::ok);
        QStringList seen;
        h.services.answerDialog([&](QDialog& dialog) {
            auto& about = dynamic_cast<FrmAbout&>(dialog);
            seen << about.windowTitle() << about.lblVersion->text()
                 << QString::number(h.cursor().currentRecord().tag);
            QTest::mouseClick(about.Label5, Qt::LeftButton);
            QTest::mouseClick(about.Label6, Qt::LeftButton);
            about.cmdSysInfo->click();
            about.cmdOK->click();
            return about.result();
        });
        h.window().mnuUeberdennatalix->trigger();
        QVERIFY(h.services.allAnswered());
        QCOMPARE(seen, QStringList({"Über den Natalix",
                                    "Version 1.2." + programVersion().section(u'.', 2, 2), "30"}));
        QCOMPARE(h.services.shellOpened,
                 QStringList({path, "mailto:support@natalix.example?Subject=Natalix",
                              "https://www.natalix.example"}));
        QCOMPARE(h.services.programsStarted, QStringList{QStandardPaths::findExecutable("sh")});
        QCOMPARE(h.services.messages.value(0).text,
                 QStringLiteral("Das Handbuch kann nicht angezeigt werden, weil kein Browser "
                                "bereitsteht. Sie finden es in der Datei \"%1\".")
                     .arg(path));
        QCOMPARE(h.services.messages.value(1).text,
                 QStringLiteral("Systeminformationen sind momentan nicht verfügbar"));
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
