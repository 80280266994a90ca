#pragma once

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/record.h"

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
class QStackedWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace natalix {

class Cursor;
class GridModel;
class GridSelection;
class ReminderCore;
class Services;
class SortCommands;
class SelectionCommands;
class EntryCommands;
class ListFileCommands;

// What the main window needs from the running program.
struct MainContext {
    Services& services;
    Cursor& cursor;
    SettingsStore& settings;
    DataDir dataDir;
    Options options;
    bool autoStart = false;
};

// The main window: the grid, the record form, the menus and the activation poll. It builds
// the controls and connects them to the command groups, which see it only through the narrow
// views of formparts.h; the reminders are a core object it holds but does not run.
class FrmMain : public QMainWindow, public RecordForm, public GridView, public BusyDisplay {
    Q_OBJECT
public:
    explicit FrmMain(const MainContext& context, QWidget* parent = nullptr);
    ~FrmMain() override;

    MainState& state() { return m_state; }
    Cursor& adoDaten() { return m_cursor; }
    Services& services() { return m_services; }
    SettingsStore& settings() { return m_settings; }
    const DataDir& dataDir() const { return m_dataDir; }
    bool autoStart() const { return m_autoStart; }
    ReminderCore& reminders() { return *m_reminders; }
    const CommandContext& commandContext() const { return *m_context; }

    // RecordForm
    void datensatzpruefen() override;
    void showRecord() override;
    void datumsanzeigeeinstellen() override;
    QLineEdit* nameBox() const override { return txtName; }
    QComboBox* yearBox() const override { return cboJahr; }
    QComboBox* monthBox() const override { return cboMonat; }
    QComboBox* dayBox() const override { return cboTag; }
    void setNameText(const QString& text) override;
    void setDateBoxText(QComboBox* box, const QString& text) override;
    bool controlsEnabled() const override;
    // GridView
    void setGridCaption(const QString& caption) override;
    QString gridCaption() const override;
    void sortTable(const QString& expression, const QString& caption) override;
    void syncGridToCursor() override;
    GridSelection& selection() override { return *m_selection; }
    void clearSelection() override;
    // BusyDisplay
    void enterBusyDisplay(int total, const QString& operation) override;
    void showProgress(int counter, int total, const QString& ending) override;
    void leaveBusyDisplay() override;
    bool isBusy() const override;

    // On the way out without a word (logging out): the record being edited is checked and
    // stored.
    void storePendingEdit();

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
    QAction* mnuDateikontakteimportieren = nullptr;
    QAction* mnuDateikalenderexportieren = nullptr;
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
    QAction* mnuBearbeitendatensatzeinfuegen = nullptr;
    QAction* mnuBearbeitensuchen = nullptr;
    QMenu* mnuExtras = nullptr;
    QAction* mnuExtrasoptionen = nullptr;
    QAction* mnuWochentagausgeben = nullptr;
    QAction* mnuExtrasnaechstegeburtstage = nullptr;
    QAction* mnuErinnerungsmodulbeenden = nullptr;
    QMenu* mnuFragezeichen = nullptr;
    QAction* mnuHilfe = nullptr;
    QAction* mnuUeberdennatalix = nullptr;

    QTimer* Timer1 = nullptr; // the reminders' timer
    QTimer* Timer2 = nullptr;

    // The command groups, for the handlers' callers and the tests.
    SortCommands& sortCommands() { return *m_sort; }
    SelectionCommands& selectionCommands() { return *m_selectionCommands; }

    // Timer1's tick (the reminders).
    void timer1Tick();
    // Second start: the activation poll of Timer2.
    void Timer2_Timer();
    // Shows the window in front of every other, the cursor in the name (the second start,
    // the tray).
    void bringToFront();
    // End of the splash phase.
    void splashFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void installCommands();
    void wire(QAction* action, std::function<void()> handler);
    void wire(QPushButton* button, std::function<void()> handler);
    void buildWidgets();
    void buildRecordForm();
    void buildButtons();
    void buildMenus();
    void wireBinding();
    void onGridRowChanged(int row);
    void moveGrid(int row); // as a click on that row would
    void reportStoreFailure(const QString& error);
    // A date box's text as a pending change of its field.
    void storeDateBoxText(Field field, const QString& text);
    int dateBoxOffset(int twips) const;

    Services& m_services;
    Cursor& m_cursor;
    SettingsStore& m_settings;
    DataDir m_dataDir;
    bool m_autoStart = false;
    MainState m_state;
    GridModel* m_model = nullptr;
    QStackedWidget* m_gridPlace = nullptr; // the grid, or the busy display in its place
    GridSelection* m_selection = nullptr;
    bool m_binding = false;     // the form is being filled from the record
    bool m_syncingGrid = false; // the grid follows the cursor
    bool m_storeFailureShown = false;
    bool m_storeFailureHandled = false;

    ReminderCore* m_reminders = nullptr;
    std::unique_ptr<CommandContext> m_context;
    std::unique_ptr<SortCommands> m_sort;
    std::unique_ptr<SelectionCommands> m_selectionCommands;
    EntryCommands* m_entry = nullptr;
    ListFileCommands* m_listFiles = nullptr;
};

} // namespace natalix
