#include "app/frmmain.h"

#include "reminder/remindercodes.h"
#include "table/cursor.h"
#include "table/gridmodel.h"
#include "table/gridselection.h"
#include "ui/namedcombobox.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

// The main window's controls: built here, wired in frmmain.cpp and frmmaincommands.cpp.

namespace natalix {

namespace {

constexpr int nameMaxLength = 40;
// Twips of the form layout to pixels: 15 twips a pixel, widened a little for today's fonts.
constexpr double twipScale = 1.25 / 15.0;
constexpr int dateRowOriginTwips = 1560;
constexpr int gridRowHeight = 20;
// The grid shrinks down to this many rows on a small screen before the rest scrolls.
constexpr int fewestGridRows = 4;
// Room left for the window's frame, unknown before it is shown.
constexpr QSize frameAllowance(16, 48);

// A date box: a list to pick from and free text to type.
QComboBox* makeDateBox(QWidget* parent, const char* name) {
    auto* c = new NamedComboBox(parent);
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

void FrmMain::buildWidgets() {
    // On a screen too small for the whole window the grid shrinks, then everything scrolls.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scrollCentral"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setFocusPolicy(Qt::NoFocus);
    auto* central = new QWidget(scroller);
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

    // The grid and the busy display share one place; switching between them never changes
    // the size the window asks for (a grid shown again with scroll bars would grow it).
    m_gridPlace = new QStackedWidget(central);
    m_gridPlace->setObjectName(QStringLiteral("gridPlace"));
    DataGrid1 = new QTableView(m_gridPlace);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setAccessibleName(QStringLiteral("Geburtstagsliste"));
    m_model = new GridModel(m_cursor, this);
    DataGrid1->setModel(m_model);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The arrow keys move between the cells; Tab leaves the grid like any other control.
    DataGrid1->setTabKeyNavigation(false);
    DataGrid1->setAlternatingRowColors(true);
    DataGrid1->verticalHeader()->setDefaultSectionSize(gridRowHeight);
    DataGrid1->verticalHeader()->setFixedWidth(16);
    DataGrid1->horizontalHeader()->setSectionsClickable(true);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    // The laid-out widths, widened only where a column's caption would be cut.
    for (int c = 0; c < GridModel::columnCount_; ++c)
        DataGrid1->setColumnWidth(c, std::max(GridModel::columnWidthPixels(c),
                                              DataGrid1->horizontalHeader()->sectionSizeHint(c)));
    // Spare width goes to the names, which are cut first.
    DataGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    DataGrid1->setMinimumHeight(DataGrid1->horizontalHeader()->sizeHint().height() +
                                fewestGridRows * gridRowHeight + 2 * DataGrid1->frameWidth());
    m_gridPlace->addWidget(DataGrid1);
    outer->addWidget(m_gridPlace, 1);
    m_selection = new GridSelection(*DataGrid1, m_cursor, this);

    // The busy display takes the grid's place while a list is loaded or emptied.
    fraDatensaetze = new QGroupBox(m_gridPlace);
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
    m_gridPlace->addWidget(fraDatensaetze);
    m_gridPlace->setCurrentWidget(DataGrid1);

    adoDatenBar = new QWidget(central);
    adoDatenBar->setObjectName(QStringLiteral("adoDaten"));
    adoDatenBar->setToolTip(QStringLiteral(
        "Mit diesem Steuer-Element können Sie durch die einzelnen Datensätze navigieren ..."));
    auto* nav = new QHBoxLayout(adoDatenBar);
    nav->setContentsMargins(0, 0, 0, 0);
    auto navButton = [&](const char* name, Qt::ArrowType arrow, const QString& text,
                         const QString& accessibleName) {
        auto* b = new QToolButton(adoDatenBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(accessibleName);
        b->setArrowType(arrow);
        if (!text.isEmpty()) {
            b->setArrowType(Qt::NoArrow);
            b->setText(text);
        }
        b->setAutoRaise(false);
        nav->addWidget(b);
        return b;
    };
    cmdAuswahlErster = navButton("cmdAuswahlErster", Qt::NoArrow, QStringLiteral("|◀"),
                                 QStringLiteral("Erster Datensatz"));
    cmdAuswahlVorher = navButton("cmdAuswahlVorher", Qt::LeftArrow, QString(),
                                 QStringLiteral("Vorheriger Datensatz"));
    auto* navCaption = new QLabel(QStringLiteral("Auswahl"), adoDatenBar);
    navCaption->setObjectName(QStringLiteral("lblAuswahl"));
    navCaption->setAlignment(Qt::AlignCenter);
    navCaption->setFrameShape(QFrame::StyledPanel);
    nav->addWidget(navCaption, 1);
    cmdAuswahlNaechster = navButton("cmdAuswahlNaechster", Qt::RightArrow, QString(),
                                    QStringLiteral("Nächster Datensatz"));
    cmdAuswahlLetzter = navButton("cmdAuswahlLetzter", Qt::NoArrow, QStringLiteral("▶|"),
                                  QStringLiteral("Letzter Datensatz"));
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
    scroller->setWidget(central);
    setCentralWidget(scroller);
    // Wide enough for a whole name of 40 characters, but never larger than the screen.
    const int nameRoom = DataGrid1->fontMetrics().averageCharWidth() * 40 + 12;
    QSize wanted(980 + std::max(0, nameRoom - GridModel::columnWidthPixels(1)), 690);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        wanted = wanted.boundedTo(s->availableGeometry().size() - frameAllowance);
    resize(wanted);
}

int FrmMain::dateBoxOffset(int twips) const {
    return static_cast<int>((twips - dateRowOriginTwips) * twipScale);
}

void FrmMain::buildRecordForm() {
    auto* grid = new QGridLayout(fraFrame1);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(5);
    auto label = [&](const char* name, const QString& text, int row, QWidget* buddy = nullptr) {
        auto* l = new QLabel(text, fraFrame1);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        grid->addWidget(l, row, 0);
        return l;
    };

    label("lblDatensatznr", QStringLiteral("Datensatz Nr.:"), 0);
    lblNummer = new QLabel(fraFrame1);
    lblNummer->setObjectName(QStringLiteral("lblNummer"));
    lblNummer->setFrameShape(QFrame::StyledPanel);
    lblNummer->setMinimumWidth(60);
    grid->addWidget(lblNummer, 0, 1, Qt::AlignLeft);

    txtName = new QLineEdit(fraFrame1);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setMaxLength(nameMaxLength);
    txtName->setToolTip(QStringLiteral(
        "Geben Sie hier bitte den Vor- und Nachnamen des Geburtstags-Kindes ein ..."));
    label("lbl1", QStringLiteral("&Name:"), 1, txtName);
    grid->addWidget(txtName, 1, 1, 1, 3);

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
    grid->addWidget(dateRow, 2, 1, 1, 3);

    auto reminderCombo = [&](const char* name, const QStringList& items) {
        return makeListCombo(fraFrame1, name, items);
    };
    cboErsteerinnerung = reminderCombo("cboErsteerinnerung", reminderOffsetTexts());
    label("lbl5", QStringLiteral("&1. Erinnerung:"), 3, cboErsteerinnerung);
    grid->addWidget(cboErsteerinnerung, 3, 1, 1, 3);
    cboZweiteerinnerung = reminderCombo("cboZweiteerinnerung", reminderOffsetTexts());
    label("lbl6", QStringLiteral("&2. Erinnerung:"), 4, cboZweiteerinnerung);
    grid->addWidget(cboZweiteerinnerung, 4, 1, 1, 3);
    cboDritteerinnerung = reminderCombo("cboDritteerinnerung", reminderOffsetTexts());
    label("lbl7", QStringLiteral("&3. Erinnerung:"), 5, cboDritteerinnerung);
    grid->addWidget(cboDritteerinnerung, 5, 1, 1, 3);
    cboErinnerungsbeginn = reminderCombo("cboErinnerungsbeginn", reminderStartTexts());
    label("lbl8", QStringLiteral("Ab de&m:"), 6, cboErinnerungsbeginn);
    grid->addWidget(cboErinnerungsbeginn, 6, 1);
    cboErinnerungszyklus = reminderCombo("cboErinnerungszyklus", reminderCycleTexts());
    auto* lblZyklus = new QLabel(QStringLiteral("&Zyklus:"), fraFrame1);
    lblZyklus->setObjectName(QStringLiteral("lblZyklus"));
    lblZyklus->setBuddy(cboErinnerungszyklus);
    grid->addWidget(lblZyklus, 6, 2);
    grid->addWidget(cboErinnerungszyklus, 6, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // What a screen reader calls each field; the combo boxes would read only their value.
    txtName->setAccessibleName(QStringLiteral("Name"));
    setInputName(cboJahr, QStringLiteral("Geburtsjahr"));
    setInputName(cboMonat, QStringLiteral("Geburtsmonat"));
    setInputName(cboTag, QStringLiteral("Geburtstag"));
    setReminderAccessibleNames(cboErsteerinnerung, cboZweiteerinnerung, cboDritteerinnerung,
                               cboErinnerungsbeginn, cboErinnerungszyklus);
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
    mnuDateikontakteimportieren = makeAction(mnuDatei, "mnuDateikontakteimportieren",
                                             QStringLiteral("&Kontakte importieren..."));
    mnuDateikalenderexportieren = makeAction(mnuDatei, "mnuDateikalenderexportieren",
                                             QStringLiteral("&Als Kalender exportieren (.ics)..."));
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
    // The platform's other clipboard keys (Shift+Del, Ctrl+Ins, Shift+Ins) run the same
    // commands, so a text reaches the fields by one road only.
    const std::pair<QAction*, QKeySequence::StandardKey> clipboardKeys[] = {
        {mnuBearbeitenausschneiden, QKeySequence::Cut},
        {mnuBearbeitenkopieren, QKeySequence::Copy},
        {mnuBearbeiteneinfuegen, QKeySequence::Paste}};
    for (const auto& [action, standard] : clipboardKeys) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
        keys.removeAll(action->shortcut());
        action->setShortcuts(QList<QKeySequence>{action->shortcut()} + keys);
    }
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
    mnuBearbeiten->addSeparator();
    // Ctrl++ adds a record as in the common table programs; no text field claims it.
    mnuBearbeitendatensatzeinfuegen =
        makeAction(mnuBearbeiten, "mnuBearbeitendatensatzeinfuegen",
                   QStringLiteral("&Datensatz einfügen"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    mnuBearbeiten->addSeparator();
    mnuBearbeitensuchen =
        makeAction(mnuBearbeiten, "mnuBearbeitensuchen", QStringLiteral("&Suchen..."),
                   QKeySequence(Qt::CTRL | Qt::Key_F));

    mnuExtras = menuBar()->addMenu(QStringLiteral("&Extras"));
    mnuExtras->setObjectName(QStringLiteral("mnuExtras"));
    mnuExtrasoptionen = makeAction(mnuExtras, "mnuExtrasoptionen", QStringLiteral("&Optionen..."));
    mnuWochentagausgeben =
        makeAction(mnuExtras, "mnuWochentagausgeben", QStringLiteral("&Wochentag ausgeben"));
    mnuExtrasnaechstegeburtstage = makeAction(mnuExtras, "mnuExtrasnaechstegeburtstage",
                                              QStringLiteral("Nächste &Geburtstage..."));
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

} // namespace natalix
