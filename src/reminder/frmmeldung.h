#pragma once

#include <QDateTime>
#include <QDialog>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace natalix {

// The reminder window: the lines of one scan with the date and time they appeared. Modal to
// the program's other windows, in front of every window, with the keyboard; keys typed in its
// first second are held back, so that an Enter meant for another program cannot dismiss it
// unseen. It grows with its lines up to most of the screen's height, then scrolls.
class FrmMeldung : public QDialog {
    Q_OBJECT
public:
    // dateDisplay 0 writes the date as 2026-1-1, any other value as 1.1.2026.
    FrmMeldung(const QString& texterinnerungen, double dateDisplay, const QDateTime& shown,
               QWidget* parent = nullptr);

    QGroupBox* Frame2 = nullptr;
    QLabel* label0 = nullptr;
    QLabel* lblDatum = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblZeit = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPlainTextEdit* txtErinnerung = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Picture1 = nullptr;

    static QString dateText(const QDate& date, double dateDisplay);
    static QString timeText(const QTime& time);

    // How long after it appeared keys are held back.
    static constexpr int keyGuardMs = 1000;
    bool keysHeldBack() const { return m_keysHeldBack; }

    // Comes to the front with the keyboard.
    void bringToFront();

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sizeToLines(const QString& shown);
    bool m_keysHeldBack = true;
    bool m_guardStarted = false;
};

} // namespace natalix
