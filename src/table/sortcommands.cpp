#include "table/sortcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/cursor.h"
#include "table/gridselection.h"

namespace natalix {

SortCommands::SortCommands(const CommandContext& context) : m_ctx(context) {}

void SortCommands::sortBy(SortBy key) {
    m_ctx.form.datensatzpruefen();
    m_ctx.grid.clearSelection();
    MainState& s = m_ctx.state;
    int* toggles[5] = {&s.sortieren1, &s.sortieren2, &s.sortieren3, &s.sortieren4, &s.sortieren5};
    int& toggle = *toggles[static_cast<int>(key)];
    // A second click on the same key sorts the other way.
    const SortChoice c = sortChoice(key, toggle != 0);
    m_ctx.grid.sortTable(c.expression, c.caption);
    const int next = 1 - toggle;
    for (int* t : toggles)
        *t = 0;
    toggle = next;
}

void SortCommands::cmdSortierennachnummer_Click() {
    sortBy(SortBy::Nummer);
}

void SortCommands::cmdSortierennachnamen_Click() {
    sortBy(SortBy::Name);
}

void SortCommands::cmdSortierennachjahr_Click() {
    sortBy(SortBy::Jahr);
}

void SortCommands::cmdSortierennachmonat_Click() {
    sortBy(SortBy::Monat);
}

void SortCommands::cmdSortierennachtag_Click() {
    sortBy(SortBy::Tag);
}

void SortCommands::DataGrid1_HeadClick(int column) {
    switch (column) {
    case 0:
        cmdSortierennachnummer_Click();
        break;
    case 1:
        cmdSortierennachnamen_Click();
        break;
    case 2:
        cmdSortierennachjahr_Click();
        break;
    case 3:
        cmdSortierennachmonat_Click();
        break;
    case 4:
        cmdSortierennachtag_Click();
        break;
    default:
        break;
    }
}

void sortByNumberAfterReload(const CommandContext& context) {
    context.grid.sortTable(QStringLiteral("Nummer ASC"), caption::byNumberAscending());
    context.state.setSortToggles(1, 0, 0, 0, 0);
}

SelectionCommands::SelectionCommands(const CommandContext& context) : m_ctx(context) {}

void SelectionCommands::mnuBearbeitenalledatensaetzemarkieren_Click() {
    mnuBearbeitenmarkierungenloeschen_Click();
    MainState& s = m_ctx.state;
    LockRecordCheck lock(s);
    Cursor& c = m_ctx.cursor;
    s.alteposition = c.absolutePosition();
    c.moveFirst();
    {
        GridSelection::Batch batch(m_ctx.grid.selection());
        for (int n = 0; n < c.recordCount(); ++n)
            m_ctx.grid.selection().add(c.bookmarkAt(n));
    }
    c.moveFirst();
    c.setAbsolutePosition(s.alteposition);
    m_ctx.grid.syncGridToCursor();
}

void SelectionCommands::mnuBearbeitenmarkierungenloeschen_Click() {
    LockRecordCheck lock(m_ctx.state);
    GridSelection::Batch batch(m_ctx.grid.selection());
    const int n = m_ctx.grid.selection().count();
    for (int i = 0; i < n; ++i)
        m_ctx.grid.selection().removeFirst();
}

} // namespace natalix
