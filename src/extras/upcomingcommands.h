#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QTimer;

namespace natalix {

struct CommandContext;
class FrmNaechste;

// "Nächste &Geburtstage...": one window at a time, kept up to date while it is open; a row
// chosen there becomes the main window's current record.
class UpcomingCommands : public QObject {
    Q_OBJECT
public:
    // `showMainWindow` brings a hidden main window back, as a second start does.
    UpcomingCommands(const CommandContext& context, std::function<void()> showMainWindow,
                     QObject* parent);
    ~UpcomingCommands() override;

    void mnuExtrasnaechstegeburtstage_Click();
    FrmNaechste* frmNaechste() const; // null while none is open
    // Works the list out again (a new day).
    void refresh();

private:
    void scheduleRefresh();
    void rangeChanged(int days);
    void recordChosen(qint64 bookmark);

    const CommandContext& m_ctx;
    std::function<void()> m_showMainWindow;
    QPointer<FrmNaechste> m_dialog;
    QTimer* m_refreshTimer = nullptr;
};

} // namespace natalix
