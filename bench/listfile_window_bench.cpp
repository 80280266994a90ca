// Times the list commands through the real main window: loading, emptying and saving a list
// of 10,000 records. Run offscreen: QT_QPA_PLATFORM=offscreen ./natalix_window_bench
#include "app/datadir.h"
#include "app/frmmain.h"
#include "listfile/listfile.h"
#include "options/options.h"
#include "table/cursor.h"
#include "table/tablestore.h"
#include "ui/services.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
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
    int execDialog(QDialog&) override { return QDialog::Rejected; }
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

std::vector<Record> manyRecords(int count) {
    std::vector<Record> out;
    out.reserve(count);
    const ReminderDefaults defaults;
    for (int i = 1; i <= count; ++i) {
        Record r = newRecord(count + 1 - i, defaults);
        r.name = QStringLiteral("Vorname%1 Nachname-Müller").arg(i);
        r.jahr = 1900 + i % 120;
        r.monat = 1 + i % 12;
        r.tag = 1 + i % 28;
        out.push_back(r);
    }
    return out;
}

double timeIt(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int count = 10000;
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
        return 1;
    }
    Cursor cursor(*store);
    BenchServices services;
    FrmMain window({services, cursor, settings, dir, options, false});
    window.show();
    QCoreApplication::processEvents();

    const QString listPath = dir.file(QStringLiteral("gross.nxd"));
    {
        QFile f(listPath);
        if (!f.open(QIODevice::WriteOnly) || !writeListFile(f, manyRecords(count)))
            return 1;
    }
    services.openAnswer = listPath;

    struct Figure {
        double ms;
        int repaints;
        double longestGapMs;
        int recordsAfter;
    };
    auto measure = [&](QAction* command) {
        services.startCommand();
        const double ms = timeIt([&] { command->trigger(); });
        services.endCommand();
        return Figure{ms, services.processEventsCalls, services.longestGapMs, cursor.recordCount()};
    };
    auto report = [](const char* what, const Figure& f) {
        std::printf("%-42s %7.1f ms  records after: %5d  repaints: %2d  longest gap: %5.1f ms\n",
                    what, f.ms, f.recordsAfter, f.repaints, f.longestGapMs);
    };

    report("open 10,000 records into a table of 1", measure(window.mnuDateioeffnen));
    report("open 10,000 records into a table of 10,000", measure(window.mnuDateioeffnen));
    window.state().dateiwurdegeaendert = 1;
    report("save 10,000 records (named list)", measure(window.mnuDateispeichern));
    report("new list over 10,000 records", measure(window.mnuDateineu));
    return 0;
}
