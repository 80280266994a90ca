#include "table/clipboardcommands.h"

#include "app/frmmain.h"
#include "listfile/cp1252.h"
#include "ui/services.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace natalix {

namespace {
constexpr int nameMaxLength = 40;
}

QString steuerzeichenentfernen(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 32)
            out += c;
    }
    return out;
}

ClipboardCommands::ClipboardCommands(FrmMain& form) : QObject(&form), m_form(form) {
    setObjectName(QStringLiteral("ClipboardCommands"));
}

QLineEdit* ClipboardCommands::currentField() const {
    switch (m_form.state().aktuellesfeld) {
    case 1:
        return m_form.txtName;
    case 2:
        return m_form.cboTag->lineEdit();
    case 3:
        return m_form.cboMonat->lineEdit();
    case 4:
        return m_form.cboJahr->lineEdit();
    default:
        return nullptr;
    }
}

void ClipboardCommands::replaceSelection(QLineEdit* field, const QString& text) {
    QString value = field->text();
    const bool selected = field->hasSelectedText();
    const int start = selected ? field->selectionStart() : field->cursorPosition();
    value.remove(start, selected ? field->selectedText().size() : 0);
    QString piece = text;
    // The name holds 40 characters at most; what does not fit is cut off at the end.
    if (field == m_form.txtName)
        piece.truncate(std::max<qsizetype>(0, nameMaxLength - value.size()));
    value.insert(start, piece);
    if (field == m_form.txtName)
        m_form.setNameText(value);
    else
        m_form.setDateBoxText(qobject_cast<QComboBox*>(field->parent()), value);
    field->setCursorPosition(start + static_cast<int>(piece.size()));
}

void ClipboardCommands::blankWhenEmpty(QLineEdit* field) {
    if (field->text().isEmpty())
        replaceSelection(field, QStringLiteral(" "));
}

void ClipboardCommands::mnuBearbeitenkopieren_Click() {
    QLineEdit* field = currentField();
    if (!field || field->selectedText().isEmpty())
        return;
    Services& services = m_form.services();
    services.clipboardClear();
    services.clipboardSetText(field->selectedText());
}

void ClipboardCommands::mnuBearbeitenausschneiden_Click() {
    QLineEdit* field = currentField();
    if (!field || field->selectedText().isEmpty())
        return;
    m_form.state().dateiwurdegeaendert = 1;
    Services& services = m_form.services();
    services.clipboardClear();
    services.clipboardSetText(field->selectedText());
    replaceSelection(field, QString());
    blankWhenEmpty(field);
}

void ClipboardCommands::mnuBearbeiteneinfuegen_Click() {
    QLineEdit* field = currentField();
    Services& services = m_form.services();
    if (!field || !services.clipboardHasText())
        return;
    m_form.state().dateiwurdegeaendert = 1;
    QString text = steuerzeichenentfernen(services.clipboardText());
    // A list file holds Windows-1252 only; anything else would be lost at the next save.
    if (field == m_form.txtName)
        text = keepCp1252(QStringView(text));
    replaceSelection(field, text);
}

void ClipboardCommands::mnuBearbeitenloeschen_Click() {
    QLineEdit* field = currentField();
    if (!field)
        return;
    m_form.state().dateiwurdegeaendert = 1;
    replaceSelection(field, QString());
    blankWhenEmpty(field);
}

} // namespace natalix
