#include "extras/frmabout.h"

#include "app/commandline.h"
#include "ui/services.h"
#include "ui/widgets.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace natalix {

namespace {

QPixmap iconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintNatalixIcon(painter, QRectF(0, 0, size, size));
    return pixmap;
}

#ifdef Q_OS_WIN
// Reads one value below HKEY_LOCAL_MACHINE; false when the key or the value is missing.
bool GetKeyValue(const QString& keyName, const QString& subKeyRef, QString& keyVal) {
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\") + keyName, QSettings::NativeFormat);
    const QVariant value = key.value(subKeyRef);
    if (!value.isValid()) {
        keyVal.clear();
        return false;
    }
    keyVal = value.toString();
    // A string stored with its terminating zero comes back without it.
    while (keyVal.endsWith(QChar(0)))
        keyVal.chop(1);
    return true;
}
#endif

} // namespace

void paintNatalixIcon(QPainter& painter, const QRectF& rect) {
    // Drawn on a 64 x 64 grid, like natalix.svg.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 64.0, rect.height() / 64.0);
    painter.setPen(Qt::NoPen);

    // The calendar leaf with its red head and two rings.
    painter.setBrush(QColor(0x2b, 0x4c, 0x7e));
    painter.drawRoundedRect(QRectF(4, 6, 56, 54), 8, 8);
    painter.setBrush(QColor(0xfd, 0xfb, 0xf5));
    painter.drawRoundedRect(QRectF(8, 10, 48, 46), 5, 5);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    QPainterPath head;
    head.addRoundedRect(QRectF(8, 10, 48, 12), 5, 5);
    head.addRect(QRectF(8, 16, 48, 6));
    painter.drawPath(head.simplified());
    painter.setBrush(QColor(0x9e, 0x9e, 0x9e));
    painter.drawRoundedRect(QRectF(18, 4, 5, 12), 2.5, 2.5);
    painter.drawRoundedRect(QRectF(41, 4, 5, 12), 2.5, 2.5);

    // The cake: plate, two layers with icing, one candle with its flame.
    painter.setBrush(QColor(0xb0, 0xbe, 0xc5));
    painter.drawRoundedRect(QRectF(14, 49, 36, 3), 1.5, 1.5);
    painter.setBrush(QColor(0xf4, 0xa2, 0x61));
    painter.drawRect(QRectF(17, 40, 30, 9));
    painter.setBrush(QColor(0xe7, 0x6f, 0x51));
    painter.drawRect(QRectF(20, 33, 24, 7));
    painter.setBrush(QColor(0xff, 0xff, 0xff));
    painter.drawRect(QRectF(17, 40, 30, 2));
    painter.drawRect(QRectF(20, 33, 24, 2));
    painter.setBrush(QColor(0x42, 0x85, 0xf4));
    painter.drawRect(QRectF(30.5, 26, 3, 7));
    painter.setBrush(QColor(0xff, 0xc1, 0x07));
    QPainterPath flame;
    flame.moveTo(32, 19);
    flame.cubicTo(35, 22.5, 34.5, 25.5, 32, 25.5);
    flame.cubicTo(29.5, 25.5, 29, 22.5, 32, 19);
    painter.drawPath(flame);
    painter.restore();
}

QString supportMailAddress() {
    return QStringLiteral("support@natalix.example");
}

QString productWebAddress() {
    return QStringLiteral("https://www.natalix.example");
}

FrmAbout::FrmAbout(Services& services, const QStringList& sysInfoTools, QWidget* parent)
    : QDialog(parent), m_services(services), m_sysInfoTools(sysInfoTools) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Über den Natalix"));
    setFixedDialogFrame(this);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);

    picIcon = makeLabel(this, "picIcon", QString());
    picIcon->setPixmap(iconPixmap(32));
    picIcon->setFixedSize(32, 32);
    picIcon->setAccessibleName(QStringLiteral("Programm-Symbol"));
    grid->addWidget(picIcon, 0, 0, Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = makeLabel(this, "lblTitle", QStringLiteral("Natalix"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel(this, "lblVersion", QString());
    auto* heading = new QVBoxLayout;
    heading->addWidget(lblTitle);
    heading->addWidget(lblVersion);
    grid->addLayout(heading, 0, 1);

    Image1 = makeLabel(this, "Image1", QString());
    Image1->setPixmap(iconPixmap(96));
    Image1->setFixedSize(96, 96);
    Image1->setAccessibleName(QStringLiteral("Natalix-Bild"));
    grid->addWidget(Image1, 1, 0, 2, 1, Qt::AlignTop);

    auto* maker = new QVBoxLayout;
    Label1 = makeLabel(this, "Label1", QStringLiteral("Fiktive Softwarewerkstatt Muster"));
    Label2 = makeLabel(this, "Label2", QStringLiteral("Inhaberin: Erika Beispielfrau"));
    Label3 = makeLabel(this, "Label3", QStringLiteral("Erfundener Weg 0"));
    Label7 = makeLabel(this, "Label7", QStringLiteral("00000 Musterstadt"));
    for (QLabel* l : {Label1, Label2, Label3, Label7})
        maker->addWidget(l);
    maker->addSpacing(10);
    Label5 = makeLabel(this, "Label5", QStringLiteral("&email: ") + supportMailAddress());
    Label5->setToolTip(
        QStringLiteral("Klicken Sie hierauf, um dem Programm-Autor eine EMail zu schicken ..."));
    Label6 = makeLabel(this, "Label6", QStringLiteral("&Internet: ") + productWebAddress());
    Label6->setToolTip(QStringLiteral(
        "Klicken Sie hierauf, um die Homepage der Softwarewerkstatt Muster zu besuchen ..."));
    for (QLabel* l : {Label5, Label6}) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
        l->setPalette(palette);
        QFont underlined = l->font();
        underlined.setUnderline(true);
        l->setFont(underlined);
        l->setCursor(Qt::PointingHandCursor);
        // The links are reached by Tab or their access key too, and opened with Enter or Space.
        l->setFocusPolicy(Qt::StrongFocus);
        l->setBuddy(l);
        l->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; } QLabel:focus { "
                                        "border-color: palette(highlight); }"));
        l->installEventFilter(this);
        maker->addWidget(l);
    }
    maker->addStretch();
    grid->addLayout(maker, 1, 1);

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 3, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Klicken Sie hierauf, um das Fenster zu verlassen ..."));
    cmdOK->setDefault(true);
    // Enter closes the box as before; the links come by Tab or their keys.
    cmdOK->setFocus();
    cmdSysInfo = new QPushButton(QStringLiteral("&Systeminfo..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setToolTip(QStringLiteral(
        "Hiermit bekommen Sie einige System-Informationen zu Ihrem Computer angezeigt ..."));
    cmdSysInfo->setAutoDefault(false);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    Form_Load();
}

void FrmAbout::Form_Load() {
    const QString revision = programVersion().section(u'.', 2, 2);
    lblVersion->setText(QStringLiteral("Version 1.2.") + revision);
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
    const bool opens = (event->type() == QEvent::MouseButtonRelease &&
                        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) ||
                       (event->type() == QEvent::KeyPress &&
                        QList<int>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}.contains(
                            static_cast<QKeyEvent*>(event)->key()));
    if (opens) {
        if (watched == Label5) {
            Label5_Click();
            return true;
        }
        if (watched == Label6) {
            Label6_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool FrmAbout::ShellExec(const QString& path) {
    return m_services.shellOpen(path);
}

void FrmAbout::Label5_Click() {
    ShellExec(QStringLiteral("mailto:") + supportMailAddress() +
              QStringLiteral("?Subject=Natalix"));
}

void FrmAbout::Label6_Click() {
    ShellExec(productWebAddress());
}

void FrmAbout::cmdOK_Click() {
    accept();
}

void FrmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void FrmAbout::StartSysInfo() {
#ifdef Q_OS_WIN
    QString path;
    if (GetKeyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path) &&
        !path.isEmpty()) {
        if (m_services.startProgram(path))
            return;
    } else if (GetKeyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                           QStringLiteral("MSINFO"), path)) {
        const QString file = path + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(file) && m_services.startProgram(file))
            return;
    }
#else
    // No registry here: the desktop's own system information tool, if one is installed.
    for (const QString& tool : m_sysInfoTools) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (!program.isEmpty() && m_services.startProgram(program))
            return;
    }
#endif
    MessageRequest m;
    m.text = QStringLiteral("Systeminformationen sind momentan nicht verfügbar");
    m.buttons = Buttons::Ok;
    m.icon = Icon::None;
    m_services.message(m);
}

} // namespace natalix
