#pragma once

#include <QObject>

class QComboBox;

namespace natalix {

class Cursor;
struct CommandContext;
struct Record;

// Writes every field of `record` into the current record as pending changes.
void writeFields(Cursor& cursor, const Record& record);

// Adding a record, accepting it with Enter, and the entry rules of the name and date fields.
class EntryCommands : public QObject {
    Q_OBJECT
public:
    EntryCommands(const CommandContext& context, QObject* parent);

    void cmdDatensatzeinfuegen_Click();
    void cmdUebernehmen_Click();
    // Clears E1 to E3 of the current record, storing it once per marker that was set.
    void erinnerungenzuruecksetzen();

    // The focus handlers, also reachable for callers that move the focus themselves.
    void txtName_GotFocus();
    void txtName_LostFocus();
    void dateBox_GotFocus(QComboBox* box);
    void dateBox_LostFocus(QComboBox* box);
    // The cursor into the name box, as a click would put it there: the field left and the
    // name box run their rules even while the window is not active yet and no focus event
    // comes, so the clipboard commands act on the name.
    void focusNameBox();
    // Returns true when the key is to be discarded.
    bool txtName_KeyPress(int keyAscii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void transliterateEdit(const QString& text);
    const CommandContext& m_ctx;
};

} // namespace natalix
