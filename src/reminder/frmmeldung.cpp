#include "reminder/frmmeldung.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

FrmMeldung::FrmMeldung(const QString& texterinnerungen, double dateDisplay, const QDateTime& now,
                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmMeldung"));
    setWindowTitle(QStringLiteral("Geburtstags-Erinnerung"));
    // In front of every other program's windows: with "/auto" it is the only window shown.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::ApplicationModal);
    // Closing it while the main window is hidden must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Frame2 = new QGroupBox(QStringLiteral("Meldung"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    label0 = namedLabel("label0", QStringLiteral("Datum:"), Frame2);
    lblDatum = namedLabel("lblDatum", dateText(now.date(), dateDisplay), Frame2);
    Label1 = namedLabel("Label1", QStringLiteral("Uhrzeit:"), Frame2);
    lblZeit = namedLabel("lblZeit", timeText(now.time()), Frame2);
    auto* meldung = new QGridLayout(Frame2);
    meldung->addWidget(label0, 0, 0);
    meldung->addWidget(lblDatum, 0, 1);
    meldung->addWidget(Label1, 1, 0);
    meldung->addWidget(lblZeit, 1, 1);
    meldung->setColumnStretch(1, 1);

    Picture1 = namedLabel("Picture1", QString(), this);
    Picture1->setPixmap(cakePicture());
    Picture1->setFixedSize(48, 48);

    Frame1 = new QGroupBox(QStringLiteral("Geburtstage"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    txtErinnerung = new QPlainTextEdit(Frame1);
    txtErinnerung->setObjectName(QStringLiteral("txtErinnerung"));
    txtErinnerung->setReadOnly(true);
    // The lines end in CR LF; the box keeps a line per paragraph, so a CR would stay behind
    // as a stray character in every line.
    QString shown = texterinnerungen;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    txtErinnerung->setPlainText(shown);
    auto* geburtstage = new QVBoxLayout(Frame1);
    geburtstage->addWidget(txtErinnerung);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
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
    resize(440, 320);
}

QString FrmMeldung::dateText(const QDate& date, double dateDisplay) {
    if (dateDisplay == 0)
        return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
    return QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year());
}

QString FrmMeldung::timeText(const QTime& time) {
    return QStringLiteral("%1:%2:%3").arg(time.hour()).arg(time.minute()).arg(time.second());
}

void FrmMeldung::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    Command1->setFocus();
}

} // namespace natalix
