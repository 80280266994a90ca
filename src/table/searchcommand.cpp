#include "table/searchcommand.h"

#include "app/formparts.h"
#include "table/cursor.h"
#include "ui/services.h"

#include <algorithm>

namespace natalix {

SearchCommand::SearchCommand(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SearchCommand"));
}

namespace {

// The 0-based row of the first name containing `text` (folded), after `afterRow` and
// wrapping to the top; -1 when there is none.
int nextRowWithName(const Cursor& cursor, const QString& text, int afterRow) {
    const QString wanted = foldText(text);
    const int count = cursor.recordCount();
    for (int step = 1; step <= count; ++step) {
        const int row = (std::max(afterRow, -1) + step) % count;
        if (foldText(cursor.rowAt(row).name).contains(wanted))
            return row;
    }
    return -1;
}

} // namespace

void SearchCommand::mnuBearbeitensuchen_Click() {
    InputRequest ask;
    ask.prompt = QStringLiteral("Gesuchter Name (oder ein Teil davon):");
    ask.title = QStringLiteral("Suchen");
    ask.text = gesuchtertext;
    const std::optional<QString> text = m_ctx.services.inputText(ask);
    if (!text || text->isEmpty())
        return;
    gesuchtertext = *text;

    // The record being edited is checked and stored before the search leaves it; its name
    // is searched as corrected.
    m_ctx.form.datensatzpruefen();
    Cursor& c = m_ctx.cursor;
    const int row = nextRowWithName(c, *text, c.absolutePosition() - 1);
    if (row < 0) {
        MessageRequest m;
        m.text = QStringLiteral("Kein Name enthält „%1“.").arg(*text);
        m.title = QStringLiteral("Suchen");
        m.icon = Icon::Exclamation;
        m_ctx.services.message(m);
        return;
    }
    // A record that cannot be stored is not left (the store reports why).
    c.setAbsolutePosition(row + 1);
}

} // namespace natalix
