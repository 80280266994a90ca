#include "reminder/frmmeldung.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace natalix {

namespace {

// A small birthday cake with three candles.
QPixmap cakePicture() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 70, 40), 1.2));
    p.setBrush(QColor(250, 215, 160));
    p.drawRoundedRect(QRectF(6, 24, 36, 18), 3, 3);
    p.setBrush(QColor(230, 90, 130));
    QPainterPath icing;
    icing.moveTo(6, 28);
    for (int i = 0; i < 6; ++i)
        icing.quadTo(9 + i * 6, 34, 12 + i * 6, 28);
    icing.lineTo(42, 24);
    icing.lineTo(6, 24);
    icing.closeSubpath();
    p.drawPath(icing);
    for (int i = 0; i < 3; ++i) {
        const qreal x = 13 + i * 10;
        p.setPen(QPen(QColor(60, 90, 170), 1));
        p.setBrush(QColor(120, 160, 230));
        p.drawRect(QRectF(x, 13, 4, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 170, 0));
        p.drawEllipse(QRectF(x - 0.5, 5, 5, 7));
    }
    return pixmap;
}

// The box shows at least this many lines and grows up to most of the screen's height.
constexpr int fewestLines = 4;
constexpr int boxWidth = 420;
constexpr int screenShare = 85; // per cent

// Lines the text takes in a box whose text is `width` pixels wide; counting stops at `most`.
int wrappedLines(const QString& text, const QFontMetrics& metrics, int width, int most) {
    int lines = 0;
    for (const QString& line : text.split(u'\n')) {
        const QRect r = metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, line);
        lines += std::max(1, (r.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
        if (lines >= most)
            return most;
    }
    return lines;
}

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

FrmMeldung::FrmMeldung(const QString& texterinnerungen, double dateDisplay, const QDateTime& shown,
                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmMeldung"));
    setWindowTitle(QStringLiteral("Geburtstags-Erinnerung"));
    // In front of every other program's windows: with "/auto" it is the only window shown.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    // The program's other windows wait for the answer; input aimed at them brings this one
    // to the front (the window system's own way with a modal window).
    setWindowModality(Qt::ApplicationModal);
    // Closing it while the main window is hidden must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Frame2 = new QGroupBox(QStringLiteral("Meldung"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    label0 = namedLabel("label0", QStringLiteral("Datum:"), Frame2);
    lblDatum = namedLabel("lblDatum", dateText(shown.date(), dateDisplay), Frame2);
    Label1 = namedLabel("Label1", QStringLiteral("Uhrzeit:"), Frame2);
    lblZeit = namedLabel("lblZeit", timeText(shown.time()), Frame2);
    auto* meldung = new QGridLayout(Frame2);
    meldung->addWidget(label0, 0, 0);
    meldung->addWidget(lblDatum, 0, 1);
    meldung->addWidget(Label1, 1, 0);
    meldung->addWidget(lblZeit, 1, 1);
    meldung->setColumnStretch(1, 1);

    Picture1 = namedLabel("Picture1", QString(), this);
    Picture1->setPixmap(cakePicture());
    Picture1->setFixedSize(48, 48);
    Picture1->setAccessibleName(QStringLiteral("Geburtstagstorte"));

    Frame1 = new QGroupBox(QStringLiteral("Geburtstage"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    txtErinnerung = new QPlainTextEdit(Frame1);
    txtErinnerung->setObjectName(QStringLiteral("txtErinnerung"));
    txtErinnerung->setReadOnly(true);
    txtErinnerung->setAccessibleName(QStringLiteral("Geburtstage"));
    // The lines end in CR LF; the box keeps a line per paragraph, so a CR would stay behind
    // as a stray character in every line.
    QString text = texterinnerungen;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    txtErinnerung->setPlainText(text);
    auto* geburtstage = new QVBoxLayout(Frame1);
    geburtstage->addWidget(txtErinnerung);

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addWidget(Frame2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame1, 1);
    layout->addLayout(bottom);
    sizeToLines(text);

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    Command1->setFocus();
}

void FrmMeldung::sizeToLines(const QString& shown) {
    const QFontMetrics metrics(txtErinnerung->font());
    const int chrome = 2 * (txtErinnerung->frameWidth() +
                            static_cast<int>(txtErinnerung->document()->documentMargin()));
    const int scrollBar = txtErinnerung->verticalScrollBar()->sizeHint().width();
    // The box scrolls once its last line comes within a pixel of the bottom margin.
    const int lineHeight = std::max(metrics.lineSpacing(), metrics.height());
    const int smallest = fewestLines * lineHeight + chrome + 2;
    const int screenHeight =
        screen() ? screen()->availableGeometry().height() * screenShare / 100 : 100000;
    const int lines =
        wrappedLines(shown, metrics, boxWidth - chrome - scrollBar, screenHeight / lineHeight + 1);
    const int wanted = std::max(smallest, lines * lineHeight + chrome + 2);
    // The window's size with every line in the box, within the screen's share; the user may
    // make it larger or smaller.
    txtErinnerung->setMinimumSize(boxWidth / 2, smallest);
    const QSize hint = layout()->sizeHint();
    const QSize box = txtErinnerung->sizeHint().expandedTo(txtErinnerung->minimumSize());
    const int rest = hint.height() - box.height();
    resize(hint.width() + std::max(0, boxWidth - box.width()),
           rest + std::min(wanted, std::max(smallest, screenHeight - rest)));
}

QString FrmMeldung::dateText(const QDate& date, double dateDisplay) {
    if (dateDisplay == 0)
        return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
    return QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year());
}

QString FrmMeldung::timeText(const QTime& time) {
    return QStringLiteral("%1:%2:%3").arg(time.hour()).arg(time.minute()).arg(time.second());
}

bool FrmMeldung::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        if (m_keysHeldBack)
            return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmMeldung::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_guardStarted) {
        m_guardStarted = true;
        QTimer::singleShot(keyGuardMs, this, [this] { m_keysHeldBack = false; });
    }
    bringToFront();
}

void FrmMeldung::bringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

} // namespace natalix
