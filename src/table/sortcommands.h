#pragma once

#include "table/sortexpression.h"

#include <QString>

namespace natalix {

struct CommandContext;

// Captions of the grid naming the order in force.
namespace caption {
inline QString byNumberAscending() {
    return sortChoice(SortBy::Nummer, false).caption;
}
inline QString byMonthAscending() {
    return sortChoice(SortBy::Monat, false).caption;
}
} // namespace caption

// The five sort buttons and the header clicks; each key toggles between the two directions.
class SortCommands {
public:
    explicit SortCommands(const CommandContext& context);

    void cmdSortierennachnummer_Click();
    void cmdSortierennachnamen_Click();
    void cmdSortierennachjahr_Click();
    void cmdSortierennachmonat_Click();
    void cmdSortierennachtag_Click();
    void DataGrid1_HeadClick(int column);

private:
    void sortBy(SortBy key);
    const CommandContext& m_ctx;
};

// Sort by number, ascending, with the toggles as after a first click on "Nummer".
void sortByNumberAfterReload(const CommandContext& context);

// "&Alle Datensätze markieren" and "&Markierungen löschen".
class SelectionCommands {
public:
    explicit SelectionCommands(const CommandContext& context);
    void mnuBearbeitenalledatensaetzemarkieren_Click();
    void mnuBearbeitenmarkierungenloeschen_Click();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
