#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;

namespace natalix {

// A combo box that offers only the entries of its list.
QComboBox* makeListCombo(QWidget* parent, const char* name, const QStringList& items,
                         const QString& toolTip = QString());
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
// Selects the value in a list-only combo box. A value the list does not hold (from a list
// file or a hand-edited options file) is shown as one extra entry, so that it is neither
// hidden nor changed unasked.
void showInList(QComboBox* box, const QString& value);

struct Options;

// The five reminder settings of a record (three reminders, start, cycle) with their labels,
// as the options dialog and the bulk change lay them out.
struct ReminderSettingsFields {
    QLabel* lbl5 = nullptr;
    QLabel* lbl6 = nullptr;
    QLabel* lbl7 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbo1Erinnerung = nullptr;
    QComboBox* cbo2Erinnerung = nullptr;
    QComboBox* cbo3Erinnerung = nullptr;
    QComboBox* cboErinnerungsbeginn = nullptr;
    QComboBox* cboErinnerungszyklus = nullptr;

    // Fills `frame` with the lists; the tool tips differ between the two dialogs.
    void build(QGroupBox* frame, const QString& offsetTip, const QString& startTip,
               const QString& cycleTip);
    // Shows the defaults of new records.
    void preset(const Options& options);
};

} // namespace natalix
