#include "extras/upcomingcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "desktop/desktopsettings.h"
#include "extras/frmnaechste.h"
#include "reminder/upcoming.h"
#include "table/cursor.h"
#include "ui/services.h"

#include <QTimer>
#include <QWidget>

namespace natalix {

namespace {
// The list is worked out again once the table has come to rest, not at every stored row.
constexpr int refreshDelayMs = 200;
} // namespace

UpcomingCommands::UpcomingCommands(const CommandContext& context,
                                   std::function<void()> showMainWindow, QObject* parent)
    : QObject(parent), m_ctx(context), m_showMainWindow(std::move(showMainWindow)),
      m_refreshTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("UpcomingCommands"));
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(refreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &UpcomingCommands::refresh);
    const Cursor* cursor = &context.cursor;
    connect(cursor, &Cursor::rowsReset, this, &UpcomingCommands::scheduleRefresh);
    connect(cursor, &Cursor::rowChanged, this, &UpcomingCommands::scheduleRefresh);
    connect(cursor, &Cursor::rowInserted, this, &UpcomingCommands::scheduleRefresh);
    connect(cursor, &Cursor::rowRemoved, this, &UpcomingCommands::scheduleRefresh);
}

UpcomingCommands::~UpcomingCommands() {
    // Opened while the main window was hidden, it has no parent to take it along.
    delete m_dialog.data();
}

FrmNaechste* UpcomingCommands::frmNaechste() const {
    return m_dialog;
}

void UpcomingCommands::mnuExtrasnaechstegeburtstage_Click() {
    if (m_dialog) {
        refresh();
        m_dialog->show();
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    // A hidden main window (the tray's menu) must not take the window out of sight with it.
    QWidget* parent = m_ctx.window.isVisible() ? &m_ctx.window : nullptr;
    m_dialog = new FrmNaechste(upcomingDays(m_ctx.settings), parent);
    connect(m_dialog, &FrmNaechste::rangeChanged, this, &UpcomingCommands::rangeChanged);
    connect(m_dialog, &FrmNaechste::recordChosen, this, &UpcomingCommands::recordChosen);
    connect(m_dialog, &FrmNaechste::activated, this, &UpcomingCommands::refresh);
    refresh();
    m_ctx.services.showWindow(m_dialog);
    if (m_dialog)
        m_dialog->activateWindow();
}

void UpcomingCommands::scheduleRefresh() {
    if (m_dialog)
        m_refreshTimer->start();
}

void UpcomingCommands::refresh() {
    if (!m_dialog)
        return;
    // While a list is loaded or emptied the table is half-way; the end of the work brings
    // the list up to date.
    if (m_ctx.busy.isBusy()) {
        m_refreshTimer->start();
        return;
    }
    m_refreshTimer->stop();
    m_dialog->showBirthdays(
        upcomingBirthdays(m_ctx.cursor, m_ctx.services.today(), m_dialog->days()),
        m_ctx.state.options.optiondatumsanzeigehauptfenster);
}

void UpcomingCommands::rangeChanged(int days) {
    setUpcomingDays(m_ctx.settings, days);
    refresh();
}

void UpcomingCommands::recordChosen(qint64 bookmark) {
    if (bookmark == 0 || m_ctx.busy.isBusy())
        return;
    // As any move: the record being edited is checked first, and one that cannot be stored
    // is not left.
    m_ctx.form.datensatzpruefen();
    if (!m_ctx.cursor.setBookmark(bookmark))
        return;
    QWidget& window = m_ctx.window;
    if (!window.isVisible()) {
        m_showMainWindow();
        return;
    }
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.raise();
    window.activateWindow();
}

} // namespace natalix
