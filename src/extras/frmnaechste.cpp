#include "extras/frmnaechste.h"

#include "ui/widgets.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace natalix {

namespace {
constexpr int bookmarkRole = Qt::UserRole;
enum Column { DateColumn, WhenColumn, NameColumn, AgeColumn };
} // namespace

FrmNaechste::FrmNaechste(int days, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNaechste"));
    setWindowTitle(QStringLiteral("Nächste Geburtstage"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Closing it while the main window is hidden must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    QStringList ranges;
    for (int range : upcomingRanges)
        ranges << QStringLiteral("%1 Tage").arg(range);
    cboZeitraum = makeListCombo(this, "cboZeitraum", ranges);
    cboZeitraum->setAccessibleName(QStringLiteral("Zeitraum"));
    for (int i = 0; i < cboZeitraum->count(); ++i)
        cboZeitraum->setItemData(i, upcomingRanges[i]);
    cboZeitraum->setCurrentIndex(cboZeitraum->findData(upcomingRange(days)));
    lblZeitraum = makeLabel(this, "lblZeitraum", QStringLiteral("&Zeitraum:"));
    lblZeitraum->setBuddy(cboZeitraum);
    connect(cboZeitraum, &QComboBox::activated, this, [this] { emit rangeChanged(this->days()); });

    lstGeburtstage = new QTreeWidget(this);
    lstGeburtstage->setObjectName(QStringLiteral("lstGeburtstage"));
    lstGeburtstage->setAccessibleName(QStringLiteral("Nächste Geburtstage"));
    lstGeburtstage->setHeaderLabels({QStringLiteral("Datum"), QStringLiteral("Wann"),
                                     QStringLiteral("Name"), QStringLiteral("Alter")});
    lstGeburtstage->setRootIsDecorated(false);
    lstGeburtstage->setUniformRowHeights(true);
    lstGeburtstage->setAllColumnsShowFocus(true);
    lstGeburtstage->setSelectionMode(QAbstractItemView::SingleSelection);
    lstGeburtstage->header()->setStretchLastSection(false);
    lstGeburtstage->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    lstGeburtstage->installEventFilter(this);
    connect(lstGeburtstage, &QTreeWidget::itemDoubleClicked, this, &FrmNaechste::chooseCurrent);

    QLabel* lblGeburtstage = makeLabel(this, "lblGeburtstage", QStringLiteral("&Geburtstage:"));
    lblGeburtstage->setBuddy(lstGeburtstage);

    lblHinweis = makeLabel(this, "lblHinweis", QString());
    cmdSchliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    cmdSchliessen->setObjectName(QStringLiteral("cmdSchliessen"));
    // Enter belongs to the list: it chooses a row, it does not close the window.
    cmdSchliessen->setAutoDefault(false);
    connect(cmdSchliessen, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(lblZeitraum);
    top->addWidget(cboZeitraum);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblHinweis, 1);
    bottom->addWidget(cmdSchliessen);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblGeburtstage);
    layout->addWidget(lstGeburtstage, 1);
    layout->addLayout(bottom);
    resize(540, 380);
}

int FrmNaechste::days() const {
    return upcomingRange(cboZeitraum->currentData().toInt());
}

void FrmNaechste::showBirthdays(const std::vector<UpcomingBirthday>& birthdays,
                                double dateDisplay) {
    if (birthdays == m_shown && dateDisplay == m_shownDateDisplay && days() == m_shownDays)
        return;
    m_shown = birthdays;
    m_shownDateDisplay = dateDisplay;
    m_shownDays = days();
    const QTreeWidgetItem* current = lstGeburtstage->currentItem();
    const qint64 chosen = current ? current->data(DateColumn, bookmarkRole).toLongLong() : 0;
    lstGeburtstage->clear();
    QList<QTreeWidgetItem*> items;
    QTreeWidgetItem* again = nullptr;
    for (const UpcomingBirthday& b : birthdays) {
        auto* item = new QTreeWidgetItem(
            {displayDate(b.date, dateDisplay), daysAheadText(b.daysAhead), b.name, ageText(b.age)});
        item->setData(DateColumn, bookmarkRole, b.bookmark);
        item->setTextAlignment(AgeColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (chosen != 0 && b.bookmark == chosen && !again)
            again = item;
        items << item;
    }
    lstGeburtstage->addTopLevelItems(items);
    for (int c : {DateColumn, WhenColumn, AgeColumn})
        lstGeburtstage->resizeColumnToContents(c);
    if (again)
        lstGeburtstage->setCurrentItem(again);
    lblHinweis->setText(
        birthdays.empty()
            ? QStringLiteral("Keine Geburtstage in den nächsten %1 Tagen.").arg(days())
            : QString());
}

void FrmNaechste::chooseCurrent() {
    if (const QTreeWidgetItem* item = lstGeburtstage->currentItem())
        emit recordChosen(item->data(DateColumn, bookmarkRole).toLongLong());
}

bool FrmNaechste::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstGeburtstage && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool FrmNaechste::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        emit activated();
    return QDialog::event(event);
}

} // namespace natalix
