#include "desktop/trayicon.h"

#include "extras/frmabout.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace natalix {

QIcon natalixIcon() {
    QIcon drawn(QStringLiteral(":/natalix/natalix.svg"));
    // Without Qt's SVG plugins the icon is there but draws nothing: the same picture, painted.
    if (drawn.pixmap(32).isNull()) {
        drawn = QIcon();
        for (int size : {16, 22, 24, 32, 48, 64, 128}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            paintNatalixIcon(painter, QRectF(0, 0, size, size));
            painter.end();
            drawn.addPixmap(pixmap);
        }
    }
    return QIcon::fromTheme(QStringLiteral("natalix"), drawn);
}

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), m_menu(new QMenu), m_tray(new QSystemTrayIcon(this)) {
    setObjectName(QStringLiteral("TrayIcon"));
    m_menu->setObjectName(QStringLiteral("mnuTray"));
    mnuTrayanzeigen = m_menu->addAction(QStringLiteral("Natalix anzeigen"));
    mnuTrayanzeigen->setObjectName(QStringLiteral("mnuTrayanzeigen"));
    mnuTraynaechstegeburtstage = m_menu->addAction(QStringLiteral("Nächste Geburtstage..."));
    mnuTraynaechstegeburtstage->setObjectName(QStringLiteral("mnuTraynaechstegeburtstage"));
    m_menu->addSeparator();
    mnuTrayerinnerungsmodulbeenden =
        m_menu->addAction(QStringLiteral("Natalix und Erinnerungs-Modul beenden"));
    mnuTrayerinnerungsmodulbeenden->setObjectName(QStringLiteral("mnuTrayerinnerungsmodulbeenden"));
    connect(mnuTrayanzeigen, &QAction::triggered, this, &TrayIcon::showMainWindowRequested);
    connect(mnuTraynaechstegeburtstage, &QAction::triggered, this, &TrayIcon::upcomingRequested);
    connect(mnuTrayerinnerungsmodulbeenden, &QAction::triggered, this, &TrayIcon::quitRequested);

    m_tray->setIcon(natalixIcon());
    m_tray->setContextMenu(m_menu);
    m_tray->setToolTip(upcomingToolTip({}));
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A left click; some trays report only the double click.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit showMainWindowRequested();
            });
}

TrayIcon::~TrayIcon() {
    // The menu is a window of its own, not a child of the tray icon.
    delete m_tray;
    delete m_menu;
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show() {
    m_tray->show();
}

void TrayIcon::hide() {
    m_tray->hide();
}

bool TrayIcon::isVisible() const {
    return m_tray->isVisible();
}

void TrayIcon::setNextBirthdays(const std::vector<UpcomingBirthday>& yearAhead) {
    m_tray->setToolTip(upcomingToolTip(yearAhead));
}

QString TrayIcon::toolTip() const {
    return m_tray->toolTip();
}

} // namespace natalix
