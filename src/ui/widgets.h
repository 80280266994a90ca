#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QComboBox;
class QGroupBox;
class QLabel;
class QPoint;
class QRect;
class QScreen;
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

// The frame of a dialog of one size: a title and a close button, nothing to minimise or
// maximise.
Qt::WindowFlags fixedDialogFlags();
// Gives `dialog` that frame; a stay-on-top request it had stays. Call before it is shown.
void setFixedDialogFrame(QWidget* dialog);

// Shows long plain tool tips of every widget of the application as wrapped paragraphs,
// narrow enough for any screen; toolTip() keeps its text. Called once, by the window's start.
void installToolTipWrapping();
// A tool tip as the wrapping shows it: rich text for a long plain one, else unchanged.
QString wrappedToolTip(const QString& toolTip);

// A caption as it reads, without the mark of its access key: "&Name:" reads "Name:".
QString withoutAccessKey(const QString& caption);

// Where the platform's style draws a faint focus frame (Fusion: a pale grey line, and a
// focused button takes the default button's outline), draws a clear one in the highlight
// colour. Called once, by the main window.
void installFocusFrame();

// Where a window with this frame lies on the screen's free area: where it is, moved in just
// as far as needed, to the free area's top-left corner when it is larger.
QPoint placeOnScreen(const QRect& frame, const QScreen* screen);

// The name a screen reader gives an input, also to the text field of an editable combo box.
void setInputName(QWidget* input, const QString& name);
// The names a screen reader gives the five reminder settings of a record, as their labels
// say ("1. Erinnerung" ... "Beginn der Erinnerungen", "Zyklus der Erinnerungen").
void setReminderAccessibleNames(QComboBox* first, QComboBox* second, QComboBox* third,
                                QComboBox* start, QComboBox* cycle);

struct Options;

// The five reminder settings of a record (three reminders, start, cycle) with their labels,
// as the options dialog and the bulk change lay them out.
struct ReminderSettingsFields {
    QLabel* lbl5 = nullptr;
    QLabel* lbl6 = nullptr;
    QLabel* lbl7 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblZyklus = nullptr;
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
