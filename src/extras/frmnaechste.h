#pragma once

#include "reminder/upcoming.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace natalix {

// "Nächste Geburtstage": the birthdays from today on over a range the user picks, in date
// order. It only shows them; what a chosen row does is up to its owner.
class FrmNaechste : public QDialog {
    Q_OBJECT
public:
    // `days`: 7, 30, 90 or 365.
    explicit FrmNaechste(int days, QWidget* parent = nullptr);

    int days() const;
    // dateDisplay 0 writes the date as 2026-1-1, any other value as 1.1.2026. The row chosen
    // before stays chosen while its record is listed; the same list again changes nothing
    // (a click that activates the window must find its row still there).
    void showBirthdays(const std::vector<UpcomingBirthday>& birthdays, double dateDisplay);

    QLabel* lblZeitraum = nullptr;
    QComboBox* cboZeitraum = nullptr;
    QTreeWidget* lstGeburtstage = nullptr;
    QLabel* lblHinweis = nullptr;
    QPushButton* cmdSchliessen = nullptr;

signals:
    void rangeChanged(int days);
    // A double-click or Enter on a row: the record with this bookmark.
    void recordChosen(qint64 bookmark);
    // The window became active again: what it shows may be out of date.
    void activated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void chooseCurrent();

    std::vector<UpcomingBirthday> m_shown;
    double m_shownDateDisplay = -1;
    int m_shownDays = 0;
};

} // namespace natalix
