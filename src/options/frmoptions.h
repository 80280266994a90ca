#pragma once

#include "ui/widgets.h"

#include <QDialog>
#include <QObject>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace natalix {

class FrmMain;

// "Optionen": the defaults of new records and the two date displays.
class FrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit FrmOptions(FrmMain& form);

    // Takes the dialog's values into effect and writes the options file.
    void optionenuebernehmen();
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
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

private:
    void Form_Load();
    FrmMain& m_form;
};

// "&Optionen..." of the main window's menu.
class OptionsCommands : public QObject {
    Q_OBJECT
public:
    explicit OptionsCommands(FrmMain& form);
    void mnuExtrasoptionen_Click();

private:
    FrmMain& m_form;
};

} // namespace natalix
