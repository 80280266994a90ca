#include "table/clipboardcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/entryrules.h"
#include "ui/services.h"

#include <QComboBox>
#include <QLineEdit>

namespace natalix {

ClipboardCommands::ClipboardCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("ClipboardCommands"));
}

QLineEdit* ClipboardCommands::currentField() const {
    switch (m_ctx.state.aktuellesfeld) {
    case 1:
        return m_ctx.form.nameBox();
    case 2:
        return m_ctx.form.dayBox()->lineEdit();
    case 3:
        return m_ctx.form.monthBox()->lineEdit();
    case 4:
        return m_ctx.form.yearBox()->lineEdit();
    default:
        return nullptr;
    }
}

void ClipboardCommands::replaceSelection(QLineEdit* field, const QString& text) {
    const bool selected = field->hasSelectedText();
    const bool name = field == m_ctx.form.nameBox();
    const FieldEdit edit =
        replaceInField(field->text(), selected ? field->selectionStart() : field->cursorPosition(),
                       selected ? static_cast<int>(field->selectedText().size()) : 0, text, name);
    if (name)
        m_ctx.form.setNameText(edit.text);
    else
        m_ctx.form.setDateBoxText(qobject_cast<QComboBox*>(field->parent()), edit.text);
    field->setCursorPosition(edit.cursor);
}

void ClipboardCommands::blankWhenEmpty(QLineEdit* field) {
    if (field->text().isEmpty())
        replaceSelection(field, QStringLiteral(" "));
}

void ClipboardCommands::mnuBearbeitenkopieren_Click() {
    QLineEdit* field = currentField();
    if (!field || field->selectedText().isEmpty())
        return;
    Services& services = m_ctx.services;
    services.clipboardClear();
    services.clipboardSetText(field->selectedText());
}

void ClipboardCommands::mnuBearbeitenausschneiden_Click() {
    QLineEdit* field = currentField();
    if (!field || field->selectedText().isEmpty())
        return;
    m_ctx.state.dateiwurdegeaendert = 1;
    Services& services = m_ctx.services;
    services.clipboardClear();
    services.clipboardSetText(field->selectedText());
    replaceSelection(field, QString());
    blankWhenEmpty(field);
}

void ClipboardCommands::mnuBearbeiteneinfuegen_Click() {
    QLineEdit* field = currentField();
    Services& services = m_ctx.services;
    if (!field || !services.clipboardHasText())
        return;
    m_ctx.state.dateiwurdegeaendert = 1;
    replaceSelection(field, pastedText(services.clipboardText(), field == m_ctx.form.nameBox()));
}

void ClipboardCommands::mnuBearbeitenloeschen_Click() {
    QLineEdit* field = currentField();
    if (!field)
        return;
    m_ctx.state.dateiwurdegeaendert = 1;
    replaceSelection(field, QString());
    blankWhenEmpty(field);
}

} // namespace natalix
