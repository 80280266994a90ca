#pragma once

#include <QObject>
#include <QString>

namespace natalix {

class FrmMain;

// "&Wochentag ausgeben": the weekday of the current record's birth date.
class WeekdayCommand : public QObject {
    Q_OBJECT
public:
    explicit WeekdayCommand(FrmMain& form);
    void mnuWochentagausgeben_Click();

    // Kept after the command, as the main window's variables are.
    int tagegesamt = 0;
    int wochentag = 0;
    QString wochentagzeichen;

private:
    FrmMain& m_form;
};

} // namespace natalix
