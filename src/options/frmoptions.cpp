#include "options/frmoptions.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "desktop/autostart.h"
#include "desktop/desktopsettings.h"
#include "options/options.h"
#include "reminder/remindercodes.h"
#include "sync/syncsettingspage.h"
#include "sync/syncwindow.h"
#include "ui/services.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace natalix {

namespace {

QRadioButton* optionButton(QGroupBox* parent, const char* name, const QString& caption,
                           const QString& tip) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    // Both frames offer the same two captions; the name says which date display it sets.
    b->setAccessibleName(withoutAccessKey(parent->title()) + QStringLiteral(": ") +
                         caption.simplified());
    return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAccessibleName(withoutAccessKey(caption));
    return b;
}

// The program the desktop starts at login: this very one, on this data folder.
Autostart programAutostart(const DataDir& dir) {
    return Autostart(QCoreApplication::applicationFilePath(),
                     dir.explicitlyGiven ? dir.path : QString());
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}

const QString oldDisplay = QStringLiteral("alte Anzeige      (22.12.1971)");
const QString newDisplay = QStringLiteral("neue Anzeige    (1971-12-22)");

} // namespace

FrmOptions::FrmOptions(const CommandContext& context) : QDialog(&context.window), m_ctx(context) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optionen"));
    setFixedDialogFrame(this);
    setModal(true);

    // A frame's access key leads to its checked option; the arrow keys choose the other.
    Frame1 = new QGroupBox(QStringLiteral("Datums-Anzeige im &Hauptfenster"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    optOptionalteanzeigehauptfenster = optionButton(
        Frame1, "optOptionalteanzeigehauptfenster", oldDisplay,
        QStringLiteral("Hier können Sie auswählen, ob das Datum im Haupt- und Erinnerungs-Fenster "
                       "in der alten (Tag.Monat.Jahr) Schreibweise angezeigt wird ..."));
    optOptionneueanzeigehauptfenster = optionButton(
        Frame1, "optOptionneueanzeigehauptfenster", newDisplay,
        QStringLiteral("Hier können Sie auswählen, ob das Datum im Haupt- und Erinnerungs-Fenster "
                       "in der neuen (Jahr-Monat-Tag) Schreibweise angezeigt wird ..."));
    auto* frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(optOptionalteanzeigehauptfenster);
    frame1Layout->addWidget(optOptionneueanzeigehauptfenster);

    Frame3 = new QGroupBox(QStringLiteral("Datums-Anzeige beim &Drucken"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    optOptionalteanzeigedrucken = optionButton(
        Frame3, "optOptionalteanzeigedrucken", oldDisplay,
        QStringLiteral("Hier können Sie auswählen, ob das Datum in der alten (Tag.Monat.Jahr) "
                       "Schreibweise ausgedruckt wird ..."));
    optOptionneueanzeigedrucken = optionButton(
        Frame3, "optOptionneueanzeigedrucken", newDisplay,
        QStringLiteral("Hier können Sie auswählen, ob das Datum in der neuen (Jahr-Monat-Tag) "
                       "Schreibweise ausgedruckt wird ..."));
    auto* frame3Layout = new QVBoxLayout(Frame3);
    frame3Layout->addWidget(optOptionalteanzeigedrucken);
    frame3Layout->addWidget(optOptionneueanzeigedrucken);

    Frame2 = new QGroupBox(QStringLiteral("Standard-Einstellungen für neue Datensätze"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    settings.build(
        Frame2,
        QStringLiteral("Falls im Hauptfenster ein neuer Datensatz eingefügt wird, können Sie hier "
                       "auswählen, an welchem Tag Sie standardmässig an den Geburtstag erinnert "
                       "werden möchten ..."),
        QStringLiteral("Falls im Hauptfenster ein neuer Datensatz eingefügt wird, können Sie hier "
                       "auswählen, ab welchem Geburtstag Sie standardmässig erinnert werden "
                       "möchten ..."),
        QStringLiteral("Falls im Hauptfenster ein neuer Datensatz eingefügt wird, können Sie hier "
                       "auswählen, alle wieviel Jahre Sie standardmässig erinnert werden "
                       "möchten ..."));

    // Beyond the options file: these live in the desktop and the settings store.
    Frame4 = new QGroupBox(QStringLiteral("Desktop"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    chkAutostart = checkBox(
        Frame4, "chkAutostart", QStringLiteral("&Natalix bei der Anmeldung im Hintergrund starten"),
        QStringLiteral("Hier können Sie auswählen, ob Natalix bei jeder Anmeldung ohne Fenster "
                       "gestartet wird, damit Sie keine Erinnerung verpassen ..."));
    chkBenachrichtigungen = checkBox(
        Frame4, "chkBenachrichtigungen",
        QStringLiteral("&Erinnerungen auch als Benachrichtigung des Desktops zeigen"),
        QStringLiteral("Hier können Sie auswählen, ob Erinnerungen außer im Erinnerungs-Fenster "
                       "auch als Benachrichtigung des Desktops erscheinen ..."));
    auto* frame4Layout = new QVBoxLayout(Frame4);
    frame4Layout->addWidget(chkAutostart);
    frame4Layout->addWidget(chkBenachrichtigungen);

    cmdOK = button(this, "cmdOK", QStringLiteral("&OK"),
                   QStringLiteral("Mit OK übernehmen Sie obige Einstellungen und verlassen das "
                                  "Fenster Optionen ..."));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Abbre&chen"),
                       QStringLiteral("Mit Abbrechen verlieren Sie die Änderungen an obigen "
                                      "Einstellungen und verlassen das Fenster Optionen ..."));
    cmdApply = button(this, "cmdApply", QStringLiteral("&Übernehmen"),
                      QStringLiteral("Mit Übernehmen speichern Sie obige Einstellungen ..."));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto* displays = new QHBoxLayout;
    displays->addWidget(Frame1);
    displays->addWidget(Frame3);
    auto* general = new QWidget(this);
    general->setObjectName(QStringLiteral("tabAllgemein"));
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addLayout(displays);
    generalLayout->addWidget(Frame2);
    generalLayout->addWidget(Frame4);
    generalLayout->addStretch();
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabOptionen"));
    tabs->setAccessibleName(QStringLiteral("Bereiche der Optionen"));
    tabs->addTab(general, QStringLiteral("Allgemein"));
    if (SyncHost* sync = syncHostOf(context.window))
        syncPage = addSyncPage(*tabs, *sync);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(cmdOK, &QPushButton::clicked, this, &FrmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmOptions::cmdCancel_Click);
    connect(cmdApply, &QPushButton::clicked, this, &FrmOptions::cmdApply_Click);
    Form_Load();
}

void FrmOptions::Form_Load() {
    if (const QScreen* s = m_ctx.window.screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    const Options& o = m_ctx.state.options;
    settings.preset(o);
    if (o.optiondatumsanzeigehauptfenster == 0)
        optOptionneueanzeigehauptfenster->setChecked(true);
    if (o.optiondatumsanzeigehauptfenster == 1)
        optOptionalteanzeigehauptfenster->setChecked(true);
    if (o.optiondatumsanzeigedrucken == 0)
        optOptionneueanzeigedrucken->setChecked(true);
    if (o.optiondatumsanzeigedrucken == 1)
        optOptionalteanzeigedrucken->setChecked(true);
    chkAutostart->setChecked(programAutostart(m_ctx.dataDir).isEnabled());
    chkBenachrichtigungen->setChecked(notificationsEnabled(m_ctx.settings));
}

void FrmOptions::applyDesktopSettings() {
    QStringList problems;
    const Autostart autostart = programAutostart(m_ctx.dataDir);
    if (chkAutostart->isChecked() != autostart.isEnabled()) {
        QString error;
        const bool done =
            chkAutostart->isChecked() ? autostart.enable(&error) : autostart.disable(&error);
        if (!done) {
            problems << error;
            chkAutostart->setChecked(autostart.isEnabled());
        }
    }
    if (chkBenachrichtigungen->isChecked() != notificationsEnabled(m_ctx.settings) &&
        !setNotificationsEnabled(m_ctx.settings, chkBenachrichtigungen->isChecked()))
        problems << m_ctx.settings.lastError();
    if (problems.isEmpty())
        return;
    MessageRequest failed;
    failed.text = problems.join(QStringLiteral("\n\n"));
    failed.icon = Icon::Exclamation;
    m_ctx.services.message(failed);
}

bool FrmOptions::optionenuebernehmen() {
    Options& o = m_ctx.state.options;
    o.option1erinnerung = settings.cbo1Erinnerung->currentText();
    o.option2erinnerung = settings.cbo2Erinnerung->currentText();
    o.option3erinnerung = settings.cbo3Erinnerung->currentText();
    o.optionabjahr = settings.cboErinnerungsbeginn->currentText();
    o.optionzyklus = settings.cboErinnerungszyklus->currentText();
    if (optOptionneueanzeigehauptfenster->isChecked()) {
        o.optiondatumsanzeigehauptfenster = 0;
        m_ctx.form.datumsanzeigeeinstellen();
    }
    if (optOptionalteanzeigehauptfenster->isChecked()) {
        o.optiondatumsanzeigehauptfenster = 1;
        m_ctx.form.datumsanzeigeeinstellen();
    }
    if (optOptionneueanzeigedrucken->isChecked())
        o.optiondatumsanzeigedrucken = 0;
    if (optOptionalteanzeigedrucken->isChecked())
        o.optiondatumsanzeigedrucken = 1;

    applyDesktopSettings();
    QString error;
    if (!writeOptionsFile(m_ctx.dataDir.optionsPath(), o, &error)) {
        // The values stay in effect; the user learns that they will not survive a restart.
        MessageRequest failed;
        failed.text = error;
        failed.icon = Icon::Exclamation;
        m_ctx.services.message(failed);
    }
    if (syncPage && !syncPage->apply()) {
        tabs->setCurrentWidget(syncPage);
        return false;
    }
    return true;
}

void FrmOptions::cmdOK_Click() {
    if (optionenuebernehmen())
        accept();
}

void FrmOptions::cmdCancel_Click() {
    reject();
}

void FrmOptions::cmdApply_Click() {
    optionenuebernehmen();
}

OptionsCommands::OptionsCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("OptionsCommands"));
}

void OptionsCommands::mnuExtrasoptionen_Click() {
    m_ctx.form.datensatzpruefen();
    FrmOptions dialog(m_ctx);
    m_ctx.services.execDialog(dialog);
}

} // namespace natalix
