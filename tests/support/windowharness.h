#pragma once

#include "app/datadir.h"
#include "app/frmmain.h"
#include "options/options.h"
#include "support/scriptedservices.h"
#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <memory>
#include <vector>

namespace natalix::test {

// A running main window over its own data directory, with scripted services. The records
// given replace the seeded table before the window opens.
class WindowHarness {
public:
    explicit WindowHarness(const std::vector<Record>& records = {},
                           const Options& options = Options(), bool autoStart = false);
    ~WindowHarness();

    FrmMain& window() { return *m_window; }
    // The window shown and active: focus events only reach the fields of an active window.
    FrmMain& shown();
    Cursor& cursor() { return *m_cursor; }
    MainState& state() { return m_window->state(); }
    ScriptedServices services;
    TempDataDir dataDir;
    DataDir dir;

    // The stored rows, read afresh from the database file, in storage order.
    std::vector<Record> storedRecords();
    // The table as the grid shows it now, in its order.
    std::vector<int> numbersInOrder();
    // Clicks row `row` of the grid (0-based), as the user would.
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Ends the splash phase, so that the timers work.
    void finishSplash();
    // The program ends without a word (its windows gone, none answered) and starts again
    // over the same data.
    void restart();

private:
    void open();
    Options m_options;
    bool m_autoStart = false;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TableStore> m_store;
    std::unique_ptr<Cursor> m_cursor;
    std::unique_ptr<FrmMain> m_window;
};

} // namespace natalix::test
