#pragma once

#include "reminder/upcoming.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace natalix {

// The program's icon: the SVG of the resources where Qt can draw SVG, else the same drawing
// painted at the usual sizes; the installed theme icon "natalix" wins where there is one.
QIcon natalixIcon();

// The icon in the desktop's tray (a StatusNotifierItem on Linux desktops): its tool tip names
// the next birthday, a click asks for the main window, its menu for the window, the upcoming
// birthdays and the end of the program. The owner decides what each request does.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop has a tray at all (plain GNOME has none).
    static bool available();

    void show();
    void hide();
    bool isVisible() const;

    // The tool tip from the birthdays of the coming year (upcomingBirthdays(..., 365)).
    void setNextBirthdays(const std::vector<UpcomingBirthday>& yearAhead);
    QString toolTip() const;

    QSystemTrayIcon* systemTrayIcon() const { return m_tray; }
    QMenu* menu() const { return m_menu; }

    // The menu's entries, in this order (a separator before the last).
    QAction* mnuTrayanzeigen = nullptr;                // "Natalix anzeigen"
    QAction* mnuTraynaechstegeburtstage = nullptr;     // "Nächste Geburtstage..."
    QAction* mnuTrayerinnerungsmodulbeenden = nullptr; // "Natalix und Erinnerungs-Modul beenden"

signals:
    void showMainWindowRequested();
    void upcomingRequested();
    void quitRequested();

private:
    QMenu* m_menu = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
};

} // namespace natalix
