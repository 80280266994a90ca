#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace natalix {

class FrmMain;
class Notifier;
struct ReminderReport;
class TrayIcon;

// The running program on the desktop: the tray icon, whose tool tip follows the list and
// whose menu reaches the window, and the desktop notification of every scan that finds
// reminders. Where the desktop has no tray, hiding the window tells once how to get it back.
class DesktopPresence : public QObject {
    Q_OBJECT
public:
    explicit DesktopPresence(FrmMain& main);
    ~DesktopPresence() override;

    TrayIcon* tray() const { return m_tray; }
    Notifier* notifier() const { return m_notifier; }

    // The hint on hiding the window where no tray shows it.
    static QString hiddenHintText();

    // A scan's lines to the desktop's notification centre; the tool tip follows the day.
    void onScanned(const natalix::ReminderReport& report);
    void scheduleToolTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startTray();
    void lookForTray();
    void updateToolTip();
    void tellHowToComeBack();

    FrmMain& m_main;
    Notifier* m_notifier = nullptr;
    TrayIcon* m_tray = nullptr;
    QTimer* m_toolTipTimer = nullptr;
    QTimer* m_trayLookout = nullptr;
    int m_lookouts = 0;
    bool m_hintShown = false;
};

} // namespace natalix
