#pragma once

#include "contacts/contactimport.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace natalix {

// How the preview and the main window write a birth date: 2025-8-15 for the date display 0,
// 15.8.2025 otherwise; without the year when it is unknown (8-15, 15.8.).
QString birthDateText(int jahr, int monat, int tag, double dateDisplay);

// The preview of a contacts import: one row per contact with a birthday, each with a check
// box; what the list already holds is marked and not checked. Leaves the choice for the plan.
class FrmKontakte : public QDialog {
    Q_OBJECT
public:
    FrmKontakte(const ImportPlan& plan, int total, double dateDisplay, QWidget* parent = nullptr);

    // One entry per row of the plan: true for the rows to be added.
    std::vector<bool> chosen() const;
    int chosenCount() const;

    QLabel* lblHinweis = nullptr;
    QTreeWidget* lstKontakte = nullptr;
    QLabel* lblAnzahl = nullptr;
    QPushButton* cmdUebernehmen = nullptr;
    QPushButton* cmdAbbrechen = nullptr;

private:
    void countChosen();

    const ImportPlan& m_plan;
    int m_offered = 0;
};

} // namespace natalix
