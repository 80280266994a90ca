#pragma once

#include <QString>

#include <functional>

class QComboBox;
class QLineEdit;
class QWidget;

namespace natalix {

class Cursor;
class GridSelection;
class ReminderCore;
class Services;
class SettingsStore;
struct DataDir;
struct MainState;

// What the commands need of the main window, each in a narrow view of its own.

// The edit fields of the current record.
class RecordForm {
public:
    // The record check before a command acts on the table or the current record.
    virtual void datensatzpruefen() = 0;
    // The edit fields show the current record again.
    virtual void showRecord() = 0;
    // Lays out the three date boxes for the main window's date display option.
    virtual void datumsanzeigeeinstellen() = 0;
    virtual QLineEdit* nameBox() const = 0;
    virtual QComboBox* yearBox() const = 0;
    virtual QComboBox* monthBox() const = 0;
    virtual QComboBox* dayBox() const = 0;
    // Text written into an edit field by the program becomes a pending change, as typed.
    virtual void setNameText(const QString& text) = 0;
    virtual void setDateBoxText(QComboBox* box, const QString& text) = 0;
    // The buttons of "Steuerung" work (not while a list loads).
    virtual bool controlsEnabled() const = 0;

protected:
    ~RecordForm() = default;
};

// The grid: its caption, its order and its selected rows.
class GridView {
public:
    virtual void setGridCaption(const QString& caption) = 0;
    virtual QString gridCaption() const = 0;
    // Sets the sort expression and the caption that names it.
    virtual void sortTable(const QString& expression, const QString& caption) = 0;
    // Makes the grid's current row follow the cursor without running the row change.
    virtual void syncGridToCursor() = 0;
    virtual GridSelection& selection() = 0;
    // "&Markierungen löschen".
    virtual void clearSelection() = 0;

protected:
    ~GridView() = default;
};

// The busy display while a list is loaded or emptied.
class BusyDisplay {
public:
    virtual void enterBusyDisplay(int total, const QString& operation) = 0;
    virtual void showProgress(int counter, int total, const QString& ending) = 0;
    virtual void leaveBusyDisplay() = 0;
    virtual bool isBusy() const = 0;

protected:
    ~BusyDisplay() = default;
};

// Everything a command group is given: the program's state and data, the platform's
// services and the narrow views of the main window. `window` is the main window only as a
// window (a dialog's parent, shown or hidden), never its controls.
struct CommandContext {
    MainState& state;
    Cursor& cursor;
    Services& services;
    SettingsStore& settings;
    const DataDir& dataDir;
    RecordForm& form;
    GridView& grid;
    BusyDisplay& busy;
    ReminderCore& reminders;
    QWidget& window;
    // A command that reports a failed write itself spares the user the general message.
    std::function<void()> storeFailureHandled;
};

} // namespace natalix
