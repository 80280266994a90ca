#include "support/windowharness.h"

#include "app/windowapp.h"
#include "reminder/remindercore.h"

#include <QApplication>
#include <QTableView>
#include <QtTest>

namespace natalix::test {

WindowHarness::WindowHarness(const std::vector<Record>& records, const Options& options,
                             bool autoStart)
    : m_options(options), m_autoStart(autoStart) {
    dir.path = dataDir.path();
    dir.explicitlyGiven = true;
    writeOptionsFile(dir.optionsPath(), options);
    m_settings = std::make_unique<SettingsStore>(dir);
    QString error;
    m_store =
        TableStore::open(dir.databasePath(), sampleRecord(options.reminderDefaults()), &error);
    if (!m_store)
        qFatal("cannot open the test database: %s", qPrintable(error));
    m_cursor = std::make_unique<Cursor>(*m_store);
    if (!records.empty())
        m_cursor->replaceAll(records);
    open();
}

void WindowHarness::open() {
    m_window = std::make_unique<FrmMain>(
        MainContext{services, *m_cursor, *m_settings, dir, m_options, m_autoStart});
    connectReminders(*m_window);
}

void WindowHarness::restart() {
    for (const QPointer<QWidget>& w : services.shownWindows)
        delete w.data();
    services.shownWindows.clear();
    m_window.reset();
    m_cursor = std::make_unique<Cursor>(*m_store);
    open();
}

WindowHarness::~WindowHarness() {
    m_window.reset();
}

FrmMain& WindowHarness::shown() {
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QTest::qVerify(QTest::qWaitForWindowActive(m_window.get()), "active", "", __FILE__, __LINE__);
    return *m_window;
}

std::vector<Record> WindowHarness::storedRecords() {
    QString error;
    auto other = TableStore::open(dir.databasePath(), Record(), &error);
    std::vector<Record> out;
    if (!other)
        return out;
    for (StoredRow& r : other->loadAll())
        out.push_back(r.record);
    return out;
}

std::vector<int> WindowHarness::numbersInOrder() {
    std::vector<int> out;
    for (int i = 0; i < m_cursor->recordCount(); ++i)
        out.push_back(m_cursor->rowAt(i).nummer);
    return out;
}

void WindowHarness::clickRow(int row, Qt::KeyboardModifiers modifiers) {
    QTableView* grid = m_window->DataGrid1;
    const QRect rect = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, rect.center());
}

void WindowHarness::finishSplash() {
    m_window->state().starten = 1;
    m_window->reminders().start();
}

} // namespace natalix::test
