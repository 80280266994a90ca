#include "app/commandgroups.h"

#include "app/frmmain.h"
#include "extras/weekdaycommand.h"
#include "options/frmoptions.h"
#include "table/clipboardcommands.h"
#include "table/deletecommands.h"
#include "table/entrycommands.h"
#include "table/frmaendern.h"

namespace natalix {

void installEditingCommands(FrmMain& form) {
    // Parented to the form: they live as long as it does and are found by findChild.
    auto* entry = new EntryCommands(form);
    form.wire(form.cmdDatensatzeinfuegen, [entry] { entry->cmdDatensatzeinfuegen_Click(); });
    form.wire(form.cmdUebernehmen, [entry] { entry->cmdUebernehmen_Click(); });
    form.enterPressed = [entry] { entry->cmdUebernehmen_Click(); };

    auto* deletion = new DeleteCommands(form);
    form.wire(form.cmdDatensatzloeschen, [deletion] { deletion->cmdDatensatzloeschen_Click(); });

    auto* clipboard = new ClipboardCommands(form);
    form.wire(form.mnuBearbeitenausschneiden,
              [clipboard] { clipboard->mnuBearbeitenausschneiden_Click(); });
    form.wire(form.mnuBearbeitenkopieren,
              [clipboard] { clipboard->mnuBearbeitenkopieren_Click(); });
    form.wire(form.mnuBearbeiteneinfuegen,
              [clipboard] { clipboard->mnuBearbeiteneinfuegen_Click(); });
    form.wire(form.mnuBearbeitenloeschen,
              [clipboard] { clipboard->mnuBearbeitenloeschen_Click(); });

    auto* bulk = new BulkChangeCommands(form);
    form.wire(form.cmdDatensaetzeaendern, [bulk] { bulk->cmdDatensaetzeaendern_Click(); });

    auto* options = new OptionsCommands(form);
    form.wire(form.mnuExtrasoptionen, [options] { options->mnuExtrasoptionen_Click(); });

    auto* weekday = new WeekdayCommand(form);
    form.wire(form.mnuWochentagausgeben, [weekday] { weekday->mnuWochentagausgeben_Click(); });
}

} // namespace natalix
