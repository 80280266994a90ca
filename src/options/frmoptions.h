#pragma once

#include "ui/widgets.h"

#include <QDialog>
#include <QObject>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace natalix {

struct CommandContext;
class SyncSettingsPage;

// "Optionen": the defaults of new records and the two date displays.
class FrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit FrmOptions(const CommandContext& context);

    // Takes the dialog's values into effect and writes the options file; false when the
    // account page refused its input (it says why, the dialog stays open).
    bool optionenuebernehmen();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdApply_Click();

    QGroupBox* Frame1 = nullptr;
    QRadioButton* optOptionalteanzeigehauptfenster = nullptr;
    QRadioButton* optOptionneueanzeigehauptfenster = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* optOptionalteanzeigedrucken = nullptr;
    QRadioButton* optOptionneueanzeigedrucken = nullptr;
    QGroupBox* Frame2 = nullptr;
    ReminderSettingsFields settings; // in Frame2
    QGroupBox* Frame4 = nullptr;     // the desktop: autostart, notifications
    QCheckBox* chkAutostart = nullptr;
    QCheckBox* chkBenachrichtigungen = nullptr;
    QTabWidget* tabs = nullptr; // "Allgemein", and "Adressbuch und Kalender" where synced
    SyncSettingsPage* syncPage = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

private:
    void Form_Load();
    void applyDesktopSettings();
    const CommandContext& m_ctx;
};

// "&Optionen..." of the main window's menu.
class OptionsCommands : public QObject {
    Q_OBJECT
public:
    OptionsCommands(const CommandContext& context, QObject* parent);
    void mnuExtrasoptionen_Click();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
