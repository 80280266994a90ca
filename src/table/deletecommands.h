#pragma once

#include <QObject>

namespace natalix {

class FrmMain;

// "Datensätze löschen...": deletes the selected records, or the current one.
class DeleteCommands : public QObject {
    Q_OBJECT
public:
    explicit DeleteCommands(FrmMain& form);

    void cmdDatensatzloeschen_Click();
    // Deletes the selection in selection order; with every record selected, the one
    // selected last stays as the blank record numbered 1. False when the store failed.
    bool datensaetzeloeschen();

private:
    FrmMain& m_form;
};

} // namespace natalix
