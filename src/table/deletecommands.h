#pragma once

#include <QObject>

namespace natalix {

struct CommandContext;

// "Datensätze löschen...": deletes the selected records, or the current one.
class DeleteCommands : public QObject {
    Q_OBJECT
public:
    DeleteCommands(const CommandContext& context, QObject* parent);

    void cmdDatensatzloeschen_Click();
    // Deletes the selection in selection order; with every record selected, the one
    // selected last stays as the blank record numbered 1. False when the store failed.
    bool datensaetzeloeschen();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
