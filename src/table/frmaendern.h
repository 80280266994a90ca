#pragma once

#include "ui/widgets.h"

#include <QDialog>
#include <QObject>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace natalix {

struct CommandContext;

// "Mehrere Datensätze ändern": one set of reminder settings for every selected record.
class FrmAendern : public QDialog {
    Q_OBJECT
public:
    explicit FrmAendern(const CommandContext& context);

    void cmdOK_Click();
    void cmdCancel_Click();

    QGroupBox* Frame2 = nullptr;
    ReminderSettingsFields settings; // in Frame2
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load();
    // Writes the chosen settings into the selected records; false when the store failed.
    bool changeSelectedRecords();
    const CommandContext& m_ctx;
};

// "Datensätze ändern..." of the main window.
class BulkChangeCommands : public QObject {
    Q_OBJECT
public:
    BulkChangeCommands(const CommandContext& context, QObject* parent);
    void cmdDatensaetzeaendern_Click();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
