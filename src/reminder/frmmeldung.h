#pragma once

#include <QDateTime>
#include <QDialog>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace natalix {

// The reminder window: the lines of one scan with the date and time it appeared.
class FrmMeldung : public QDialog {
    Q_OBJECT
public:
    // dateDisplay 0 writes the date as 2026-1-1, any other value as 1.1.2026.
    FrmMeldung(const QString& texterinnerungen, double dateDisplay, const QDateTime& now,
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

    // While it is open the program's other windows take no input, as under a modal window.
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sizeBox(const QString& shown);
    static bool holdsOff(QObject* watched, QEvent* event);
};

} // namespace natalix
