#pragma once

#include "app/datadir.h"
#include "app/mainstate.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;

namespace natalix {

class Cursor;
class GridModel;
class GridSelection;
class Services;
class SortCommands;
class SelectionCommands;
class EntryCommands;
class DeleteCommands;
class ClipboardCommands;
class BulkChangeCommands;
class OptionsCommands;
class ExtrasCommands;
class ReminderCommands;
class ListFileCommands;
class PrintCommands;
class ReminderCore;

// What the main window needs from the running program.
struct MainContext {
    Services& services;
    Cursor& cursor;
    SettingsStore& settings;
    DataDir dataDir;
    Options options;
    bool autoStart = false;
};

// The main window: the grid, the record form, the menus and the two timers. The commands
// live in their own classes; this window builds the controls and wires them.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(const MainContext& context, QWidget* parent = nullptr);
    ~FrmMain() override;

    MainState& state() { return m_state; }
    Cursor& adoDaten() { return m_cursor; }
    Services& services() { return m_services; }
    SettingsStore& settings() { return m_settings; }
    const DataDir& dataDir() const { return m_dataDir; }
    GridSelection& selection() { return *m_selection; }
    bool autoStart() const { return m_autoStart; }

    // The record check before a command acts on the table or the current record.
    void datensatzpruefen();
    // Lays out the three date boxes for the main window's date display option.
    void datumsanzeigeeinstellen();
    void setGridCaption(const QString& caption);
    QString gridCaption() const;
    // Sets the sort expression and the caption that names it.
    void sortTable(const QString& expression, const QString& caption);
    // The edit fields show the current record again.
    void showRecord();
    // Makes the grid's current row follow the cursor without running the row change.
    void syncGridToCursor();
    // The access check before a scan: retries with a message until the database opens.
    void zugriffpruefen();
    // Text written into an edit field by the program becomes a pending change, as typed.
    void setNameText(const QString& text);
    void setDateBoxText(QComboBox* box, const QString& text);
    // The busy display while a list is loaded or emptied.
    void enterBusyDisplay(int total, const QString& operation);
    void showProgress(int counter, int total, const QString& ending);
    void leaveBusyDisplay();
    bool isBusy() const;
    // A command that reports a failed write itself spares the user the general message.
    void storeFailureHandled();
    // On the way out without a word (logging out): the record being edited is checked and
    // stored.
    void storePendingEdit();
    // The reminders of the running program (set up by the reminder commands).
    ReminderCore& reminders() { return *reminderCore; }
    ReminderCore* reminderCore = nullptr;

    // Controls, under the names the program's commands use.
    QLabel* DataGrid1Caption = nullptr;
    QTableView* DataGrid1 = nullptr;
    QWidget* adoDatenBar = nullptr;
    QToolButton* cmdAuswahlErster = nullptr;
    QToolButton* cmdAuswahlVorher = nullptr;
    QToolButton* cmdAuswahlNaechster = nullptr;
    QToolButton* cmdAuswahlLetzter = nullptr;
    QGroupBox* fraDatensaetze = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* lblDatensatzvorgang = nullptr;
    QLabel* lblDatensatzfortschritt = nullptr;

    QGroupBox* fraFrame1 = nullptr;
    QLabel* lblNummer = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* lblJahrmonattag = nullptr;
    QComboBox* cboJahr = nullptr;
    QComboBox* cboMonat = nullptr;
    QComboBox* cboTag = nullptr;
    QLabel* lbl3 = nullptr;
    QLabel* lbl4 = nullptr;
    QComboBox* cboErsteerinnerung = nullptr;
    QComboBox* cboZweiteerinnerung = nullptr;
    QComboBox* cboDritteerinnerung = nullptr;
    QComboBox* cboErinnerungsbeginn = nullptr;
    QComboBox* cboErinnerungszyklus = nullptr;

    QGroupBox* fraFrame2 = nullptr;
    QPushButton* cmdDatensatzeinfuegen = nullptr;
    QPushButton* cmdUebernehmen = nullptr;
    QPushButton* cmdDatensatzloeschen = nullptr;
    QPushButton* cmdDatensaetzeaendern = nullptr;

    QGroupBox* fraFrame3 = nullptr;
    QPushButton* cmdSortierennachnummer = nullptr;
    QPushButton* cmdSortierennachnamen = nullptr;
    QPushButton* cmdSortierennachjahr = nullptr;
    QPushButton* cmdSortierennachmonat = nullptr;
    QPushButton* cmdSortierennachtag = nullptr;

    QMenu* mnuDatei = nullptr;
    QAction* mnuDateineu = nullptr;
    QAction* mnuDateioeffnen = nullptr;
    QAction* mnuDateispeichern = nullptr;
    QAction* mnuDateispeichernunter = nullptr;
    QAction* mnuDateidrucken = nullptr;
    QAction* mnuDateieigenschaften = nullptr;
    QAction* mnuDateibeenden = nullptr;
    QMenu* mnuBearbeiten = nullptr;
    QAction* mnuBearbeitenausschneiden = nullptr;
    QAction* mnuBearbeitenkopieren = nullptr;
    QAction* mnuBearbeiteneinfuegen = nullptr;
    QAction* mnuBearbeitenloeschen = nullptr;
    QAction* mnuBearbeitenalledatensaetzemarkieren = nullptr;
    QAction* mnuBearbeitenmarkierungenloeschen = nullptr;
    QMenu* mnuExtras = nullptr;
    QAction* mnuExtrasoptionen = nullptr;
    QAction* mnuWochentagausgeben = nullptr;
    QAction* mnuErinnerungsmodulbeenden = nullptr;
    QMenu* mnuFragezeichen = nullptr;
    QAction* mnuHilfe = nullptr;
    QAction* mnuUeberdennatalix = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // The command groups, for the handlers' callers and the tests.
    SortCommands& sortCommands() { return *m_sort; }
    SelectionCommands& selectionCommands() { return *m_selectionCommands; }

    // Connects a menu item or button to its command; controls nobody connects are hidden.
    void wire(QAction* action, std::function<void()> handler);
    void wire(QPushButton* button, std::function<void()> handler);
    // The close request of the window (the list-file commands settle it); true lets it close.
    std::function<bool()> closeRequest;
    // Enter in the edit fields runs the default button's command.
    std::function<void()> enterPressed;
    // Timer1's tick (the reminder commands).
    std::function<void()> timer1Tick;

    // Second start: the activation poll of Timer2.
    void Timer2_Timer();
    // End of the splash phase.
    void splashFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hideUnwiredControls();
    void buildWidgets();
    void buildRecordForm();
    void buildButtons();
    void buildMenus();
    void wireBinding();
    void onGridRowChanged(int row);
    void reportStoreFailure(const QString& error);
    void moveGrid(int row);
    int dateBoxOffset(int twips) const;

    Services& m_services;
    Cursor& m_cursor;
    SettingsStore& m_settings;
    DataDir m_dataDir;
    bool m_autoStart = false;
    MainState m_state;
    GridModel* m_model = nullptr;
    GridSelection* m_selection = nullptr;
    bool m_binding = false;     // the form is being filled from the record
    bool m_syncingGrid = false; // the grid follows the cursor
    bool m_storeFailureShown = false;
    bool m_storeFailureHandled = false;

    std::unique_ptr<SortCommands> m_sort;
    std::unique_ptr<SelectionCommands> m_selectionCommands;
};

} // namespace natalix
