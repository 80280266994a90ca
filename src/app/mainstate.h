#pragma once

#include "options/options.h"

#include <QString>

namespace natalix {

// The main window's variables, named as the program's commands know them.
struct MainState {
    int dateiwurdegeaendert = 0; // 1: the list changed since it was loaded or saved
    QString dateinamemitpfad;    // the current list file, "" when the list has none
    int testengesperrt = 0;      // 1 while a command moves the current record itself
    int abgebrochen = 0;         // 1 when the last save was cancelled
    int einepositionvorher = 0;  // 0: not set yet, read as 1
    int aktuellesfeld = 0;       // 1 txtName, 2 cboTag, 3 cboMonat, 4 cboJahr, 0 none
    int starten = 0;             // 1 once the splash window has closed
    int programmbeenden = 0;     // 1 lets the main window close for good
    int alteposition = 0;
    int gewaehlt = 0; // answer of the last question
    int druckerexemplare = 0;
    int sortieren1 = 0;
    int sortieren2 = 0;
    int sortieren3 = 0;
    int sortieren4 = 0;
    int sortieren5 = 0;
    Options options;

    void setSortToggles(int s1, int s2, int s3, int s4, int s5) {
        sortieren1 = s1;
        sortieren2 = s2;
        sortieren3 = s3;
        sortieren4 = s4;
        sortieren5 = s5;
    }
};

// Holds testengesperrt at 1 for one command and always puts it back.
class LockRecordCheck {
public:
    explicit LockRecordCheck(MainState& s) : m_state(s), m_previous(s.testengesperrt) {
        s.testengesperrt = 1;
    }
    ~LockRecordCheck() { m_state.testengesperrt = m_previous; }
    LockRecordCheck(const LockRecordCheck&) = delete;
    LockRecordCheck& operator=(const LockRecordCheck&) = delete;

private:
    MainState& m_state;
    int m_previous;
};

} // namespace natalix
