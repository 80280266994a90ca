#include "table/sortcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/cursor.h"
#include "table/gridselection.h"

namespace natalix {

SortCommands::SortCommands(const CommandContext& context) : m_ctx(context) {}

void SortCommands::sortBy(int key, const char16_t* ascending, const char16_t* ascendingCaption,
                          const char16_t* descending, const char16_t* descendingCaption) {
    m_ctx.form.datensatzpruefen();
    m_ctx.grid.clearSelection();
    MainState& s = m_ctx.state;
    int* toggles[5] = {&s.sortieren1, &s.sortieren2, &s.sortieren3, &s.sortieren4, &s.sortieren5};
    int& toggle = *toggles[key];
    if (toggle == 0)
        m_ctx.grid.sortTable(QString::fromUtf16(ascending), QString::fromUtf16(ascendingCaption));
    else
        m_ctx.grid.sortTable(QString::fromUtf16(descending), QString::fromUtf16(descendingCaption));
    const int next = 1 - toggle;
    for (int* t : toggles)
        *t = 0;
    toggle = next;
}

void SortCommands::cmdSortierennachnummer_Click() {
    sortBy(0, u"Nummer ASC", u"Alle Datensätze - sortiert nach Nr. - aufsteigend", u"Nummer DESC",
           u"Alle Datensätze - sortiert nach Nr. - absteigend");
}

void SortCommands::cmdSortierennachnamen_Click() {
    sortBy(1, u"Name ASC", u"Alle Datensätze - sortiert nach Namen - aufsteigend", u"Name DESC",
           u"Alle Datensätze - sortiert nach Namen - absteigend");
}

void SortCommands::cmdSortierennachjahr_Click() {
    sortBy(2, u"Jahr ASC,Monat ASC,Tag ASC", u"Alle Datensätze - sortiert nach Jahr - aufsteigend",
           u"Jahr DESC,Monat DESC,Tag DESC", u"Alle Datensätze - sortiert nach Jahr - absteigend");
}

void SortCommands::cmdSortierennachmonat_Click() {
    sortBy(3, u"Monat ASC,Tag ASC", u"Alle Datensätze - sortiert nach Monat - aufsteigend",
           u"Monat DESC,Tag DESC", u"Alle Datensätze - sortiert nach Monat - absteigend");
}

void SortCommands::cmdSortierennachtag_Click() {
    sortBy(4, u"Tag ASC", u"Alle Datensätze - sortiert nach Tag - aufsteigend", u"Tag DESC",
           u"Alle Datensätze - sortiert nach Tag - absteigend");
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
