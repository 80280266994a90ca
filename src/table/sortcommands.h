#pragma once

#include <QString>

namespace natalix {

class FrmMain;

// Captions of the grid naming the order in force.
namespace caption {
inline QString byNumberAscending() {
    return QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend");
}
inline QString byMonthAscending() {
    return QStringLiteral("Alle Datensätze - sortiert nach Monat - aufsteigend");
}
} // namespace caption

// The five sort buttons and the header clicks; each key toggles between the two directions.
class SortCommands {
public:
    explicit SortCommands(FrmMain& form);

    void cmdSortierennachnummer_Click();
    void cmdSortierennachnamen_Click();
    void cmdSortierennachjahr_Click();
    void cmdSortierennachmonat_Click();
    void cmdSortierennachtag_Click();
    void DataGrid1_HeadClick(int column);

    // Sort by number, ascending, with the toggles as after a first click on "Nummer".
    void sortByNumberAfterReload();

private:
    void sortBy(int key, const char16_t* ascending, const char16_t* ascendingCaption,
                const char16_t* descending, const char16_t* descendingCaption);
    FrmMain& m_form;
};

// "&Alle Datensätze markieren" and "&Markierungen löschen".
class SelectionCommands {
public:
    explicit SelectionCommands(FrmMain& form);
    void mnuBearbeitenalledatensaetzemarkieren_Click();
    void mnuBearbeitenmarkierungenloeschen_Click();

private:
    FrmMain& m_form;
};

} // namespace natalix
