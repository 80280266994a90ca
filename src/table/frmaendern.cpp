#include "table/frmaendern.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "reminder/remindercodes.h"
#include "table/cursor.h"
#include "table/gridselection.h"
#include "ui/services.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace natalix {

FrmAendern::FrmAendern(const CommandContext& context) : QDialog(&context.window), m_ctx(context) {
    setObjectName(QStringLiteral("frmAendern"));
    setWindowTitle(QStringLiteral("Mehrere Datensätze ändern"));
    setFixedDialogFrame(this);
    setModal(true);

    Frame2 = new QGroupBox(QStringLiteral("Einstellungen für ausgewählte Datensätze"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    settings.build(
        Frame2,
        QStringLiteral("Wenn mehrere Datensätze geändert werden, können Sie hier auswählen, an "
                       "welchem Tag Sie standardmässig an die Geburtstage erinnert werden "
                       "möchten ..."),
        QStringLiteral("Wenn mehrere Datensätze geändert werden, können Sie hier auswählen, ab "
                       "welchem Geburtstag Sie standardmässig erinnert werden möchten ..."),
        QStringLiteral("Wenn mehrere Datensätze geändert werden, können Sie hier auswählen alle "
                       "wieviel Jahre Sie standardmässig erinnert werden möchten ..."));

    cmdOK = new QPushButton(QStringLiteral("&Datensätze ändern"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Mit 'Datensätze ändern' werden obige Einstellungen für die "
                                     "markierten Datensätze übernommen ..."));
    cmdCancel = new QPushButton(QStringLiteral("Abbre&chen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral(
        "Mit 'Abbrechen' verlassen Sie das Fenster ohne Änderungen an den Datensätzen ..."));
    // Enter and Escape both leave without a change; Escape rejects as any dialog does.
    cmdCancel->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Frame2);
    outer->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(cmdOK, &QPushButton::clicked, this, &FrmAendern::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmAendern::cmdCancel_Click);
    Form_Load();
}

void FrmAendern::Form_Load() {
    const Options& o = m_ctx.state.options;
    settings.preset(o);
}

void FrmAendern::cmdCancel_Click() {
    reject();
}

void FrmAendern::cmdOK_Click() {
    MainState& s = m_ctx.state;
    s.gewaehlt = m_ctx.services.message(confirmChange(
        QStringLiteral("Sollen die selektierten Datensätze wirklich geändert werden?"),
        QStringLiteral("Mehrere Datensätze ändern")));
    if (s.gewaehlt != answer::yes)
        return;

    hide();
    m_ctx.services.processEvents();
    if (changeSelectedRecords()) {
        s.dateiwurdegeaendert = 1;
        accept();
        return;
    }
    m_ctx.storeFailureHandled();
    MessageRequest failed;
    failed.text = QStringLiteral("Die Datensätze konnten nicht geändert werden; die Tabelle "
                                 "bleibt unverändert. (%1)")
                      .arg(m_ctx.cursor.lastError());
    failed.title = QStringLiteral("Mehrere Datensätze ändern");
    failed.icon = Icon::Exclamation;
    m_ctx.services.message(failed);
    reject();
}

bool FrmAendern::changeSelectedRecords() {
    LockRecordCheck lock(m_ctx.state);
    Cursor& c = m_ctx.cursor;
    const QList<qint64> selected = m_ctx.grid.selection().bookmarks();
    const int remembered = c.absolutePosition();
    const std::pair<Field, QString> values[] = {
        {Field::Erinnerung1, settings.cbo1Erinnerung->currentText()},
        {Field::Erinnerung2, settings.cbo2Erinnerung->currentText()},
        {Field::Erinnerung3, settings.cbo3Erinnerung->currentText()},
        {Field::Erinnerungsbeginn, settings.cboErinnerungsbeginn->currentText()},
        {Field::Erinnerungszyklus, settings.cboErinnerungszyklus->currentText()},
    };

    // All or nothing, and one commit instead of one per record.
    if (!c.begin())
        return false;
    bool ok = c.moveFirst();
    for (qint64 bookmark : selected) {
        if (!ok)
            break;
        ok = c.setBookmark(bookmark);
        for (const auto& [field, value] : values)
            ok = ok && c.setField(field, value);
        for (Field marker : {Field::E1, Field::E2, Field::E3})
            ok = ok && c.setField(marker, 0);
    }
    ok = ok && (remembered > 0 ? c.setAbsolutePosition(remembered) : c.update());
    if (!ok) {
        c.rollback();
        c.setAbsolutePosition(remembered);
        return false;
    }
    if (!c.commit()) {
        c.setAbsolutePosition(remembered);
        return false;
    }
    m_ctx.grid.syncGridToCursor();
    return true;
}

BulkChangeCommands::BulkChangeCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("BulkChangeCommands"));
}

void BulkChangeCommands::cmdDatensaetzeaendern_Click() {
    m_ctx.form.datensatzpruefen();
    Cursor& c = m_ctx.cursor;
    if (m_ctx.grid.selection().count() == 0) {
        c.update(); // a record not stored yet has no bookmark
        m_ctx.grid.selection().add(c.bookmark());
    }
    FrmAendern dialog(m_ctx);
    m_ctx.services.execDialog(dialog);
}

} // namespace natalix
