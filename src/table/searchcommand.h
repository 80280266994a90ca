#pragma once

#include <QObject>
#include <QString>

namespace natalix {

struct CommandContext;

// "&Suchen...": the next record, after the current one in the grid's order and wrapping to
// the top, whose name contains a text, folded as sorting folds it (case, ä = a, ß = ss).
class SearchCommand : public QObject {
    Q_OBJECT
public:
    SearchCommand(const CommandContext& context, QObject* parent);
    void mnuBearbeitensuchen_Click();

    // Offered again at the next search.
    QString gesuchtertext;

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
