#include "app/frmsplash.h"

#include "app/frmmain.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace natalix {

FrmSplash::FrmSplash(FrmMain& main)
    : QWidget(nullptr, Qt::SplashScreen | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint),
      m_main(main) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("imgSplash"));
    image->setPixmap(picture());
    layout->addWidget(image);
    lblVersion = new QLabel(QStringLiteral("Version 1.2"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblVersion);
    setStyleSheet(QStringLiteral("QWidget#frmSplash { background: #fff8ec; border: 1px solid "
                                 "#b08040; }"));
    adjustSize();
    // Top-left corner of the screen, in front of everything.
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().topLeft());

    main.state().programmbeenden = 1;
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &FrmSplash::Timer1_Timer);
    Timer1->start();
    main.state().programmbeenden = 0;
}

void FrmSplash::Timer1_Timer() {
    --m_countdown;
    if (m_countdown >= 1)
        return;
    Timer1->stop();
    m_main.splashFinished();
    close();
}

QPixmap FrmSplash::picture() {
    // A birthday cake with candles, drawn rather than shipped.
    QPixmap pm(360, 200);
    pm.fill(QColor(0xff, 0xf8, 0xec));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xc0, 0x90));
    p.drawRoundedRect(QRectF(110, 110, 140, 60), 8, 8);
    p.setBrush(QColor(0xf4, 0x9a, 0xb0));
    p.drawRoundedRect(QRectF(104, 100, 152, 20), 8, 8);
    p.setBrush(QColor(0xb0, 0x80, 0x40));
    p.drawRect(QRectF(96, 168, 168, 6));
    const QColor candles[] = {QColor(0x4a, 0x90, 0xd9), QColor(0x6c, 0xc0, 0x5a),
                              QColor(0xe0, 0x60, 0x60), QColor(0xe0, 0xb0, 0x30)};
    for (int i = 0; i < 4; ++i) {
        const double x = 130 + i * 30;
        p.setBrush(candles[i]);
        p.drawRect(QRectF(x, 70, 8, 32));
        QPainterPath flame;
        flame.moveTo(x + 4, 52);
        flame.quadTo(x + 11, 63, x + 4, 68);
        flame.quadTo(x - 3, 63, x + 4, 52);
        p.setBrush(QColor(0xff, 0xa0, 0x20));
        p.drawPath(flame);
    }
    QFont f = p.font();
    f.setPointSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x7a, 0x4a, 0x10));
    p.drawText(QRectF(0, 8, 360, 40), Qt::AlignCenter, QStringLiteral("Natalix"));
    return pm;
}

} // namespace natalix
