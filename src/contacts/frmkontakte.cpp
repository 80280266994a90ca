#include "contacts/frmkontakte.h"

#include "table/birthyear.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace natalix {

namespace {

enum Column { NameColumn, DateColumn, NoteColumn };
constexpr int planRowRole = Qt::UserRole;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

QString birthDateText(int jahr, int monat, int tag, double dateDisplay) {
    const bool known = jahr != unknownYear;
    if (dateDisplay == 0)
        return known ? QStringLiteral("%1-%2-%3").arg(jahr).arg(monat).arg(tag)
                     : QStringLiteral("%1-%2").arg(monat).arg(tag);
    return known ? QStringLiteral("%1.%2.%3").arg(tag).arg(monat).arg(jahr)
                 : QStringLiteral("%1.%2.").arg(tag).arg(monat);
}

FrmKontakte::FrmKontakte(const ImportPlan& plan, int total, double dateDisplay, QWidget* parent)
    : QDialog(parent), m_plan(plan) {
    setObjectName(QStringLiteral("frmKontakte"));
    setWindowTitle(QStringLiteral("Kontakte importieren"));
    auto* outer = new QVBoxLayout(this);

    lblHinweis = new QLabel(this);
    lblHinweis->setObjectName(QStringLiteral("lblHinweis"));
    lblHinweis->setWordWrap(true);
    QString hint = QStringLiteral("Die &angehakten Geburtstage werden an die Liste angehängt. "
                                  "Was schon in der Liste steht, ist nicht angehakt.");
    if (plan.withoutBirthday > 0)
        hint += QStringLiteral(" %1 von %2 Kontakten haben kein lesbares Geburtsdatum und "
                               "fehlen hier.")
                    .arg(plan.withoutBirthday)
                    .arg(total);
    lblHinweis->setText(hint);
    outer->addWidget(lblHinweis);

    lstKontakte = new QTreeWidget(this);
    lstKontakte->setObjectName(QStringLiteral("lstKontakte"));
    lstKontakte->setRootIsDecorated(false);
    lstKontakte->setUniformRowHeights(true);
    lstKontakte->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Geburtsdatum"), QStringLiteral("Hinweis")});
    for (size_t i = 0; i < plan.rows.size(); ++i) {
        const ImportRow& row = plan.rows[i];
        if (row.outcome == ImportRow::Outcome::NoBirthday)
            continue;
        const Record& r = row.record;
        const bool duplicate = row.outcome == ImportRow::Outcome::Duplicate;
        QStringList notes;
        if (duplicate)
            notes << QStringLiteral("schon in der Liste");
        else if (r.jahr == unknownYear)
            notes << QStringLiteral("Geburtsjahr unbekannt");
        // The list holds 40 characters of a name: what it will keep, and that it is cut.
        const bool cut = !row.uncutName.isEmpty();
        if (cut)
            notes << QStringLiteral("Name auf 40 Zeichen gekürzt");
        auto* item =
            new QTreeWidgetItem(lstKontakte, {cut ? r.name + QStringLiteral("…") : r.name,
                                              birthDateText(r.jahr, r.monat, r.tag, dateDisplay),
                                              notes.join(QStringLiteral(", "))});
        if (cut)
            item->setToolTip(NameColumn, row.uncutName);
        item->setData(NameColumn, planRowRole, static_cast<int>(i));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(NameColumn, duplicate ? Qt::Unchecked : Qt::Checked);
        if (duplicate)
            for (int c = NameColumn; c <= NoteColumn; ++c)
                item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
        ++m_offered;
    }
    lstKontakte->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    lstKontakte->header()->setStretchLastSection(false);
    lstKontakte->resizeColumnToContents(DateColumn);
    lstKontakte->resizeColumnToContents(NoteColumn);
    lblHinweis->setBuddy(lstKontakte);
    outer->addWidget(lstKontakte, 1);

    lblAnzahl = new QLabel(this);
    lblAnzahl->setObjectName(QStringLiteral("lblAnzahl"));
    outer->addWidget(lblAnzahl);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdUebernehmen = makeButton(this, "cmdUebernehmen", QStringLiteral("&Übernehmen"));
    cmdUebernehmen->setDefault(true);
    cmdAbbrechen = makeButton(this, "cmdAbbrechen", QStringLiteral("Abbre&chen"));
    buttons->addWidget(cmdUebernehmen);
    buttons->addWidget(cmdAbbrechen);
    outer->addLayout(buttons);
    connect(cmdUebernehmen, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstKontakte, &QTreeWidget::itemChanged, this, &FrmKontakte::countChosen);

    countChosen();
    resize(560, 420);
}

std::vector<bool> FrmKontakte::chosen() const {
    std::vector<bool> out(m_plan.rows.size(), false);
    for (int i = 0; i < lstKontakte->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lstKontakte->topLevelItem(i);
        if (item->checkState(NameColumn) == Qt::Checked)
            out[static_cast<size_t>(item->data(NameColumn, planRowRole).toInt())] = true;
    }
    return out;
}

int FrmKontakte::chosenCount() const {
    int n = 0;
    for (int i = 0; i < lstKontakte->topLevelItemCount(); ++i)
        n += lstKontakte->topLevelItem(i)->checkState(NameColumn) == Qt::Checked ? 1 : 0;
    return n;
}

void FrmKontakte::countChosen() {
    const int n = chosenCount();
    lblAnzahl->setText(
        QStringLiteral("%1 von %2 Geburtstagen werden übernommen.").arg(n).arg(m_offered));
}

} // namespace natalix
