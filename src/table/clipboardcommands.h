#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace natalix {

struct CommandContext;

// Cut, copy, paste and delete on the edit field named by aktuellesfeld.
class ClipboardCommands : public QObject {
    Q_OBJECT
public:
    ClipboardCommands(const CommandContext& context, QObject* parent);

    void mnuBearbeitenausschneiden_Click();
    void mnuBearbeitenkopieren_Click();
    void mnuBearbeiteneinfuegen_Click();
    void mnuBearbeitenloeschen_Click();

private:
    QLineEdit* currentField() const;
    // Puts `text` in place of the field's selection (or at its cursor) and stores it.
    void replaceSelection(QLineEdit* field, const QString& text);
    void blankWhenEmpty(QLineEdit* field);
    const CommandContext& m_ctx;
};

} // namespace natalix
