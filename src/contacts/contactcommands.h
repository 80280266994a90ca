#pragma once

#include <QObject>

namespace natalix {

struct CommandContext;

// "Kontakte importieren..." and "Als Kalender exportieren (.ics)..." of the menu "&Datei":
// the window's side of the contacts import and the calendar export of the core.
class ContactCommands : public QObject {
    Q_OBJECT
public:
    ContactCommands(const CommandContext& context, QObject* parent);

    void mnuDateikontakteimportieren_Click();
    void mnuDateikalenderexportieren_Click();

signals:
    // Records came in; some may be due today.
    void recordsAdded();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
