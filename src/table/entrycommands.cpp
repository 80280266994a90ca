#include "table/entrycommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "listfile/transliterate.h"
#include "table/birthyear.h"
#include "table/cursor.h"
#include "table/entryrules.h"
#include "table/recordcheck.h"
#include "table/sortcommands.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace natalix {

namespace {

constexpr int backspace = 8;
constexpr int blank = 32;

// Focus that moves to a menu or a drop-down list, or leaves with the whole window, does
// not enter or leave a field: the clipboard commands still need to know the field then.
bool movesBetweenControls(const QFocusEvent* e) {
    return e->reason() != Qt::PopupFocusReason && e->reason() != Qt::MenuBarFocusReason &&
           e->reason() != Qt::ActiveWindowFocusReason;
}

// A key that types text into the field (what the name filter judges), not an editing key.
bool typesText(const QKeyEvent* e) {
    const QString t = e->text();
    if (t.isEmpty())
        return false;
    const Qt::KeyboardModifiers m = e->modifiers();
    if (m.testFlag(Qt::MetaModifier) ||
        (m.testFlag(Qt::ControlModifier) && !m.testFlag(Qt::AltModifier)))
        return false;
    return std::all_of(t.cbegin(), t.cend(),
                       [](QChar c) { return c.unicode() >= blank && c.unicode() != 127; });
}

// aktuellesfeld while the box has the focus.
int fieldCode(const RecordForm& form, const QComboBox* box) {
    return box == form.yearBox() ? 4 : box == form.monthBox() ? 3 : 2;
}

} // namespace

void writeFields(Cursor& cursor, const Record& record) {
    for (int i = 0; i < fieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        if (isWholeNumberField(f))
            cursor.setField(f, record.wholeNumber(f));
        else
            cursor.setField(f, record.text(f));
    }
}

EntryCommands::EntryCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("EntryCommands"));
    RecordForm& form = context.form;
    form.nameBox()->installEventFilter(this);
    for (QComboBox* box : {form.yearBox(), form.monthBox(), form.dayBox()})
        box->installEventFilter(this);
    // Text that reaches the name by other roads (drag and drop, an input method) is
    // transliterated as typed keys are.
    connect(form.nameBox(), &QLineEdit::textEdited, this, &EntryCommands::transliterateEdit);
}

bool EntryCommands::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        if (!movesBetweenControls(static_cast<QFocusEvent*>(event)))
            return false;
        if (watched == m_ctx.form.nameBox()) {
            if (type == QEvent::FocusIn)
                txtName_GotFocus();
            else
                txtName_LostFocus();
        } else if (auto* box = qobject_cast<QComboBox*>(watched)) {
            if (type == QEvent::FocusIn)
                dateBox_GotFocus(box);
            else
                dateBox_LostFocus(box);
        }
        return false;
    }
    if (type == QEvent::KeyPress && watched == m_ctx.form.nameBox()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace)
            return txtName_KeyPress(backspace);
        if (!typesText(key))
            return false;
        // A list file holds Windows-1252 only: a letter it lacks is typed as its closest
        // letter there (ı as i), one without a Latin form as "?".
        const QString typed = transliterateName(key->text());
        if (typed.isEmpty())
            return true;
        if (txtName_KeyPress(typed.at(0).unicode()))
            return true;
        if (typed == key->text())
            return false;
        m_ctx.form.nameBox()->insert(typed);
        return true;
    }
    return false;
}

void EntryCommands::cmdDatensatzeinfuegen_Click() {
    m_ctx.form.datensatzpruefen();
    m_ctx.grid.clearSelection();
    MainState& s = m_ctx.state;
    LockRecordCheck lock(s);
    Cursor& c = m_ctx.cursor;
    if (!takesAnotherRecord(c.recordCount()))
        return;

    c.moveFirst();
    std::vector<int> numbers;
    for (const Record& r : c.snapshot())
        numbers.push_back(r.nummer);
    const std::optional<int> nummer = newRecordNumber(numbers);
    if (!nummer)
        return;

    c.moveLast();
    c.update();
    c.addNew();
    writeFields(c, newRecord(*nummer, s.options.reminderDefaults()));
    c.update();

    s.setSortToggles(0, 0, 0, 0, 0);
    m_ctx.grid.sortTable(QStringLiteral("Nummer ASC"), caption::byNumberAscending());
    c.moveLast();
    m_ctx.form.nameBox()->setFocus(Qt::OtherFocusReason);
    s.dateiwurdegeaendert = 1;
}

void EntryCommands::cmdUebernehmen_Click() {
    // Enter reaches this also while a list is being loaded.
    if (!m_ctx.form.controlsEnabled())
        return;
    MainState& s = m_ctx.state;
    // A date field is left now, while its record is still current: its corrections and the
    // cleared markers belong to that record, not to the next one. The record check comes
    // first, as Enter runs it before the field is left: "19650" is cut to 1965, not pulled
    // to 2099.
    if (s.aktuellesfeld >= 2) {
        m_ctx.form.datensatzpruefen();
        m_ctx.form.nameBox()->setFocus(Qt::OtherFocusReason);
        if (s.aktuellesfeld == 2)
            dateBox_LostFocus(m_ctx.form.dayBox());
        else if (s.aktuellesfeld == 3)
            dateBox_LostFocus(m_ctx.form.monthBox());
        else if (s.aktuellesfeld == 4)
            dateBox_LostFocus(m_ctx.form.yearBox());
    }
    m_ctx.form.datensatzpruefen();
    m_ctx.grid.clearSelection();
    Cursor& c = m_ctx.cursor;
    // The button promises to store the record: on the last record there is no next one
    // whose move would do it.
    if (c.absolutePosition() != c.recordCount())
        c.moveNext();
    else
        c.update();
    m_ctx.form.nameBox()->setFocus(Qt::OtherFocusReason);
}

void EntryCommands::focusNameBox() {
    MainState& s = m_ctx.state;
    const int before = s.aktuellesfeld;
    m_ctx.form.nameBox()->setFocus(Qt::OtherFocusReason);
    if (s.aktuellesfeld == 1)
        return;
    if (before == 2)
        dateBox_LostFocus(m_ctx.form.dayBox());
    else if (before == 3)
        dateBox_LostFocus(m_ctx.form.monthBox());
    else if (before == 4)
        dateBox_LostFocus(m_ctx.form.yearBox());
    txtName_GotFocus();
}

void EntryCommands::erinnerungenzuruecksetzen() {
    Cursor& c = m_ctx.cursor;
    for (Field marker : {Field::E1, Field::E2, Field::E3}) {
        if (c.fieldNumber(marker) != 0) {
            c.setField(marker, 0);
            c.update();
        }
    }
}

void EntryCommands::txtName_GotFocus() {
    if (m_ctx.form.nameBox()->text().isEmpty())
        m_ctx.form.setNameText(QStringLiteral(" "));
    m_ctx.state.aktuellesfeld = 1;
}

void EntryCommands::txtName_LostFocus() {
    if (m_ctx.form.nameBox()->text().isEmpty()) {
        m_ctx.form.setNameText(QStringLiteral(" "));
        m_ctx.cursor.update();
    }
    m_ctx.form.datensatzpruefen();
    m_ctx.state.aktuellesfeld = 0;
}

void EntryCommands::dateBox_GotFocus(QComboBox* box) {
    m_ctx.state.aktuellesfeld = fieldCode(m_ctx.form, box);
}

void EntryCommands::dateBox_LostFocus(QComboBox* box) {
    const Field field = box == m_ctx.form.yearBox()    ? Field::Jahr
                        : box == m_ctx.form.monthBox() ? Field::Monat
                                                       : Field::Tag;
    const int value = leftDateBoxValue(field, box->currentText());
    m_ctx.form.setDateBoxText(box,
                              field == Field::Jahr ? yearBoxText(value) : QString::number(value));
    MainState& s = m_ctx.state;
    s.dateiwurdegeaendert = 1;
    erinnerungenzuruecksetzen();
    s.aktuellesfeld = 0;
}

bool EntryCommands::txtName_KeyPress(int keyAscii) {
    const NameKey rule = nameKeyRule(m_ctx.form.nameBox()->text(), keyAscii);
    if (rule == NameKey::Refused)
        return true;
    if (rule == NameKey::Blanked)
        m_ctx.form.setNameText(QStringLiteral(" "));
    if (m_ctx.form.nameBox()->text().isEmpty()) {
        m_ctx.form.setNameText(QStringLiteral(" "));
        m_ctx.form.nameBox()->setCursorPosition(0);
    }
    m_ctx.state.dateiwurdegeaendert = 1;
    erinnerungenzuruecksetzen();
    return rule == NameKey::Blanked;
}

void EntryCommands::transliterateEdit(const QString& text) {
    // Every edit of the name counts, also one that came past the key filter (an input method,
    // undo, a dropped text): the list changed and the name is reminded of afresh.
    m_ctx.state.dateiwurdegeaendert = 1;
    erinnerungenzuruecksetzen();
    const QString name = transliterateName(text);
    if (name == text)
        return;
    QLineEdit* edit = m_ctx.form.nameBox();
    const int cursorAt =
        static_cast<int>(transliterateName(QStringView(text).left(edit->cursorPosition())).size());
    m_ctx.form.setNameText(name.left(edit->maxLength()));
    edit->setCursorPosition(cursorAt);
}

} // namespace natalix
