#pragma once

#include "table/fileerror.h"
#include "ui/services.h"

namespace natalix {

// The questions and messages of the list-file commands, decided apart from the window.

// The texts of the file failure messages, by group (101 opening for writing, 102 opening for
// reading, 103 writing) and code, followed by the code and its description.
QString fileFailureMessage(int group, const FileError& error);
// A failed read or write: the user may retry or cancel.
MessageRequest fileFailureQuestion(int group, const FileError& error);
// A file that was read but holds no list: nothing to retry.
MessageRequest brokenListMessage(const QString& error);

// The open or save dialog for list files, starting in `folder`.
FileDialogRequest listFileDialog(const QString& title, const QString& fileName,
                                 const QString& folder, bool confirmOverwrite);

// Unsaved changes before a command replaces or leaves the list: go on, save to the list's
// own file first, ask; after the answer, save under a new name or stop.
enum class Settle { proceed, save, ask, saveAs, stop };
Settle settleChanges(int dateiwurdegeaendert, const QString& dateinamemitpfad);
Settle settleAnswer(int answer);
MessageRequest saveChangesQuestion();

// "New list" empties the table only when the user confirms with OK.
MessageRequest newListQuestion();

} // namespace natalix
