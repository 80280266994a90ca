// Times the main window's work on big lists, through the real window: opening a list file,
// each of the five sort buttons, the daily scan (first and repeated), scrolling the grid from
// top to bottom, saving, and the new list. Each figure is printed beside its limit.
// Run offscreen: QT_QPA_PLATFORM=offscreen ./natalix_window_bench [COUNT ...]
#include "app/datadir.h"
#include "app/frmmain.h"
#include "app/windowapp.h"
#include "listfile/listfile.h"
#include "options/options.h"
#include "reminder/remindercore.h"
#include "table/cursor.h"
#include "table/tablestore.h"
#include "ui/services.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QWidget>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

using namespace natalix;

namespace {

// Answers every dialog the way the measured commands need it.
class BenchServices : public Services {
public:
    QString openAnswer;
    int processEventsCalls = 0;
    QElapsedTimer sinceLastRepaint;
    double longestGapMs = 0; // the longest stretch without a repaint
    void startCommand() {
        processEventsCalls = 0;
        longestGapMs = 0;
        sinceLastRepaint.start();
    }
    void endCommand() { noteGap(); }
    void noteGap() {
        longestGapMs = std::max(longestGapMs, sinceLastRepaint.nsecsElapsed() / 1e6);
        sinceLastRepaint.start();
    }
    int message(const MessageRequest&) override { return answer::ok; }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return openAnswer; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return {}; }
    std::optional<QString> inputText(const InputRequest&) override { return {}; }
    int execDialog(QDialog&) override { return QDialog::Rejected; }
    void showWindow(QWidget* window) override { window->deleteLater(); }
    bool choosePrinter(QPrinter&, QWidget*) override { return false; }
    QDateTime now() override { return QDateTime(QDate(2025, 3, 9), QTime(9, 0)); }
    void clipboardClear() override {}
    void clipboardSetText(const QString&) override {}
    bool clipboardHasText() override { return false; }
    QString clipboardText() override { return {}; }
    bool shellOpen(const QString&) override { return true; }
    bool startProgram(const QString&) override { return true; }
    void processEvents() override {
        ++processEventsCalls;
        noteGap();
        QCoreApplication::processEvents();
    }
};

// Names as a real list has them: many first and last names, in no order.
QString someName(int i) {
    static const char* const first[] = {"Anna",    "Jürgen", "Özlem",   "Ulrike", "Björn",
                                        "Heike",   "Ömer",   "Käthe",   "Lars",   "Zoë",
                                        "Thomas",  "Sabine", "Michael", "Petra",  "Andreas",
                                        "Claudia", "Stefan", "Monika",  "Frank",  "Gabriele"};
    static const char* const last[] = {"Müller",   "Groß",      "Schäfer",  "Weiß",       "Bäcker",
                                       "Hoffmann", "Köhler",    "Schulz",   "Krüger",     "Neumann",
                                       "Schmidt",  "Schneider", "Fischer",  "Meyer",      "Wagner",
                                       "Becker",   "Wolf",      "Schröder", "Zimmermann", "Braun"};
    const quint32 h = static_cast<quint32>(i) * 2654435761u;
    return QString::fromUtf8(last[(h >> 8) % 20]) + u' ' +
           QString::fromUtf8(first[(h >> 16) % 20]) + u' ' + QString::number(h % 997);
}

std::vector<Record> manyRecords(int count) {
    std::vector<Record> out;
    out.reserve(count);
    const ReminderDefaults defaults;
    for (int i = 1; i <= count; ++i) {
        Record r = newRecord(count + 1 - i, defaults);
        r.name = someName(i);
        r.jahr = 1900 + i % 120;
        r.monat = 1 + i % 12;
        r.tag = 1 + i % 28;
        out.push_back(r);
    }
    return out;
}

// CPU time of this thread: on a machine shared with other work, the wall time of a step also
// counts the time others had the processor.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double timeIt(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double markerFloorMs(const QString& path, const MarkerWrites& marks) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_stmt* st = nullptr;
    const double ms = timeIt([&] {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, "UPDATE Geburtstage SET E1=?1, E2=?2, E3=?3 WHERE rowid=?4", -1, &st,
                           nullptr);
        for (const auto& [rowid, years] : marks) {
            sqlite3_reset(st);
            for (int k = 0; k < 3; ++k)
                sqlite3_bind_int(st, k + 1, years[k] + 1);
            sqlite3_bind_int64(st, 4, rowid);
            sqlite3_step(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_close(db);
    return ms;
}

void line(const char* what, double ms, double limit, const char* extra = "") {
    std::printf("  %-44s %8.1f ms   limit %6.0f ms  %s%s\n", what, ms, limit,
                ms <= limit ? "met" : "NOT MET", extra);
}

// One list size through the window.
void run(int count) {
    QTemporaryDir temp;
    DataDir dir{temp.path(), true};
    const Options options;
    writeOptionsFile(dir.optionsPath(), options);
    SettingsStore settings(dir);
    QString error;
    auto store =
        TableStore::open(dir.databasePath(), sampleRecord(options.reminderDefaults()), &error);
    if (!store) {
        std::fprintf(stderr, "no database: %s\n", qPrintable(error));
        std::exit(1);
    }
    Cursor cursor(*store);
    BenchServices services;
    FrmMain window({services, cursor, settings, dir, options, false});
    connectReminders(window);
    window.resize(980, 690);
    window.show();
    QCoreApplication::processEvents();

    const QString listPath = dir.file(QStringLiteral("gross.nxd"));
    {
        QFile f(listPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(renderListFile(manyRecords(count))) < 0)
            std::exit(1);
    }
    services.openAnswer = listPath;
    std::printf("\n%d records (window shown, offscreen):\n", count);

    auto command = [&](QAction* action) {
        services.startCommand();
        const double ms = timeIt([&] { action->trigger(); });
        services.endCommand();
        return ms;
    };
    const double openMs = command(window.mnuDateioeffnen);
    const QByteArray repaints = QByteArray(" (repaints ") +
                                QByteArray::number(services.processEventsCalls) + ", longest gap " +
                                QByteArray::number(services.longestGapMs, 'f', 1) + " ms)";
    if (cursor.recordCount() != count)
        std::fprintf(stderr, "the list did not load: %d records\n", cursor.recordCount());
    line("open the list", openMs, 1000, repaints.constData());

    const struct {
        const char* what;
        QPushButton* button;
    } sorts[] = {{"sort by name", window.cmdSortierennachnamen},
                 {"sort by year", window.cmdSortierennachjahr},
                 {"sort by month", window.cmdSortierennachmonat},
                 {"sort by day", window.cmdSortierennachtag},
                 {"sort by number", window.cmdSortierennachnummer},
                 {"sort by name again (descending)", window.cmdSortierennachnamen},
                 {"sort by name again (ascending)", window.cmdSortierennachnamen}};
    const auto sortBy = [&](QPushButton* button) {
        return timeIt([&] {
            button->click();
            window.DataGrid1->viewport()->repaint();
        });
    };
    for (const auto& s : sorts)
        line(s.what, sortBy(s.button), 100);
    // By name from the order by number, nine times: the median and the slowest, in wall and
    // in CPU time.
    std::vector<double> byName, byNameCpu;
    for (int i = 0; i < 9; ++i) {
        sortBy(window.cmdSortierennachnummer);
        const double cpu = threadCpuMs();
        byName.push_back(sortBy(window.cmdSortierennachnamen));
        byNameCpu.push_back(threadCpuMs() - cpu);
    }
    std::sort(byName.begin(), byName.end());
    std::sort(byNameCpu.begin(), byNameCpu.end());
    char names[96];
    std::snprintf(names, sizeof names, " (slowest %.1f ms; CPU median %.1f ms, slowest %.1f ms)",
                  byName.back(), byNameCpu[4], byNameCpu.back());
    line("sort by name from number order, median of 9", byName[4], 100, names);

    // A loaded list has every marker at 0: the first scan marks, the repeated one finds all.
    ReminderCore& reminders = window.reminders();
    reminders.start(); // as at the end of the splash: the scan's connection is open
    qsizetype due = 0;
    MarkerWrites marks;
    QObject::connect(&reminders, &ReminderCore::scanned, [&](const ReminderReport& r) {
        due = r.lines.size();
        if (!r.marks.empty())
            marks = r.marks;
    });
    const double scanMs = timeIt([&] {
        reminders.erinnerungenpruefen();
        window.DataGrid1->viewport()->repaint();
    });
    const QByteArray lines = " (" + QByteArray::number(due) + " lines)";
    line("daily scan, markers written", scanMs, 100, lines.constData());
    line("daily scan again, nothing new", timeIt([&] {
             reminders.erinnerungenpruefen();
             window.DataGrid1->viewport()->repaint();
         }),
         100);
    // The floor of the first scan's write: as many markers on the same rows, stored straight
    // through SQLite in one transaction on a connection of its own, as the scan does. (A year
    // on: a row written with the values it holds may cost less.)
    line("  the same markers written by SQLite alone", markerFloorMs(dir.databasePath(), marks),
         100);

    // Dragging the scroll bar from top to bottom in 200 steps, then paging down the last
    // screens; every step painted. A stall is a step that takes longer than a frame or two.
    QScrollBar* bar = window.DataGrid1->verticalScrollBar();
    bar->setValue(0);
    std::vector<double> steps;
    const double scrollMs = timeIt([&] {
        for (int i = 1; i <= 200; ++i) {
            steps.push_back(timeIt([&] {
                bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * i / 200));
                window.DataGrid1->viewport()->repaint();
            }));
        }
        for (int i = 0; i < 20; ++i) {
            steps.push_back(timeIt([&] {
                bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                window.DataGrid1->viewport()->repaint();
            }));
        }
    });
    std::sort(steps.begin(), steps.end());
    char extra[96];
    std::snprintf(extra, sizeof extra, " (220 painted steps: median %.1f ms, longest %.1f ms)",
                  steps[steps.size() / 2], steps.back());
    line("scroll the grid top to bottom, longest step", steps.back(), 50, extra);
    std::printf("  %-44s %8.1f ms\n", "  the whole scroll", scrollMs);

    window.state().dateiwurdegeaendert = 1;
    line("save the list (named)", command(window.mnuDateispeichern), count <= 10000 ? 100 : 1000);
    line("new list over the whole list", command(window.mnuDateineu), 1000);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {10000, 100000};
    for (int n : counts)
        run(n);
    return 0;
}
