#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace natalix {

class FrmMain;

// The start window: a picture and the version, three one-second ticks, then the main window.
class FrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit FrmSplash(FrmMain& main);

    QLabel* lblVersion = nullptr;
    QTimer* Timer1 = nullptr;
    int countdown() const { return m_countdown; }

    static QPixmap picture();
    void Timer1_Timer();

private:
    FrmMain& m_main;
    int m_countdown = 3;
};

} // namespace natalix
