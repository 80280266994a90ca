#pragma once

#include "table/fileerror.h"
#include "table/safefile.h"
#include "ui/services.h"

#include <QObject>

namespace natalix {

struct CommandContext;
struct MainState;
class Cursor;
class Services;

struct DataDir;
// The program's own folder may hold a link someone planted: it is not followed there.
// Elsewhere a link the user made to their own file is.
Links linksFor(const QString& path, const DataDir& dataDir);

// New, open, save, save as, properties, and the ways out of the main window.
class ListFileCommands : public QObject {
    Q_OBJECT
public:
    ListFileCommands(const CommandContext& context, QObject* parent);

    void mnuDateineu_Click();
    void mnuDateioeffnen_Click();
    void mnuDateispeichern_Click();
    void mnuDateispeichernunter_Click();
    void mnuDateieigenschaften_Click();
    void mnuDateibeenden_Click();
    void mnuErinnerungsmodulbeenden_Click();
    // The close request of the window; true lets it close.
    bool Form_Unload();

    // Leaves the table with the sample record only: unnamed, unchanged, sorted by number.
    void speicherentladen();

private:
    // The save dialog; false (and abgebrochen 1) when the user cancelled it.
    bool askSaveName(const QString& preset);
    // The open or save dialog for list files, starting in the data directory.
    FileDialogRequest listDialog(const QString& title, const QString& fileName,
                                 bool confirmOverwrite) const;
    void dateischreiben();
    Links linksOf(const QString& path) const;
    // The question for unsaved changes: false stops the calling command.
    bool aenderungenklaeren();
    bool exitSteps();
    // Empties the table down to the sample record, inside the caller's transaction.
    bool emptyTable();
    void reportStoreFailure();

    MainState& state();
    Cursor& cursor();
    Services& services();

    const CommandContext& m_ctx;
};

} // namespace natalix
