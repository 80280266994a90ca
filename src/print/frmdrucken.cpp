#include "print/frmdrucken.h"

#include "app/mainstate.h"
#include "table/textnumber.h"
#include "ui/services.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <cmath>

namespace natalix {

namespace {

constexpr int mostCopies = 999;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

int exemplareAusText(const QString& text) {
    const double value = std::fabs(std::floor(leadingNumber(text)));
    if (!(value >= 1))
        return 1;
    return value > mostCopies ? mostCopies : static_cast<int>(value);
}

FrmDrucken::FrmDrucken(MainState& state, Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services) {
    setObjectName(QStringLiteral("frmDrucken"));
    setWindowTitle(QStringLiteral("Drucken der Geburtstage"));
    setFixedDialogFrame(this);
    m_state.druckerexemplare = 0;

    auto* outer = new QVBoxLayout(this);
    Frame2 = new QGroupBox(QStringLiteral("Ausdruck"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* row = new QHBoxLayout(Frame2);
    Label1 = new QLabel(QStringLiteral("&Anzahl Exemplare:"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    row->addWidget(Label1);
    txtExemplare = new QLineEdit(QStringLiteral("1"), Frame2);
    txtExemplare->setObjectName(QStringLiteral("txtExemplare"));
    txtExemplare->setMaxLength(3);
    txtExemplare->setAccessibleName(QStringLiteral("Anzahl Exemplare"));
    txtExemplare->setAlignment(Qt::AlignRight);
    txtExemplare->setFixedWidth(txtExemplare->fontMetrics().horizontalAdvance(u'0') * 5 + 12);
    Label1->setBuddy(txtExemplare);
    row->addWidget(txtExemplare);
    cmdMinus = makeButton(Frame2, "cmdMinus", QStringLiteral("-"));
    cmdPlus = makeButton(Frame2, "cmdPlus", QStringLiteral("+"));
    for (QPushButton* b : {cmdMinus, cmdPlus}) {
        b->setAutoDefault(false);
        // The arrow keys of the field do their work, as with the arrows of a spin box.
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedWidth(b->sizeHint().height() + 4);
        row->addWidget(b);
    }
    cmdMinus->setAccessibleName(QStringLiteral("Ein Exemplar weniger"));
    cmdPlus->setAccessibleName(QStringLiteral("Ein Exemplar mehr"));
    row->addStretch();
    outer->addWidget(Frame2);

    auto* buttons = new QHBoxLayout;
    cmdDrucken = makeButton(this, "cmdDrucken", QStringLiteral("&Drucken"));
    cmdAbbrechen = makeButton(this, "cmdAbbrechen", QStringLiteral("Abbre&chen"));
    cmdHilfe = makeButton(this, "cmdHilfe", QStringLiteral("&Hilfe"));
    cmdDrucken->setDefault(true);
    cmdAbbrechen->setAutoDefault(false);
    cmdHilfe->setAutoDefault(false);
    buttons->addWidget(cmdDrucken);
    buttons->addWidget(cmdAbbrechen);
    buttons->addWidget(cmdHilfe);
    outer->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(txtExemplare, &QLineEdit::textChanged, this, [this] { txtExemplare_Change(); });
    connect(cmdMinus, &QPushButton::clicked, this, [this] { cmdMinus_Click(); });
    connect(cmdPlus, &QPushButton::clicked, this, [this] { cmdPlus_Click(); });
    new QShortcut(
        Qt::Key_Down, txtExemplare, [this] { cmdMinus_Click(); }, Qt::WidgetShortcut);
    new QShortcut(
        Qt::Key_Up, txtExemplare, [this] { cmdPlus_Click(); }, Qt::WidgetShortcut);
    connect(cmdDrucken, &QPushButton::clicked, this, [this] { cmdDrucken_Click(); });
    connect(cmdAbbrechen, &QPushButton::clicked, this, [this] { cmdAbbrechen_Click(); });
    connect(cmdHilfe, &QPushButton::clicked, this, [this] { cmdHilfe_Click(); });
    txtExemplare->selectAll();
}

int FrmDrucken::exemplare() const {
    return exemplareAusText(txtExemplare->text());
}

void FrmDrucken::txtExemplare_Change() {
    if (m_correcting)
        return;
    const QString corrected = QString::number(exemplare());
    if (corrected == txtExemplare->text())
        return;
    m_correcting = true;
    txtExemplare->setText(corrected);
    m_correcting = false;
}

void FrmDrucken::cmdMinus_Click() {
    const int n = exemplare();
    if (n > 1)
        txtExemplare->setText(QString::number(n - 1));
}

void FrmDrucken::cmdPlus_Click() {
    const int n = exemplare();
    if (n < mostCopies)
        txtExemplare->setText(QString::number(n + 1));
}

void FrmDrucken::cmdDrucken_Click() {
    m_state.druckerexemplare = exemplare();
    accept();
}

void FrmDrucken::cmdAbbrechen_Click() {
    reject();
}

void FrmDrucken::reject() {
    m_state.druckerexemplare = 0;
    QDialog::reject();
}

void FrmDrucken::cmdHilfe_Click() {
    MessageRequest m;
    m.buttons = Buttons::Ok;
    m.icon = Icon::None;
    m.text = QStringLiteral(
        "Unter Windows Vista bis Windows 11 kommt wegen eines Kompatibilitätsproblems immer nur "
        "ein einziges Exemplar aus dem Drucker, ganz gleich, wie viele Exemplare Sie im "
        "Drucker-Dialog eingestellt haben.\n\n"
        "Damit das Drucken von Windows 95 bis Windows 11 (und ebenso unter Linux) gleich "
        "funktioniert, wählen Sie die Anzahl der Exemplare hier in diesem Fenster. Jedes "
        "Exemplar wird als eigener Druckauftrag gedruckt.\n\n"
        "Die im Drucker-Dialog gewählte Anzahl spielt dabei keine Rolle.");
    m_services.message(m);
}

} // namespace natalix
