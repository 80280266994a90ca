#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace natalix {

struct MainState;
class Services;

// The number in the copies box for any text typed or pasted into it: the whole part of its
// leading number without sign, 1 for no number or 0, at most 999.
int exemplareAusText(const QString& text);

// The copies dialog. It leaves the number of copies in druckerexemplare, 0 when cancelled.
class FrmDrucken : public QDialog {
    Q_OBJECT
public:
    FrmDrucken(MainState& state, Services& services, QWidget* parent = nullptr);

    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtExemplare = nullptr;
    QPushButton* cmdMinus = nullptr;
    QPushButton* cmdPlus = nullptr;
    QPushButton* cmdDrucken = nullptr;
    QPushButton* cmdAbbrechen = nullptr;
    QPushButton* cmdHilfe = nullptr;

    void txtExemplare_Change();
    void cmdMinus_Click();
    void cmdPlus_Click();
    void cmdDrucken_Click();
    void cmdAbbrechen_Click();
    void cmdHilfe_Click();

    // Closing by the window frame or Escape counts as Abbrechen.
    void reject() override;

private:
    int exemplare() const;

    MainState& m_state;
    Services& m_services;
    bool m_correcting = false;
};

} // namespace natalix
