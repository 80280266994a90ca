// The commands of the window that load, save and print the list, and the reminders.
#include "app/commandline.h"
#include "app/frmmain.h"
#include "extras/extrascommands.h"
#include "extras/frmabout.h"
#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "listfile/listfilequestions.h"
#include "print/frmdrucken.h"
#include "print/printcommands.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "support/recordingsurface.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

using namespace natalix;
using namespace natalix::test;

namespace {

QStringList countUp(int to, int total, const QString& ending) {
    QStringList out;
    for (int i = 1; i <= to; ++i)
        out << QStringLiteral(" %1 von %2").arg(i).arg(total) + ending;
    return out;
}

// The failure text up to its code, the system's description left out.
QString failureStart(int group, int code) {
    return fileFailureMessage(group, {code, QString()}).chopped(2);
}

FrmMeldung* meldung(QWidget* window) {
    return qobject_cast<FrmMeldung*>(window);
}

// Closes a reminder window with its "OK" button; true when it went away.
bool clickOk(QWidget* window) {
    QPointer<QWidget> w(window);
    QTest::mouseClick(meldung(window)->Command1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return w.isNull();
}

QStringList shownTexts(WindowHarness& h) {
    QStringList texts;
    for (QWidget* w : h.services.shownWindows)
        texts << (meldung(w) ? meldung(w)->txtErinnerung->toPlainText() : QStringLiteral("<gone>"));
    return texts;
}

const QString annaToday = QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...\n\n");
const QString annaTomorrow = QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n\n");

void setCopies(FrmDrucken& dialog, const QString& text) {
    dialog.txtExemplare->selectAll();
    dialog.txtExemplare->insert(text);
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
    PrintLog log;

    // Prints from the menu: the copies dialog is given `copies` and Drucken, or Abbrechen for
    // 0; the recording surface draws unless another is given.
    void print(WindowHarness& h, int copies, PrintSurfaceFactory surface = {}) {
        h.services.answerPrinter(true);
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
        QTest::newRow("Abbrechen: nothing") << 0 << 1.4 << 1.4 << "C" << 0 << "Al"
                                            << "" << QStringList() << "";
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
        for (const RecordedJob& job : log.jobs) {
            QVERIFY(job.ended);
            // The columns stand one below the other only in a fixed-pitch font.
            QVERIFY(job.font.pointSize() == 10 && QFontInfo(job.font).fixedPitch());
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
        QCOMPARE(h.cursor().currentRecord().tag, 30);
        QCOMPARE(h.cursor().absolutePosition(), 2);
        QCOMPARE(h.numbersInOrder(), order);
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
        print(h, 3, makePrinterSurface);
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
                     QStringLiteral(
                         "7.3.2025 Alle Datensätze - sortiert nach Nr. - aufsteigend Seite: %1")
                         .arg(i % 2 + 1));
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

    // Every command that replaces or leaves the list reaches the question about unsaved
    // changes: a named list is saved silently, Cancel keeps everything. Open asks nothing
    // until a file was chosen; new asks its own question first.
    void settlesChangesFirst_data() {
        QTest::addColumn<QString>("via"); // the menu item, or the close button
        QTest::addColumn<bool>("named");
        QTest::addColumn<QList<int>>("answers"); // to the questions, in order
        QTest::addColumn<bool>("wentOn");
        const int yes = answer::yes, no = answer::no, cancel = answer::cancel;
        const auto row = [](const char* tag, const char* via, bool named, QList<int> answers,
                            bool wentOn) {
            QTest::newRow(tag) << QString::fromLatin1(via) << named << answers << wentOn;
        };
        row("open, dialog cancelled", "mnuDateioeffnen", false, {}, false);
        row("open, named", "mnuDateioeffnen", true, {}, true);
        row("open: Yes, save as cancelled", "mnuDateioeffnen", false, {yes}, false);
        row("new: Cancel", "mnuDateineu", true, {cancel}, false);
        row("Beenden, named", "mnuDateibeenden", true, {}, true);
        row("close button: Cancel", "close", false, {cancel}, false);
        row("end the program: No", "mnuErinnerungsmodulbeenden", false, {no}, true);
    }
    void settlesChangesFirst() {
        QFETCH(QString, via);
        QFETCH(bool, named);
        QFETCH(QList<int>, answers);
        QFETCH(bool, wentOn);
        WindowHarness h(manyRecords(3));
        h.services.setToday(2025, 3, 9);
        h.window().show();
        h.window().settings().setValue(QStringLiteral("filename"), QStringLiteral("vorher"));
        const QString own = h.dataDir.file(QStringLiteral("eigene.nxd"));
        const QString other = h.dataDir.file(QStringLiteral("andere.nxd"));
        QVERIFY(writeFileBytes(other, renderListFile(manyRecords(5))));
        h.state().dateiwurdegeaendert = 1;
        h.state().dateinamemitpfad = named ? own : QString();
        const std::vector<Record> before = h.storedRecords();
        const bool open = via == u"mnuDateioeffnen", neu = via == u"mnuDateineu";
        if (open)
            h.services.answerOpen(named || !answers.isEmpty() ? std::optional(other)
                                                              : std::nullopt);
        for (int a : answers)
            h.services.answerMessage(a);
        if (answers.contains(answer::yes))
            h.services.answerSave(std::nullopt);
        if (via == u"close")
            h.window().close();
        else
            h.window().findChild<QAction*>(via)->trigger();

        QVERIFY(h.services.allAnswered());
        // The one question asked (allAnswered: no other).
        QCOMPARE(h.services.messages.value(0).text, answers.isEmpty() ? QString()
                                                    : neu             ? newListQuestion().text
                                                                      : saveChangesQuestion().text);
        if (answers.contains(answer::yes)) // the save dialog offers the default list
            QCOMPARE(h.services.saveRequests.value(0).fileName, h.dir.defaultListPath());
        const bool saved = named && !answers.contains(answer::cancel);
        QCOMPARE(readFileBytes(own), saved ? renderListFile(before) : QByteArray());
        const bool exit = !open && !neu;
        QCOMPARE(h.state().dateinamemitpfad, wentOn && !exit ? other : named ? own : QString());
        QCOMPARE(h.state().dateiwurdegeaendert, wentOn && !exit ? 0 : int(!saved));
        QCOMPARE(h.cursor().recordCount(), !wentOn || exit ? 3 : 5);
        QCOMPARE(h.window().isVisible(), !(wentOn && exit));
        QCOMPARE(h.window().settings().value(QStringLiteral("filename")),
                 wentOn && exit ? (named ? own : QString()) : QStringLiteral("vorher"));
        // Hiding the window scans once for the day.
        QCOMPARE(h.window().reminders().altertag(), via == u"mnuDateibeenden" ? 9 : 0);
    }

    // A missing file: Retry shows the dialog again with the name. A broken file is refused.
    // Both leave the table and its name.
    void openRefused() {
        WindowHarness h(manyRecords(4));
        h.state().dateinamemitpfad = QStringLiteral("/irgendwo/alt.nxd");
        const QString missing = h.dataDir.file(QStringLiteral("fehlt.nxd"));
        const QString broken = h.dataDir.file(QStringLiteral("kaputt.nxd"));
        // A count line and half a record.
        QVERIFY(writeFileBytes(broken, " 2 \r\n 1 \r\nAnna\r\n 1970 \r\n"));
        const std::vector<Record> before = h.storedRecords();
        for (int a : {answer::retry, answer::cancel}) {
            h.services.answerOpen(missing);
            h.services.answerMessage(a);
        }
        h.window().mnuDateioeffnen->trigger();
        h.services.answerOpen(broken);
        h.services.answerMessage(answer::ok);
        h.window().mnuDateioeffnen->trigger();

        QVERIFY(h.services.allAnswered());
        const FileDialogRequest& d = h.services.openRequests[0];
        QCOMPARE(QStringList({d.title, d.filter, d.defaultSuffix, d.fileName}),
                 QStringList({"Öffnen", "Natalix-Database (*.nxd)", "nxd", ""}));
        QCOMPARE(QDir(d.folder), QDir(h.dataDir.path()));
        QCOMPARE(h.services.openRequests[1].fileName, missing);
        for (const MessageRequest& m : h.services.messages.mid(0, 2))
            QVERIFY2(m.text.startsWith(failureStart(102, 53)), qPrintable(m.text));
        QCOMPARE(h.services.messages[2].text,
                 QStringLiteral("Die Datei enthält keinen vollständigen Datensatz."));
        QVERIFY(h.storedRecords() == before);
        QCOMPARE(h.state().dateinamemitpfad, QStringLiteral("/irgendwo/alt.nxd"));
    }

    // Opening and a new list show their progress and sort by number. While a list loads, the
    // loop lets window events through, but neither the close button nor a shortcut key acts.
    // The new list is the sample record with the reminder options.
    void replacingTheList() {
        const Options options{"2 Wochen vorher", "Keine Erinnerung", "1 Tag vorher",
                              "18. Geburtstag", "alle 10 Jahre"};
        WindowHarness h(manyRecords(3), options);
        // The progress label, read at each move of the bar (the label follows it), and last.
        QStringList progress;
        QObject::connect(h.window().ProgressBar1, &QProgressBar::valueChanged, &h.window(),
                         [&] { progress << h.window().lblDatensatzfortschritt->text(); });
        const auto lines = [&](const QString& ending) {
            progress << h.window().lblDatensatzfortschritt->text();
            progress.removeDuplicates();
            return progress.filter(ending);
        };
        h.window().show();
        h.window().sortCommands().cmdSortierennachnamen_Click();
        // 25 records out of order.
        std::vector<Record> file = manyRecords(25);
        std::reverse(file.begin(), file.end());
        const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
        const QString old = h.dataDir.file(QStringLiteral("alt.nxd"));
        QVERIFY(writeFileBytes(path, renderListFile(file)));
        bool closed = true, busy = false;
        QTimer::singleShot(0, &h.window(), [&] {
            busy = !h.window().fraFrame2->isEnabled();
            closed = h.window().close();
            for (const QKeyCombination key :
                 {Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O})
                QTest::keyClick(h.window().DataGrid1, key.key(), key.keyboardModifiers());
        });
        h.state().dateinamemitpfad = old;
        h.services.answerOpen(path);
        QApplication::setActiveWindow(&h.window());
        h.window().mnuDateioeffnen->trigger();

        QVERIFY(busy && !closed && h.window().isVisible());
        QVERIFY(!QFile::exists(old));
        const QString loaded = QStringLiteral(" Datensätzen wurden geladen ...");
        QCOMPARE(lines(loaded), countUp(25, 25, loaded));
        QVERIFY(h.cursor().recordCount() == 25 && std::ranges::is_sorted(h.numbersInOrder()));
        QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
        QVERIFY(h.window().DataGrid1->isVisible() && !h.window().fraDatensaetze->isVisible());
        // Once the list has loaded, the same keys work again.
        h.state().dateinamemitpfad = old;
        QTest::keyClick(h.window().DataGrid1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readFileBytes(old), renderListFile(h.cursor().snapshot()));

        h.services.answerMessage(answer::ok);
        h.window().mnuDateineu->trigger();
        QVERIFY(h.services.allAnswered());
        // Both emptied the table before.
        const QString unloaded = QStringLiteral(" Datensätzen wurden entladen ...");
        QCOMPARE(lines(unloaded), countUp(2, 3, unloaded) + countUp(24, 25, unloaded));
        QCOMPARE(
            renderListFile(h.storedRecords()),
            " 1 \r\n 1 \r\nZellwig (der Programmierer)\r\n 1971 \r\n 12 \r\n 22 \r\n2 Wochen "
            "vorher\r\nKeine Erinnerung\r\n1 Tag vorher\r\n18. Geburtstag\r\nalle 10 Jahre\r\n");
        QVERIFY(h.window().DataGrid1->isVisible() && h.window().fraFrame2->isEnabled());
    }

    // Saving in place, and a full disk: Retry writes again, Cancel makes the list unnamed and
    // keeps it changed (the old file's survival is the safe writer's).
    void save_data() {
        QTest::addColumn<int>("fullDisks"); // writes that run out of room before one has room
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("in place") << 0 << QList<int>{};
        QTest::newRow("disk full, cancelled") << 100 << QList<int>{answer::retry, answer::cancel};
        QTest::newRow("disk full, then room") << 1 << QList<int>{answer::retry};
    }
    void save() {
        QFETCH(int, fullDisks);
        QFETCH(QList<int>, answers);
        // The file lists by number.
        std::vector<Record> records = manyRecords(30);
        std::swap(records[0], records[1]);
        WindowHarness h(records);
        const QString path = h.dataDir.file(QStringLiteral("liste.nxd"));
        // A disk that is full after 1500 bytes, for the first `fullDisks` attempts.
        std::optional<FileSizeLimit> full;
        if (fullDisks > 0)
            full.emplace(1500);
        h.services.onMessage = [&](const MessageRequest&) {
            if (--fullDisks == 0)
                full.reset();
        };
        h.state().dateinamemitpfad = path;
        h.state().dateiwurdegeaendert = 1;
        h.clickRow(1);
        for (int a : answers)
            h.services.answerMessage(a);
        h.window().mnuDateispeichern->trigger();

        QVERIFY(h.services.allAnswered());
        for (const MessageRequest& m : h.services.messages)
            QVERIFY2(m.text.startsWith(failureStart(103, 61)), qPrintable(m.text));
        const bool cancelled = answers.contains(answer::cancel);
        QCOMPARE(h.state().dateinamemitpfad, cancelled ? QString() : path);
        QCOMPARE(h.state().abgebrochen, int(cancelled));
        QCOMPARE(h.state().dateiwurdegeaendert, int(cancelled));
        std::swap(records[0], records[1]);
        QCOMPARE(readFileBytes(path), cancelled ? QByteArray() : renderListFile(records));
        QCOMPARE(h.cursor().absolutePosition(), 2);
    }

    void properties() {
        // Name and reminder texts of L = 4 + 12 + 16 + 16 + 13 + 8 = 69 characters: L + 42 bytes.
        Record r = makeRecord(1, QStringLiteral("Anna"), 1971, 12, 22);
        r.erinnerung = {QStringLiteral("1 Tag vorher"), QStringLiteral("Keine Erinnerung"),
                        QStringLiteral("Keine Erinnerung")};
        WindowHarness h({r});
        h.state().dateinamemitpfad = QStringLiteral("/home/anna/Listen/freunde.nxd");
        QStringList shown;
        h.services.answerDialog([&shown](QDialog& d) {
            auto& info = dynamic_cast<FrmInfo&>(d);
            shown << info.windowTitle() << info.txt1->text() << info.txt2->text()
                  << info.lbl3->text() << info.lbl4->text() << info.lbl5->text();
            QTest::mouseClick(info.cmdOK, Qt::LeftButton);
            return d.result();
        });
        h.window().mnuDateieigenschaften->trigger();

        QVERIFY(h.services.allAnswered());
        QCOMPARE(shown,
                 QStringList({"Eigenschaften", "freunde.nxd", "/home/anna/Listen/freunde.nxd",
                              "NXD-Datei   (Natalix-Database)", "0,1 KB (111 Bytes)", "1 Stück"}));
        for (const auto& [path, name] :
             {std::pair{"C:\\Listen\\familie.nxd", "familie.nxd"}, {"lose.nxd", "lose.nxd"}})
            QCOMPARE(listFileNameOfPath(QString::fromUtf8(path)), QString::fromUtf8(name));
        // Kilobytes cut, not rounded, to two places.
        for (const auto& [bytes, text] : {std::pair{5000, "4,88 KB (5.000 Bytes)"},
                                          {1024, "1 KB (1.024 Bytes)"},
                                          {100, "0,09 KB (100 Bytes)"},
                                          {1127, "1,1 KB (1.127 Bytes)"},
                                          {1126400, "1100 KB (1.126.400 Bytes)"}})
            QCOMPARE(listFileSizeText(bytes), QString::fromUtf8(text));
    }

    // The timer waits for the end of the splash, then scans at once and once a day. A
    // reminder counts as seen when the user answers it: ended without the answer, the
    // program shows the same lines at its next start, until they are answered.
    void oneScanADayAndBackUntilAnswered() {
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)});
        // The timer is driven by hand: a real tick would come at its own time.
        h.window().Timer1->stop();
        h.services.setToday(2025, 3, 6, 8, 15, 0);
        h.window().timer1Tick();
        QVERIFY(h.services.shownWindows.isEmpty());
        h.finishSplash();
        h.window().timer1Tick();
        QCOMPARE(shownTexts(h), QStringList{annaTomorrow});
        h.services.setToday(2025, 3, 6, 23, 59, 0);
        h.window().timer1Tick();
        h.services.setToday(2025, 3, 7, 0, 0, 30);
        h.window().timer1Tick();
        h.window().timer1Tick();
        QCOMPARE(shownTexts(h), QStringList({annaTomorrow, annaToday}));
        // Ended from the menu: quitting closes the open windows, which is no answer.
        h.window().mnuErinnerungsmodulbeenden->trigger();
        QApplication::closeAllWindows();
        // The next start the same day: both windows, the 6th's at its time; answered, they
        // stay away.
        for (const QStringList& expected : {QStringList{annaTomorrow, annaToday}, QStringList()}) {
            h.restart();
            h.window().Timer1->stop();
            h.finishSplash();
            h.services.setToday(2025, 3, 7, 9, 0, 0);
            h.window().timer1Tick();
            const QList<QPointer<QWidget>> shown = h.services.shownWindows;
            QCOMPARE(shownTexts(h), expected);
            if (!shown.isEmpty())
                QCOMPARE(meldung(shown[0])->lblZeit->text(), QStringLiteral("8:15:0"));
            for (QWidget* w : shown)
                QVERIFY(clickOk(w));
        }
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }

    // The window shows every line, its date in the window's display, and the scan leaves the
    // table in month order at the same position number.
    void windowShowsEveryLine() {
        Options options;
        options.optiondatumsanzeigehauptfenster = 0;
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1981, 1, 2),
                         makeRecord(2, QStringLiteral("Jürgen Groß"), 1991, 1, 15),
                         makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15),
                         makeRecord(12, QStringLiteral("Zwölf"), 1996, 1, 1)},
                        options);
        h.window().Timer1->stop();
        h.finishSplash();
        h.window().show();
        h.clickRow(3);
        h.services.setNow(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 5)));
        // While a command loads a list, the order is its own: the scan waits for the last
        // release.
        ReminderCore& core = h.window().reminders();
        core.hold();
        core.hold();
        h.window().timer1Tick();
        core.release();
        QCOMPARE(h.services.shownWindows.size(), 0);
        QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
        core.release();
        QCOMPARE(h.services.shownWindows.size(), 1);
        FrmMeldung* m = meldung(h.services.shownWindows[0]);
        QCOMPARE(QStringList({m->windowTitle(), m->lblDatum->text(), m->lblZeit->text()}),
                 QStringList({"Geburtstags-Erinnerung", "2026-1-1", "0:0:5"}));
        QCOMPARE(m->txtErinnerung->toPlainText(),
                 QStringLiteral("Zwölf wird heute 30 Jahre alt ...\n\nAnna Beispiel wird "
                                "morgen 45 Jahre alt ...\n\n"));
        // A window of its own: a hidden main window does not take it out of sight.
        QVERIFY(m->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !m->parentWidget() &&
                m->windowModality() == Qt::ApplicationModal && !m->Picture1->pixmap().isNull());
        QVERIFY(clickOk(m));
        QCOMPARE(h.window().gridCaption(), caption::byMonthAscending());
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{12, 1, 2, 5}));
        QCOMPARE(h.cursor().absolutePosition(), 4);
        QCOMPARE(h.window().DataGrid1->currentIndex().row(), 3);
        // The scan set the month order: the next click on "Monat" turns it round.
        h.window().sortCommands().cmdSortierennachmonat_Click();
        QCOMPARE(h.window().gridCaption(), sortChoice(SortBy::Monat, true).caption);
        // Records imported with a birthday today are reminded at once; the grid stays as the
        // import left it.
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Neu Kind\r\n"
                                     "BDAY:1990-01-01\r\nEND:VCARD\r\n"));
        h.services.answerOpen(file);
        h.services.answerDialog([](QDialog&) { return int(QDialog::Accepted); });
        h.services.answerMessage(answer::ok);
        h.window().mnuDateikontakteimportieren->trigger();
        QCOMPARE(shownTexts(h),
                 QStringList({"<gone>", "Neu Kind wird heute 36 Jahre alt ...\n\n"}));
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 2, 5, 12, 13}));
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
