#include "listfile/frminfo.h"

#include "listfile/listfile.h"
#include "ui/widgets.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

namespace natalix {

namespace {

constexpr int maxFileNameLength = 255;

// Sizes are shown the German way whatever the machine's locale says, like every other text
// of the window.
QLocale sizeLocale() {
    return QLocale(QLocale::German, QLocale::Germany);
}

QFrame* separatorLine(QWidget* parent, int index) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("index", index);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QString listFileNameOfPath(const QString& path) {
    // Windows paths use the backslash; here the slash separates folders as well.
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1).left(maxFileNameLength);
}

QString listFileSizeText(qint64 bytes) {
    const QLocale german = sizeLocale();
    // Cut, not rounded: the integer part of bytes * 100 / 1024, then divided by 100.
    const qint64 hundredths = bytes * 100 / 1024;
    QString kilobytes = QString::number(hundredths / 100);
    const qint64 fraction = hundredths % 100;
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 2, 10, QLatin1Char('0'));
        if (digits.endsWith(u'0'))
            digits.chop(1);
        kilobytes += german.decimalPoint() + digits;
    }
    return kilobytes + QStringLiteral(" KB (") + german.toString(bytes) + QStringLiteral(" Bytes)");
}

FrmInfo::FrmInfo(const QString& dateinamemitpfad, const Snapshot& table, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Eigenschaften"));
    setFixedDialogFrame(this);
    setModal(true);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    int row = 0;
    auto caption = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        grid->addWidget(l, row, 0);
        return l;
    };
    auto valueLabel = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(l, row++, 1);
        return l;
    };
    auto valueBox = [&](const char* name) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setReadOnly(true);
        t->setMinimumWidth(320);
        grid->addWidget(t, row++, 1);
        return t;
    };

    QLabel* fileName = caption("Label1", QStringLiteral("&Dateiname:"));
    txt1 = valueBox("txt1");
    fileName->setBuddy(txt1);
    QLabel* path = caption("Label2", QStringLiteral("&Pfad:"));
    txt2 = valueBox("txt2");
    path->setBuddy(txt2);
    caption("Label3", QStringLiteral("Typ:"));
    lbl3 = valueLabel("lbl3");
    grid->addWidget(separatorLine(this, 0), row++, 0, 1, 2);
    caption("Label5", QStringLiteral("Grösse:"));
    lbl4 = valueLabel("lbl4");
    caption("Label7", QStringLiteral("Datensätze:"));
    lbl5 = valueLabel("lbl5");
    grid->addWidget(separatorLine(this, 1), row++, 0, 1, 2);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, row, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    // Form_Load: the values are written once; the window never reads them back.
    txt1->setText(listFileNameOfPath(dateinamemitpfad));
    txt2->setText(dateinamemitpfad);
    lbl3->setText(QStringLiteral("NXD-Datei   (Natalix-Database)"));
    lbl4->setText(listFileSizeText(listFileSize(table)));
    lbl5->setText(QString::number(table.size()) + QStringLiteral(" Stück"));
}

} // namespace natalix
