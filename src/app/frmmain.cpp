#include "app/frmmain.h"

#include "app/commandgroups.h"
#include "reminder/remindercodes.h"
#include "table/cursor.h"
#include "table/gridmodel.h"
#include "table/gridselection.h"
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
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace natalix {

namespace {

constexpr int nameMaxLength = 40;
// Twips of the form layout to pixels: 15 twips a pixel, widened a little for today's fonts.
constexpr double twipScale = 1.25 / 15.0;
constexpr int dateRowOriginTwips = 1560;

// A date box: a list to pick from and free text to type.
QComboBox* makeDateBox(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMaxVisibleItems(16);
    c->setCompleter(nullptr);
    return c;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QAction* makeAction(QMenu* menu, const char* name, const QString& caption,
                    const QKeySequence& shortcut = {}) {
    auto* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

} // namespace

FrmMain::FrmMain(const MainContext& context, QWidget* parent)
    : QMainWindow(parent), m_services(context.services), m_cursor(context.cursor),
      m_settings(context.settings), m_dataDir(context.dataDir), m_autoStart(context.autoStart) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Natalix"));
    m_state.options = context.options;

    buildWidgets();
    buildMenus();
    m_sort = std::make_unique<SortCommands>(*this);
    m_selectionCommands = std::make_unique<SelectionCommands>(*this);
    wireBinding();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &FrmMain::Timer2_Timer);

    installEditingCommands(*this);
    installReminderCommands(*this);
    installListFileCommands(*this);
    installPrintCommands(*this);
    installExtrasCommands(*this);
    hideUnwiredControls();

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

void FrmMain::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 6, 8, 8);
    outer->setSpacing(4);

    DataGrid1Caption = new QLabel(central);
    DataGrid1Caption->setObjectName(QStringLiteral("DataGrid1Caption"));
    DataGrid1Caption->setAlignment(Qt::AlignCenter);
    DataGrid1Caption->setFrameShape(QFrame::StyledPanel);
    QFont bold = DataGrid1Caption->font();
    bold.setBold(true);
    DataGrid1Caption->setFont(bold);
    outer->addWidget(DataGrid1Caption);

    DataGrid1 = new QTableView(central);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    m_model = new GridModel(m_cursor, this);
    DataGrid1->setModel(m_model);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setAlternatingRowColors(true);
    DataGrid1->verticalHeader()->setDefaultSectionSize(20);
    DataGrid1->verticalHeader()->setFixedWidth(16);
    DataGrid1->horizontalHeader()->setSectionsClickable(true);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    // The laid-out widths, widened only where a column's caption would be cut.
    for (int c = 0; c < GridModel::columnCount_; ++c)
        DataGrid1->setColumnWidth(c, std::max(GridModel::columnWidthPixels(c),
                                              DataGrid1->horizontalHeader()->sectionSizeHint(c)));
    DataGrid1->horizontalHeader()->setStretchLastSection(true);
    DataGrid1->setMinimumHeight(220);
    outer->addWidget(DataGrid1, 1);
    m_selection = new GridSelection(*DataGrid1, m_cursor, this);

    // The busy display takes the grid's place while a list is loaded or emptied.
    fraDatensaetze = new QGroupBox(central);
    fraDatensaetze->setObjectName(QStringLiteral("fraDatensaetze"));
    auto* busy = new QVBoxLayout(fraDatensaetze);
    busy->addStretch();
    lblDatensatzvorgang = new QLabel(fraDatensaetze);
    lblDatensatzvorgang->setObjectName(QStringLiteral("lblDatensatzvorgang"));
    lblDatensatzvorgang->setAlignment(Qt::AlignCenter);
    busy->addWidget(lblDatensatzvorgang);
    ProgressBar1 = new QProgressBar(fraDatensaetze);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setToolTip(
        QStringLiteral("Hier sehen Sie, wie lange der Vorgang noch dauert ..."));
    ProgressBar1->setTextVisible(false);
    busy->addWidget(ProgressBar1);
    lblDatensatzfortschritt = new QLabel(fraDatensaetze);
    lblDatensatzfortschritt->setObjectName(QStringLiteral("lblDatensatzfortschritt"));
    lblDatensatzfortschritt->setAlignment(Qt::AlignCenter);
    busy->addWidget(lblDatensatzfortschritt);
    busy->addStretch();
    fraDatensaetze->setMinimumHeight(220);
    fraDatensaetze->hide();
    outer->addWidget(fraDatensaetze, 1);

    adoDatenBar = new QWidget(central);
    adoDatenBar->setObjectName(QStringLiteral("adoDaten"));
    adoDatenBar->setToolTip(QStringLiteral(
        "Mit diesem Steuer-Element können Sie durch die einzelnen Datensätze navigieren ..."));
    auto* nav = new QHBoxLayout(adoDatenBar);
    nav->setContentsMargins(0, 0, 0, 0);
    auto navButton = [&](const char* name, Qt::ArrowType arrow, const QString& text) {
        auto* b = new QToolButton(adoDatenBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setArrowType(arrow);
        if (!text.isEmpty()) {
            b->setArrowType(Qt::NoArrow);
            b->setText(text);
        }
        b->setAutoRaise(false);
        nav->addWidget(b);
        return b;
    };
    cmdAuswahlErster = navButton("cmdAuswahlErster", Qt::NoArrow, QStringLiteral("|◀"));
    cmdAuswahlVorher = navButton("cmdAuswahlVorher", Qt::LeftArrow, QString());
    auto* navCaption = new QLabel(QStringLiteral("Auswahl"), adoDatenBar);
    navCaption->setObjectName(QStringLiteral("lblAuswahl"));
    navCaption->setAlignment(Qt::AlignCenter);
    navCaption->setFrameShape(QFrame::StyledPanel);
    nav->addWidget(navCaption, 1);
    cmdAuswahlNaechster = navButton("cmdAuswahlNaechster", Qt::RightArrow, QString());
    cmdAuswahlLetzter = navButton("cmdAuswahlLetzter", Qt::NoArrow, QStringLiteral("▶|"));
    outer->addWidget(adoDatenBar);
    connect(cmdAuswahlErster, &QToolButton::clicked, this, [this] { moveGrid(0); });
    connect(cmdAuswahlVorher, &QToolButton::clicked, this,
            [this] { moveGrid(std::max(0, m_cursor.absolutePosition() - 2)); });
    connect(cmdAuswahlNaechster, &QToolButton::clicked, this, [this] {
        moveGrid(std::min(m_cursor.recordCount() - 1, m_cursor.absolutePosition()));
    });
    connect(cmdAuswahlLetzter, &QToolButton::clicked, this,
            [this] { moveGrid(m_cursor.recordCount() - 1); });

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    fraFrame1 = new QGroupBox(QStringLiteral("Datensatz"), central);
    fraFrame1->setObjectName(QStringLiteral("fraFrame1"));
    bottom->addWidget(fraFrame1, 3);
    fraFrame2 = new QGroupBox(QStringLiteral("Steuerung"), central);
    fraFrame2->setObjectName(QStringLiteral("fraFrame2"));
    bottom->addWidget(fraFrame2, 1);
    fraFrame3 = new QGroupBox(QStringLiteral("Tabelle sortieren nach"), central);
    fraFrame3->setObjectName(QStringLiteral("fraFrame3"));
    bottom->addWidget(fraFrame3, 1);
    outer->addLayout(bottom);

    buildRecordForm();
    buildButtons();
    setCentralWidget(central);
    resize(980, 690);
}

int FrmMain::dateBoxOffset(int twips) const {
    return static_cast<int>((twips - dateRowOriginTwips) * twipScale);
}

void FrmMain::buildRecordForm() {
    auto* grid = new QGridLayout(fraFrame1);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(5);
    auto label = [&](const char* name, const QString& text, int row) {
        auto* l = new QLabel(text, fraFrame1);
        l->setObjectName(QString::fromLatin1(name));
        grid->addWidget(l, row, 0);
        return l;
    };

    label("lblDatensatznr", QStringLiteral("Datensatz Nr.:"), 0);
    lblNummer = new QLabel(fraFrame1);
    lblNummer->setObjectName(QStringLiteral("lblNummer"));
    lblNummer->setFrameShape(QFrame::StyledPanel);
    lblNummer->setMinimumWidth(60);
    grid->addWidget(lblNummer, 0, 1, Qt::AlignLeft);

    label("lbl1", QStringLiteral("Name:"), 1);
    txtName = new QLineEdit(fraFrame1);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setMaxLength(nameMaxLength);
    txtName->setToolTip(QStringLiteral(
        "Geben Sie hier bitte den Vor- und Nachnamen des Geburtstags-Kindes ein ..."));
    grid->addWidget(txtName, 1, 1, 1, 2);

    lblJahrmonattag = label("lblJahrmonattag", QString(), 2);
    auto* dateRow = new QWidget(fraFrame1);
    dateRow->setObjectName(QStringLiteral("dateRow"));
    cboJahr = makeDateBox(dateRow, "cboJahr");
    for (int y = 1880; y <= 2030; ++y)
        cboJahr->addItem(QString::number(y));
    cboJahr->setToolTip(QStringLiteral("Geben Sie hier bitte das Geburtsjahr ein ..."));
    cboMonat = makeDateBox(dateRow, "cboMonat");
    for (int m = 1; m <= 12; ++m)
        cboMonat->addItem(QString::number(m));
    cboMonat->setToolTip(QStringLiteral("Geben Sie hier bitte den Geburts-Monat ein ..."));
    cboTag = makeDateBox(dateRow, "cboTag");
    for (int d = 1; d <= 31; ++d)
        cboTag->addItem(QString::number(d));
    cboTag->setToolTip(
        QStringLiteral("Geben Sie hier bitte den Tag des freudigen Ereignisses ein ..."));
    lbl3 = new QLabel(dateRow);
    lbl3->setObjectName(QStringLiteral("lbl3"));
    lbl3->setAlignment(Qt::AlignCenter);
    lbl4 = new QLabel(dateRow);
    lbl4->setObjectName(QStringLiteral("lbl4"));
    lbl4->setAlignment(Qt::AlignCenter);
    const int boxHeight = cboJahr->sizeHint().height();
    cboJahr->resize(static_cast<int>(720 * twipScale), boxHeight);
    cboMonat->resize(static_cast<int>(600 * twipScale), boxHeight);
    cboTag->resize(static_cast<int>(600 * twipScale), boxHeight);
    lbl3->resize(static_cast<int>(240 * twipScale), boxHeight);
    lbl4->resize(static_cast<int>(240 * twipScale), boxHeight);
    dateRow->setFixedHeight(boxHeight);
    dateRow->setMinimumWidth(dateBoxOffset(3360) + cboTag->width());
    grid->addWidget(dateRow, 2, 1, 1, 2);

    auto reminderCombo = [&](const char* name, const QStringList& items) {
        return makeListCombo(fraFrame1, name, items);
    };
    label("lbl5", QStringLiteral("1. Erinnerung:"), 3);
    cboErsteerinnerung = reminderCombo("cboErsteerinnerung", reminderOffsetTexts());
    grid->addWidget(cboErsteerinnerung, 3, 1, 1, 2);
    label("lbl6", QStringLiteral("2. Erinnerung:"), 4);
    cboZweiteerinnerung = reminderCombo("cboZweiteerinnerung", reminderOffsetTexts());
    grid->addWidget(cboZweiteerinnerung, 4, 1, 1, 2);
    label("lbl7", QStringLiteral("3. Erinnerung:"), 5);
    cboDritteerinnerung = reminderCombo("cboDritteerinnerung", reminderOffsetTexts());
    grid->addWidget(cboDritteerinnerung, 5, 1, 1, 2);
    label("lbl8", QStringLiteral("Ab dem:"), 6);
    cboErinnerungsbeginn = reminderCombo("cboErinnerungsbeginn", reminderStartTexts());
    grid->addWidget(cboErinnerungsbeginn, 6, 1);
    cboErinnerungszyklus = reminderCombo("cboErinnerungszyklus", reminderCycleTexts());
    grid->addWidget(cboErinnerungszyklus, 6, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

void FrmMain::buildButtons() {
    auto* controls = new QVBoxLayout(fraFrame2);
    cmdDatensatzeinfuegen = makeButton(
        fraFrame2, "cmdDatensatzeinfuegen", QStringLiteral("Datensatz einfügen"),
        QStringLiteral("Um einen neuen Geburtstag hinzuzufügen, klicken Sie bitte hierauf ..."));
    cmdUebernehmen = makeButton(
        fraFrame2, "cmdUebernehmen", QStringLiteral("Datensatz übernehmen"),
        QStringLiteral(
            "Nach Eingabe von Daten bitte hierauf klicken, um die Daten zu speichern ..."));
    cmdUebernehmen->setDefault(true);
    cmdDatensatzloeschen =
        makeButton(fraFrame2, "cmdDatensatzloeschen", QStringLiteral("Datensätze löschen..."),
                   QStringLiteral("Um die momentan markierten Datensätze vollständig  zu löschen, "
                                  "klicken Sie hierauf ..."));
    cmdDatensaetzeaendern = makeButton(
        fraFrame2, "cmdDatensaetzeaendern", QStringLiteral("Datensätze ändern..."),
        QStringLiteral("Mit dieser Schaltfläche können Sie die Erinnerungs-Einstellungen "
                       "mehrerer Datensätze gleichzeitig ändern ..."));
    for (QPushButton* b :
         {cmdDatensatzeinfuegen, cmdUebernehmen, cmdDatensatzloeschen, cmdDatensaetzeaendern})
        controls->addWidget(b);
    controls->addStretch();

    auto* sorting = new QVBoxLayout(fraFrame3);
    cmdSortierennachnummer = makeButton(
        fraFrame3, "cmdSortierennachnummer", QStringLiteral("Nummer"),
        QStringLiteral("Hiermit sortieren Sie obige Tabelle nach der laufenden Nummer ..."));
    cmdSortierennachnamen = makeButton(
        fraFrame3, "cmdSortierennachnamen", QStringLiteral("Namen"),
        QStringLiteral("Hier wird die Tabelle nach dem eingegebenen Namen sortiert ..."));
    const QString sortTip = QStringLiteral(
        "Mit dieser Schaltfäche können Sie obige Tabelle nach dem %1 sortieren lassen ...");
    cmdSortierennachjahr =
        makeButton(fraFrame3, "cmdSortierennachjahr", QStringLiteral("Geburts-Jahr"),
                   sortTip.arg(QStringLiteral("Geburts-Jahr")));
    cmdSortierennachmonat =
        makeButton(fraFrame3, "cmdSortierennachmonat", QStringLiteral("Geburts-Monat"),
                   sortTip.arg(QStringLiteral("Geburts-Monat")));
    cmdSortierennachtag =
        makeButton(fraFrame3, "cmdSortierennachtag", QStringLiteral("Geburts-Tag"),
                   sortTip.arg(QStringLiteral("Geburts-Tag")));
    for (QPushButton* b : {cmdSortierennachnummer, cmdSortierennachnamen, cmdSortierennachjahr,
                           cmdSortierennachmonat, cmdSortierennachtag})
        sorting->addWidget(b);
    sorting->addStretch();
}

void FrmMain::buildMenus() {
    mnuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    mnuDatei->setObjectName(QStringLiteral("mnuDatei"));
    mnuDateineu = makeAction(mnuDatei, "mnuDateineu", QStringLiteral("Geburtstagsliste &neu"),
                             QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuDateioeffnen =
        makeAction(mnuDatei, "mnuDateioeffnen", QStringLiteral("Geburtstagsliste ö&ffnen..."),
                   QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuDatei->addSeparator();
    mnuDateispeichern =
        makeAction(mnuDatei, "mnuDateispeichern", QStringLiteral("Geburtstagsliste &speichern"),
                   QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuDateispeichernunter = makeAction(mnuDatei, "mnuDateispeichernunter",
                                        QStringLiteral("Geburtstagsliste speichern &unter..."));
    mnuDatei->addSeparator();
    mnuDateidrucken =
        makeAction(mnuDatei, "mnuDateidrucken", QStringLiteral("Geburtstagsliste &drucken..."),
                   QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuDatei->addSeparator();
    mnuDateieigenschaften =
        makeAction(mnuDatei, "mnuDateieigenschaften", QStringLiteral("Ei&genschaften"));
    mnuDatei->addSeparator();
    mnuDateibeenden = makeAction(mnuDatei, "mnuDateibeenden", QStringLiteral("&Beenden"));

    mnuBearbeiten = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    mnuBearbeiten->setObjectName(QStringLiteral("mnuBearbeiten"));
    mnuBearbeitenausschneiden =
        makeAction(mnuBearbeiten, "mnuBearbeitenausschneiden", QStringLiteral("A&usschneiden"),
                   QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuBearbeitenkopieren =
        makeAction(mnuBearbeiten, "mnuBearbeitenkopieren", QStringLiteral("&Kopieren"),
                   QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuBearbeiteneinfuegen =
        makeAction(mnuBearbeiten, "mnuBearbeiteneinfuegen", QStringLiteral("&Einfügen"),
                   QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuBearbeiten->addSeparator()->setObjectName(QStringLiteral("leer1"));
    mnuBearbeitenloeschen = makeAction(mnuBearbeiten, "mnuBearbeitenloeschen",
                                       QStringLiteral("&Löschen"), QKeySequence(Qt::Key_Delete));
    mnuBearbeiten->addSeparator()->setObjectName(QStringLiteral("leer8"));
    mnuBearbeitenalledatensaetzemarkieren = makeAction(
        mnuBearbeiten, "mnuBearbeitenalledatensaetzemarkieren",
        QStringLiteral("&Alle Datensätze markieren"), QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuBearbeitenmarkierungenloeschen =
        makeAction(mnuBearbeiten, "mnuBearbeitenmarkierungenloeschen",
                   QStringLiteral("&Markierungen löschen"));

    mnuExtras = menuBar()->addMenu(QStringLiteral("&Extras"));
    mnuExtras->setObjectName(QStringLiteral("mnuExtras"));
    mnuExtrasoptionen = makeAction(mnuExtras, "mnuExtrasoptionen", QStringLiteral("&Optionen..."));
    mnuWochentagausgeben =
        makeAction(mnuExtras, "mnuWochentagausgeben", QStringLiteral("&Wochentag ausgeben"));
    mnuExtras->addSeparator();
    mnuErinnerungsmodulbeenden =
        makeAction(mnuExtras, "mnuErinnerungsmodulbeenden",
                   QStringLiteral("&Natalix und Erinnerungs-Modul beenden"));

    mnuFragezeichen = menuBar()->addMenu(QStringLiteral("&?"));
    mnuFragezeichen->setObjectName(QStringLiteral("mnuFragezeichen"));
    mnuHilfe =
        makeAction(mnuFragezeichen, "mnuHilfe", QStringLiteral("&Hilfe"), QKeySequence(Qt::Key_F1));
    mnuFragezeichen->addSeparator();
    mnuUeberdennatalix =
        makeAction(mnuFragezeichen, "mnuUeberdennatalix", QStringLiteral("Ü&ber den Natalix..."));

    // The menu's shortcuts reach the window also while the menu bar is hidden from view.
    for (QAction* a : findChildren<QAction*>())
        if (!a->shortcut().isEmpty())
            a->setShortcutContext(Qt::WindowShortcut);
}

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

void FrmMain::storeFailureHandled() {
    m_storeFailureHandled = true;
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
                m_cursor.setField(f, text);
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
            if (!m_binding)
                m_cursor.setField(f, b->currentText());
        });
    }

    // Enter in any edit field runs the default button; menu shortcuts beat the fields' own.
    for (QWidget* w : fraFrame1->findChildren<QWidget*>())
        w->installEventFilter(this);
    DataGrid1->installEventFilter(this);

    wire(mnuBearbeitenalledatensaetzemarkieren,
         [this] { m_selectionCommands->mnuBearbeitenalledatensaetzemarkieren_Click(); });
    wire(mnuBearbeitenmarkierungenloeschen,
         [this] { m_selectionCommands->mnuBearbeitenmarkierungenloeschen_Click(); });
    wire(cmdSortierennachnummer, [this] { m_sort->cmdSortierennachnummer_Click(); });
    wire(cmdSortierennachnamen, [this] { m_sort->cmdSortierennachnamen_Click(); });
    wire(cmdSortierennachjahr, [this] { m_sort->cmdSortierennachjahr_Click(); });
    wire(cmdSortierennachmonat, [this] { m_sort->cmdSortierennachmonat_Click(); });
    wire(cmdSortierennachtag, [this] { m_sort->cmdSortierennachtag_Click(); });
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != DataGrid1) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && enterPressed) {
            enterPressed();
            return true;
        }
    }
    // The menu's shortcuts win over the focused control's own handling of the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* a : findChildren<QAction*>()) {
            if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == pressed) {
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
        cboJahr->setEditText(QString::number(r.jahr));
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
        m_cursor.setField(box == cboJahr    ? Field::Jahr
                          : box == cboMonat ? Field::Monat
                                            : Field::Tag,
                          text);
}

void FrmMain::datensatzpruefen() {
    if (m_state.testengesperrt == 1 || m_cursor.absolutePosition() < 1)
        return;
    // The date boxes: the whole number at the start of the text, cut to 4 or 2 characters.
    const std::pair<QComboBox*, int> boxes[] = {{cboJahr, 4}, {cboMonat, 2}, {cboTag, 2}};
    for (const auto& [box, keep] : boxes)
        setDateBoxText(box, QString::number(leadingWholeNumber(box->currentText())).left(keep));
    // Pulled into range.
    if (leadingNumber(cboJahr->currentText()) < 1880)
        setDateBoxText(cboJahr, QStringLiteral("1880"));
    if (leadingNumber(cboMonat->currentText()) < 1)
        setDateBoxText(cboMonat, QStringLiteral("1"));
    if (leadingNumber(cboTag->currentText()) < 1)
        setDateBoxText(cboTag, QStringLiteral("1"));
    if (leadingNumber(cboJahr->currentText()) > 2099)
        setDateBoxText(cboJahr, QStringLiteral("2099"));
    if (leadingNumber(cboMonat->currentText()) > 12)
        setDateBoxText(cboMonat, QStringLiteral("12"));
    if (leadingNumber(cboTag->currentText()) > 31)
        setDateBoxText(cboTag, QStringLiteral("31"));

    if (txtName->text().isEmpty())
        setNameText(QStringLiteral(" "));
    if (txtName->text().size() >= nameMaxLength)
        setNameText(txtName->text().left(nameMaxLength));

    Record r = m_cursor.currentRecord();
    QString name = r.name;
    if (name.isEmpty())
        name = QStringLiteral(" ");
    // Leading and trailing blanks go; a name of blanks only ends as one blank.
    while (name != u" " && name.startsWith(u' '))
        name = name.mid(1, 255);
    while (name != u" " && name.endsWith(u' '))
        name.chop(1);
    if (name != r.name)
        m_cursor.setField(Field::Name, name);

    int jahr = r.jahr;
    int tag = r.tag;
    const int monat = r.monat;
    if (jahr >= 2100)
        jahr = 2099;
    if (monat == 2 && tag > 29)
        tag = 29;
    if (monat == 2 && tag == 29 && jahr % 4 != 0)
        tag = 28;
    if (monat == 2 && tag == 29 && jahr == 1900)
        tag = 28;
    if ((monat == 4 || monat == 6 || monat == 9 || monat == 11) && tag == 31)
        tag = 30;
    if (jahr != r.jahr)
        m_cursor.setField(Field::Jahr, jahr);
    if (tag != r.tag)
        m_cursor.setField(Field::Tag, tag);
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
        u"Jahr - Monat - Tag:", 1560, 2520, 3360, u"-", 2280, 3120};
    static constexpr Layout oldLayout = {
        u"Tag . Monat . Jahr:", 3240, 2400, 1560, u".", 2160, 3000};
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

void FrmMain::zugriffpruefen() {
    for (;;) {
        const AccessResult r = checkDatabaseAccess(m_dataDir.databasePath());
        if (r.ok)
            return;
        MessageRequest m;
        m.title = QStringLiteral("Zugriffs-Fehler");
        m.icon = Icon::Exclamation;
        m.buttons = Buttons::Ok;
        m.text = QStringLiteral(
                     "Der Zugriff auf die Datenbank ist zur Zeit nicht möglich. Möglicherweise "
                     "hat sich die Festplatte abgeschaltet. Wenn sich diese Meldung mehrmals "
                     "wiederholt, drücken Sie eine Taste um die Festplatte wieder zu starten. "
                     "Klicken Sie auf 'OK' um wiederholt auf die Datenbank zuzugreifen.( 104 /") +
                 QStringLiteral(" %1 : %2 )").arg(r.errorNumber).arg(r.description);
        m_services.message(m);
    }
}

void FrmMain::enterBusyDisplay(int total, const QString& operation) {
    for (QWidget* w : {static_cast<QWidget*>(fraFrame1), static_cast<QWidget*>(fraFrame2),
                       static_cast<QWidget*>(fraFrame3)})
        w->setEnabled(false);
    for (QMenu* m : {mnuDatei, mnuBearbeiten, mnuExtras, mnuFragezeichen})
        m->setEnabled(false);
    DataGrid1->hide();
    fraDatensaetze->show();
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
    DataGrid1->show();
    fraDatensaetze->hide();
    lblDatensatzvorgang->setText(QString());
    for (QWidget* w : {static_cast<QWidget*>(fraFrame1), static_cast<QWidget*>(fraFrame2),
                       static_cast<QWidget*>(fraFrame3)})
        w->setEnabled(true);
    for (QMenu* m : {mnuDatei, mnuBearbeiten, mnuExtras, mnuFragezeichen})
        m->setEnabled(true);
}

bool FrmMain::isBusy() const {
    return fraDatensaetze->isVisible() || !fraFrame2->isEnabled();
}

void FrmMain::Timer2_Timer() {
    if (m_state.starten != 1 || m_settings.value(QStringLiteral("windowopen")) != u"1")
        return;
    m_settings.setValue(QStringLiteral("windowopen"), QString());
    // In front of every window: on top for a moment, then an ordinary window again.
    const QPoint topLeft = screen() ? screen()->availableGeometry().topLeft() : QPoint(0, 0);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    move(topLeft);
    show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    move(topLeft);
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    txtName->setFocus();
}

void FrmMain::splashFinished() {
    if (!m_autoStart)
        show();
    m_state.starten = 1;
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (m_state.programmbeenden == 1) {
        event->accept();
        return;
    }
    // Closing only hides the window: the reminders go on.
    if (closeRequest) {
        if (closeRequest())
            event->accept();
        else
            event->ignore();
        return;
    }
    event->ignore();
    if (fraFrame2->isEnabled())
        hide();
}

void FrmMain::wire(QAction* action, std::function<void()> handler) {
    action->setProperty("wired", true);
    connect(action, &QAction::triggered, this, [h = std::move(handler)] { h(); });
}

void FrmMain::wire(QPushButton* button, std::function<void()> handler) {
    button->setProperty("wired", true);
    connect(button, &QPushButton::clicked, this, [h = std::move(handler)] { h(); });
}

void FrmMain::hideUnwiredControls() {
    for (QAction* a : findChildren<QAction*>()) {
        if (!a->isSeparator() && !a->menu() && !a->property("wired").toBool())
            a->setVisible(false);
    }
    for (QPushButton* b :
         {cmdDatensatzeinfuegen, cmdUebernehmen, cmdDatensatzloeschen, cmdDatensaetzeaendern}) {
        if (!b->property("wired").toBool())
            b->hide();
    }
}

} // namespace natalix
