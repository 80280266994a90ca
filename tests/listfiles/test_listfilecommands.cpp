#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "listfile/listfilequestions.h"
#include "reminder/remindercore.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

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

} // namespace

class TestListFileCommands : public QObject {
    Q_OBJECT
private slots:
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
        QCOMPARE(h.state().programmbeenden, via == u"mnuErinnerungsmodulbeenden" ? 1 : 0);
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
        QVERIFY(h.services.messages.isEmpty());
        const QString loaded = QStringLiteral(" Datensätzen wurden geladen ...");
        QCOMPARE(lines(loaded), countUp(25, 25, loaded));
        QVERIFY(h.cursor().recordCount() == 25 && std::ranges::is_sorted(h.numbersInOrder()));
        QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
        QVERIFY(h.window().DataGrid1->isVisible() && !h.window().fraDatensaetze->isVisible());
        // Once the list has loaded, the same keys work again.
        h.state().dateinamemitpfad = old;
        QTest::keyClick(h.window().DataGrid1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readFileBytes(old), renderListFile(h.cursor().snapshot()));

        h.window().sortCommands().cmdSortierennachjahr_Click();
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
        QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
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
        QCOMPARE(h.services.messages.size(), answers.size());
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
        for (const auto& [path, name] : {std::pair{"C:\\Listen\\familie.nxd", "familie.nxd"},
                                         {"lose.nxd", "lose.nxd"},
                                         {"", ""}})
            QCOMPARE(listFileNameOfPath(QString::fromUtf8(path)), QString::fromUtf8(name));
        // Kilobytes cut, not rounded, to two places.
        for (const auto& [bytes, text] : {std::pair{5000, "4,88 KB (5.000 Bytes)"},
                                          {1024, "1 KB (1.024 Bytes)"},
                                          {100, "0,09 KB (100 Bytes)"},
                                          {1127, "1,1 KB (1.127 Bytes)"},
                                          {1126400, "1100 KB (1.126.400 Bytes)"}})
            QCOMPARE(listFileSizeText(bytes), QString::fromUtf8(text));
    }
};

QTEST_MAIN(TestListFileCommands)
#include "test_listfilecommands.moc"
