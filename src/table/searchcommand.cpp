#include "table/searchcommand.h"

#include "app/formparts.h"
#include "table/cursor.h"
#include "table/entryrules.h"
#include "ui/services.h"

namespace natalix {

SearchCommand::SearchCommand(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SearchCommand"));
}

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
    QStringList names;
    for (int r = 0; r < c.recordCount(); ++r)
        names << c.rowAt(r).name;
    const int row = nextRowWithName(names, *text, c.absolutePosition() - 1);
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
