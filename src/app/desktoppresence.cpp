#include "app/desktoppresence.h"

#include "app/frmmain.h"
#include "desktop/desktopsettings.h"
#include "desktop/notifier.h"
#include "desktop/trayicon.h"
#include "reminder/remindercommands.h"
#include "reminder/remindercore.h"
#include "reminder/upcoming.h"
#include "table/cursor.h"
#include "ui/services.h"

#include <QAction>
#include <QEvent>
#include <QTimer>

namespace natalix {

namespace {
// A desktop started at login may bring its tray up after Natalix: look again for about ten
// minutes, soon at first and then ever more rarely (each look costs the X server a question).
constexpr int firstTrayLookoutMs = 5000;
constexpr int trayLookouts = 7;
} // namespace

DesktopPresence::DesktopPresence(FrmMain& main) : QObject(&main), m_main(main) {
    setObjectName(QStringLiteral("DesktopPresence"));
    m_notifier = new Notifier(this);

    // The tool tip is worked out once the list has come to rest, not at every stored row.
    m_toolTipTimer = new QTimer(this);
    m_toolTipTimer->setSingleShot(true);
    m_toolTipTimer->setInterval(300);
    connect(m_toolTipTimer, &QTimer::timeout, this, &DesktopPresence::updateToolTip);
    Cursor& cursor = main.adoDaten();
    connect(&cursor, &Cursor::rowsReset, this, &DesktopPresence::scheduleToolTip);
    connect(&cursor, &Cursor::rowChanged, this, &DesktopPresence::scheduleToolTip);
    connect(&cursor, &Cursor::rowInserted, this, &DesktopPresence::scheduleToolTip);
    connect(&cursor, &Cursor::rowRemoved, this, &DesktopPresence::scheduleToolTip);

    main.installEventFilter(this);
    if (TrayIcon::available()) {
        startTray();
        return;
    }
    m_trayLookout = new QTimer(this);
    m_trayLookout->setInterval(firstTrayLookoutMs);
    // On whole seconds, with the second-start poll: no wake-up of its own.
    m_trayLookout->setTimerType(Qt::VeryCoarseTimer);
    connect(m_trayLookout, &QTimer::timeout, this, &DesktopPresence::lookForTray);
    m_trayLookout->start();
}

DesktopPresence::~DesktopPresence() = default;

void DesktopPresence::onScanned(const ReminderReport& report) {
    // Read at every scan: the options dialog may have changed it meanwhile.
    m_notifier->setEnabled(notificationsEnabled(m_main.settings()));
    m_notifier->onScanned(report);
    scheduleToolTip();
}

void DesktopPresence::lookForTray() {
    if (TrayIcon::available())
        startTray();
    if (m_tray || ++m_lookouts >= trayLookouts)
        m_trayLookout->stop();
    else
        m_trayLookout->setInterval(m_trayLookout->interval() * 2);
}

void DesktopPresence::startTray() {
    m_tray = new TrayIcon(this);
    m_notifier->setTrayIcon(m_tray->systemTrayIcon());
    connect(m_tray, &TrayIcon::showMainWindowRequested, &m_main, [this] {
        // An open reminder comes first: the main window waits for its answer.
        auto* reminders = m_main.findChild<ReminderCommands*>();
        if (!reminders || !reminders->raiseReminder())
            m_main.bringToFront();
    });
    connect(m_tray, &TrayIcon::upcomingRequested, &m_main, [this] {
        if (QAction* upcoming =
                m_main.findChild<QAction*>(QStringLiteral("mnuExtrasnaechstegeburtstage")))
            upcoming->trigger();
    });
    connect(m_tray, &TrayIcon::quitRequested, &m_main,
            [this] { m_main.mnuErinnerungsmodulbeenden->trigger(); });
    updateToolTip();
    m_tray->show();
}

void DesktopPresence::scheduleToolTip() {
    if (m_tray)
        m_toolTipTimer->start();
}

void DesktopPresence::updateToolTip() {
    if (!m_tray)
        return;
    m_tray->setNextBirthdays(upcomingBirthdays(m_main.adoDaten(), m_main.services().today(), 365));
}

QString DesktopPresence::hiddenHintText() {
    return QStringLiteral(
        "Natalix läuft im Hintergrund weiter und erinnert Sie an die Geburtstage.\n\n"
        "Ihr Desktop zeigt kein Symbol im Infobereich an. Um das Fenster wieder zu öffnen, "
        "starten Sie Natalix einfach noch einmal.\n\n"
        "Soll dieser Hinweis beim nächsten Mal wieder erscheinen?");
}

bool DesktopPresence::eventFilter(QObject* watched, QEvent* event) {
    // The window hides once more while it is destroyed, when it is no FrmMain any longer.
    if (watched == &m_main && event->type() == QEvent::Hide && qobject_cast<FrmMain*>(watched) &&
        !m_tray && !m_hintShown && m_main.state().programmbeenden != 1)
        // After the hide has run its course, not inside it.
        QTimer::singleShot(0, this, &DesktopPresence::tellHowToComeBack);
    return QObject::eventFilter(watched, event);
}

void DesktopPresence::tellHowToComeBack() {
    if (m_hintShown || m_tray || m_main.state().programmbeenden == 1 || m_main.isVisible())
        return;
    SettingsStore& settings = m_main.settings();
    if (settings.value(QLatin1String(desktopsetting::hiddenHint)) == u"0")
        return;
    m_hintShown = true;
    MessageRequest m;
    m.text = hiddenHintText();
    m.buttons = Buttons::YesNo;
    m.icon = Icon::Information;
    m.defaultButton = answer::yes;
    if (m_main.services().message(m) == answer::no)
        settings.setValue(QLatin1String(desktopsetting::hiddenHint), QStringLiteral("0"));
}

} // namespace natalix
