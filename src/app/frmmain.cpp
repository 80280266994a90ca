#include "app/frmmain.h"

#include "listfile/listfilecommands.h"
#include "reminder/remindercodes.h"
#include "reminder/remindercore.h"
#include "table/birthyear.h"
#include "table/cursor.h"
#include "table/entrycommands.h"
#include "table/gridmodel.h"
#include "table/gridselection.h"
#include "table/recordcheck.h"
#include "table/sortcommands.h"
#include "table/textnumber.h"
#include "ui/services.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace natalix {

namespace {

bool isTextField(const QObject* o) {
    const auto* box = qobject_cast<const QComboBox*>(o);
    return qobject_cast<const QLineEdit*>(o) || (box && box->isEditable());
}

} // namespace

FrmMain::FrmMain(const MainContext& context, QWidget* parent)
    : QMainWindow(parent), m_services(context.services), m_cursor(context.cursor),
      m_settings(context.settings), m_dataDir(context.dataDir), m_autoStart(context.autoStart) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Natalix"));
    m_state.options = context.options;
    installFocusFrame();

    buildWidgets();
    buildMenus();
    m_reminders = new ReminderCore(
        m_dataDir.databasePath(), [this] { return m_services.now(); },
        [this] { return m_state.options.optiondatumsanzeigehauptfenster; }, this);
    Timer1 = m_reminders->timer();
    m_context = std::make_unique<CommandContext>(
        CommandContext{m_state, m_cursor, m_services, m_settings, m_dataDir, *this, *this, *this,
                       *m_reminders, *this, [this] { m_storeFailureHandled = true; }});
    m_sort = std::make_unique<SortCommands>(*m_context);
    m_selectionCommands = std::make_unique<SelectionCommands>(*m_context);
    wireBinding();
    installCommands();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    // On whole seconds, like every slower timer of the program: an idle program wakes once a
    // second, not once for each timer.
    Timer2->setTimerType(Qt::VeryCoarseTimer);
    connect(Timer2, &QTimer::timeout, this, &FrmMain::Timer2_Timer);

    // Form_Load: the date boxes, the first start, the order by number, the remembered list.
    datumsanzeigeeinstellen();
    if (m_state.options.programmwurdeerstmalsgestartet > 0) {
        m_settings.setValue(QStringLiteral("filename"), QString());
        m_state.options.programmwurdeerstmalsgestartet = 0;
        writeOptionsFile(m_dataDir.optionsPath(), m_state.options);
        m_state.dateiwurdegeaendert = 1;
    }
    m_cursor.setSort(QStringLiteral("Nummer ASC"));
    setGridCaption(caption::byNumberAscending());
    m_state.sortieren1 = 1;
    m_state.dateinamemitpfad = m_settings.value(QStringLiteral("filename"));
    m_cursor.moveFirst();
    showRecord();
    syncGridToCursor();

    Timer1->start();
    Timer2->start();
}

FrmMain::~FrmMain() = default;

void FrmMain::reportStoreFailure(const QString& error) {
    // One message once the running command is over, however many writes failed in it.
    if (m_storeFailureShown)
        return;
    m_storeFailureShown = true;
    QTimer::singleShot(0, this, [this, error] {
        const bool handled = m_storeFailureHandled;
        m_storeFailureShown = false;
        m_storeFailureHandled = false;
        if (handled)
            return;
        MessageRequest m;
        m.text = QStringLiteral("Die Änderung konnte nicht in der Datenbank gespeichert werden. "
                                "Bitte prüfen Sie, ob auf dem Datenträger genug Platz ist und "
                                "die Datei \"%1\" beschreibbar ist.\n\n( %2 )")
                     .arg(QDir::toNativeSeparators(m_dataDir.databasePath()), error);
        m.icon = Icon::Exclamation;
        m_services.message(m);
    });
}

void FrmMain::storePendingEdit() {
    datensatzpruefen();
    m_cursor.update();
}

void FrmMain::wireBinding() {
    connect(&m_cursor, &Cursor::storeFailed, this, &FrmMain::reportStoreFailure);
    connect(&m_cursor, &Cursor::currentChanged, this, [this] {
        showRecord();
        syncGridToCursor();
    });
    connect(m_model, &GridModel::resetDone, this, [this] {
        m_selection->reapply();
        syncGridToCursor();
    });
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncingGrid && current.isValid())
                    onGridRowChanged(current.row());
            });
    connect(DataGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_sort->DataGrid1_HeadClick(column); });

    // A user edit becomes a pending change of the current record.
    connect(txtName, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!m_binding)
            m_cursor.setField(Field::Name, text);
    });
    const std::pair<QComboBox*, Field> dateBoxes[] = {
        {cboJahr, Field::Jahr}, {cboMonat, Field::Monat}, {cboTag, Field::Tag}};
    for (const auto& [box, field] : dateBoxes) {
        const Field f = field;
        connect(box, &QComboBox::editTextChanged, this, [this, f](const QString& text) {
            if (!m_binding)
                storeDateBoxText(f, text);
        });
    }
    const std::pair<QComboBox*, Field> reminderBoxes[] = {
        {cboErsteerinnerung, Field::Erinnerung1},
        {cboZweiteerinnerung, Field::Erinnerung2},
        {cboDritteerinnerung, Field::Erinnerung3},
        {cboErinnerungsbeginn, Field::Erinnerungsbeginn},
        {cboErinnerungszyklus, Field::Erinnerungszyklus}};
    for (const auto& [box, field] : reminderBoxes) {
        const Field f = field;
        QComboBox* b = box;
        connect(b, &QComboBox::activated, this, [this, b, f] {
            if (m_binding)
                return;
            // Every change of the table changes the list, these settings as well.
            if (m_cursor.currentRecord().text(f) == b->currentText())
                return;
            m_cursor.setField(f, b->currentText());
            m_state.dateiwurdegeaendert = 1;
        });
    }

    // Enter in any edit field runs the default button; menu shortcuts beat the fields' own.
    for (QWidget* w : fraFrame1->findChildren<QWidget*>())
        w->installEventFilter(this);
    DataGrid1->installEventFilter(this);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != DataGrid1) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_entry->cmdUebernehmen_Click();
            return true;
        }
    }
    // The menu's shortcuts win over the focused control's own handling of the same keys, but
    // select-all in a text field selects its text.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::SelectAll) && isTextField(watched))
            return QMainWindow::eventFilter(watched, event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* a : findChildren<QAction*>()) {
            if (a->isEnabled() && a->shortcuts().contains(pressed)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::showRecord() {
    m_binding = true;
    if (m_cursor.absolutePosition() > 0) {
        const Record r = m_cursor.currentRecord();
        lblNummer->setText(QString::number(r.nummer));
        if (txtName->text() != r.name)
            txtName->setText(r.name);
        cboJahr->setEditText(yearBoxText(r.jahr));
        cboMonat->setEditText(QString::number(r.monat));
        cboTag->setEditText(QString::number(r.tag));
        showInList(cboErsteerinnerung, r.erinnerung[0]);
        showInList(cboZweiteerinnerung, r.erinnerung[1]);
        showInList(cboDritteerinnerung, r.erinnerung[2]);
        showInList(cboErinnerungsbeginn, r.erinnerungsbeginn);
        showInList(cboErinnerungszyklus, r.erinnerungszyklus);
    }
    m_binding = false;
}

void FrmMain::syncGridToCursor() {
    const int row = m_cursor.absolutePosition() - 1;
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_syncingGrid = true;
    DataGrid1->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                 QItemSelectionModel::NoUpdate);
    DataGrid1->scrollTo(m_model->index(row, 0));
    m_syncingGrid = false;
}

void FrmMain::moveGrid(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    DataGrid1->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                 QItemSelectionModel::NoUpdate);
}

void FrmMain::onGridRowChanged(int row) {
    if (m_state.testengesperrt == 1)
        return;
    if (m_state.einepositionvorher < 1)
        m_state.einepositionvorher = 1;
    const int newPosition = row + 1;
    if (newPosition < 1)
        return;
    // The record the user leaves is the one the fields show: it is checked before the move,
    // which also stores its corrections.
    datensatzpruefen();
    m_state.einepositionvorher = newPosition;
    // A record that cannot be stored is not left: the grid goes back to it.
    if (!m_cursor.setAbsolutePosition(newPosition))
        QTimer::singleShot(0, this, &FrmMain::syncGridToCursor);
}

void FrmMain::setNameText(const QString& text) {
    if (txtName->text() != text)
        txtName->setText(text);
    m_cursor.setField(Field::Name, text);
}

void FrmMain::setDateBoxText(QComboBox* box, const QString& text) {
    // Writing the box stores the value as the user's typing would.
    if (box->currentText() != text)
        box->setEditText(text);
    else
        storeDateBoxText(box == cboJahr    ? Field::Jahr
                         : box == cboMonat ? Field::Monat
                                           : Field::Tag,
                         text);
}

void FrmMain::storeDateBoxText(Field field, const QString& text) {
    // An empty or unreadable year box is the unknown year.
    if (field == Field::Jahr && leadingWholeNumber(text) == unknownYear)
        m_cursor.setField(field, unknownYear);
    else
        m_cursor.setField(field, text);
}

void FrmMain::datensatzpruefen() {
    if (m_state.testengesperrt == 1 || m_cursor.absolutePosition() < 1)
        return;
    // The name as stored: the edit writes through as the user types, and a record changed
    // elsewhere (a sync, the scan) must not get the old text of a form not yet shown again.
    const QString name = txtName->text().isEmpty() ? QString() : m_cursor.currentRecord().name;
    const CheckedFields c =
        checkedFields(name, cboJahr->currentText(), cboMonat->currentText(), cboTag->currentText());
    m_cursor.setField(Field::Name, c.name);
    m_cursor.setField(Field::Jahr, c.jahr);
    m_cursor.setField(Field::Monat, c.monat);
    m_cursor.setField(Field::Tag, c.tag);
    showRecord();
}

void FrmMain::datumsanzeigeeinstellen() {
    const double display = m_state.options.optiondatumsanzeigehauptfenster;
    struct Layout {
        const char16_t* caption;
        int jahr, monat, tag;
        const char16_t* separator;
        int sep3, sep4;
    };
    static constexpr Layout newLayout = {
        u"&Jahr - Monat - Tag:", 1560, 2520, 3360, u"-", 2280, 3120};
    static constexpr Layout oldLayout = {
        u"&Tag . Monat . Jahr:", 3240, 2400, 1560, u".", 2160, 3000};
    const Layout* l = display == 0 ? &newLayout : display == 1 ? &oldLayout : nullptr;
    if (!l)
        return;
    lblJahrmonattag->setText(QString::fromUtf16(l->caption));
    cboJahr->move(dateBoxOffset(l->jahr), 0);
    cboMonat->move(dateBoxOffset(l->monat), 0);
    cboTag->move(dateBoxOffset(l->tag), 0);
    lbl3->setText(QString::fromUtf16(l->separator));
    lbl4->setText(QString::fromUtf16(l->separator));
    lbl3->move(dateBoxOffset(l->sep3), 0);
    lbl4->move(dateBoxOffset(l->sep4), 0);
    // Tab order follows the boxes from left to right.
    QComboBox* first = display == 0 ? cboJahr : cboTag;
    QComboBox* last = display == 0 ? cboTag : cboJahr;
    lblJahrmonattag->setBuddy(first);
    setTabOrder(txtName, first);
    setTabOrder(first, cboMonat);
    setTabOrder(cboMonat, last);
    setTabOrder(last, cboErsteerinnerung);
    setTabOrder(cboErsteerinnerung, cboZweiteerinnerung);
    setTabOrder(cboZweiteerinnerung, cboDritteerinnerung);
    setTabOrder(cboDritteerinnerung, cboErinnerungsbeginn);
    setTabOrder(cboErinnerungsbeginn, cboErinnerungszyklus);
}

void FrmMain::setGridCaption(const QString& caption) {
    DataGrid1Caption->setText(caption);
}

QString FrmMain::gridCaption() const {
    return DataGrid1Caption->text();
}

void FrmMain::sortTable(const QString& expression, const QString& caption) {
    m_cursor.setSort(expression);
    setGridCaption(caption);
}

void FrmMain::enterBusyDisplay(int total, const QString& operation) {
    for (QWidget* w : {static_cast<QWidget*>(fraFrame1), static_cast<QWidget*>(fraFrame2),
                       static_cast<QWidget*>(fraFrame3)})
        w->setEnabled(false);
    for (QMenu* m : {mnuDatei, mnuBearbeiten, mnuExtras, mnuFragezeichen})
        m->setEnabled(false);
    m_gridPlace->setCurrentWidget(fraDatensaetze);
    ProgressBar1->setMinimum(1);
    ProgressBar1->setMaximum(std::max(1, total));
    ProgressBar1->setValue(1);
    lblDatensatzvorgang->setText(operation);
}

void FrmMain::showProgress(int counter, int total, const QString& ending) {
    ProgressBar1->setValue(counter);
    lblDatensatzfortschritt->setText(signedNumber(counter) + QStringLiteral(" von") +
                                     signedNumber(total) + ending);
}

void FrmMain::leaveBusyDisplay() {
    m_gridPlace->setCurrentWidget(DataGrid1);
    lblDatensatzvorgang->setText(QString());
    for (QWidget* w : {static_cast<QWidget*>(fraFrame1), static_cast<QWidget*>(fraFrame2),
                       static_cast<QWidget*>(fraFrame3)})
        w->setEnabled(true);
    for (QMenu* m : {mnuDatei, mnuBearbeiten, mnuExtras, mnuFragezeichen})
        m->setEnabled(true);
}

bool FrmMain::isBusy() const {
    return m_gridPlace->currentWidget() == fraDatensaetze || !fraFrame2->isEnabled();
}

void FrmMain::Timer2_Timer() {
    if (m_state.starten != 1 || m_settings.value(QStringLiteral("windowopen")) != u"1")
        return;
    m_settings.setValue(QStringLiteral("windowopen"), QString());
    bringToFront();
}

void FrmMain::bringToFront() {
    // In front of every window: on top for a moment, then an ordinary window again, where
    // it was when it was hidden (on the screen, should that have shrunk meanwhile).
    const QPoint at = placeOnScreen(frameGeometry(), screen());
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    move(at);
    show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    move(at);
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    m_entry->focusNameBox();
}

void FrmMain::splashFinished() {
    if (!m_autoStart) {
        show();
        m_entry->focusNameBox();
    }
    m_state.starten = 1;
    m_reminders->start();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (m_state.programmbeenden == 1) {
        event->accept();
        return;
    }
    // Closing only hides the window: the reminders go on.
    if (m_listFiles->Form_Unload())
        event->accept();
    else
        event->ignore();
}

void FrmMain::timer1Tick() {
    m_reminders->tick();
}

bool FrmMain::controlsEnabled() const {
    return fraFrame2->isEnabled();
}

void FrmMain::clearSelection() {
    m_selectionCommands->mnuBearbeitenmarkierungenloeschen_Click();
}

} // namespace natalix
