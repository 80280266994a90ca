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
    auto store = TableStore::open(dir.databasePath(), sampleRecord(options.reminderDefaults()),
                                  &error);
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

    const double loadIntoOne = timeIt([&] { window.mnuDateioeffnen->trigger(); });
    const int repaintsLoad = services.processEventsCalls;
    const double reload = timeIt([&] { window.mnuDateioeffnen->trigger(); });

    // Saving the loaded list to its own file.
    window.state().dateiwurdegeaendert = 1;
    const double save = timeIt([&] { window.mnuDateispeichern->trigger(); });

    services.processEventsCalls = 0;
    const double newList = timeIt([&] { window.mnuDateineu->trigger(); });
    const int repaintsNew = services.processEventsCalls;

    std::printf("records: %d (window shown offscreen)\n", cursor.recordCount() == 1 ? count : -1);
    std::printf("open %d records into a table of 1:        %8.1f ms (%d repaints)\n", count,
                loadIntoOne, repaintsLoad);
    std::printf("open %d records into a table of %d:   %8.1f ms\n", count, count, reload);
    std::printf("save %d records:                          %8.1f ms\n", count, save);
    std::printf("new list over %d records:                 %8.1f ms (%d repaints)\n", count,
                newList, repaintsNew);
    return 0;
}
