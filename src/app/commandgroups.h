#pragma once

namespace natalix {

class FrmMain;

// Each group of commands connects itself to the main window's controls. A menu item or
// button that no group wires is hidden, so no control does nothing.
void installEditingCommands(FrmMain& form);  // insert, accept, delete, clipboard, bulk change,
                                             // options, weekday
void installReminderCommands(FrmMain& form); // the timer's scan and the reminder window
void installListFileCommands(FrmMain& form); // new, open, save, properties, exit and hiding
void installPrintCommands(FrmMain& form);    // printing the list
void installExtrasCommands(FrmMain& form);   // help and the about box

} // namespace natalix
