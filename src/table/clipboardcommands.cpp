#include "table/clipboardcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "listfile/transliterate.h"
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
    QString value = field->text();
    const bool selected = field->hasSelectedText();
    const int start = selected ? field->selectionStart() : field->cursorPosition();
    value.remove(start, selected ? field->selectedText().size() : 0);
    QString piece = text;
    // The name holds 40 characters at most; what does not fit is cut off at the end.
    if (field == m_ctx.form.nameBox())
        piece.truncate(std::max<qsizetype>(0, nameMaxLength - value.size()));
    value.insert(start, piece);
    if (field == m_ctx.form.nameBox())
        m_ctx.form.setNameText(value);
    else
        m_ctx.form.setDateBoxText(qobject_cast<QComboBox*>(field->parent()), value);
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
    QString text = steuerzeichenentfernen(services.clipboardText());
    // A list file holds Windows-1252 only: what it lacks is transliterated (Łukasz → Lukasz).
    if (field == m_ctx.form.nameBox())
        text = transliterateName(text);
    replaceSelection(field, text);
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
