#include "app/frmmain.h"

#include "contacts/contactcommands.h"
#include "extras/extrascommands.h"
#include "extras/upcomingcommands.h"
#include "extras/weekdaycommand.h"
#include "listfile/listfilecommands.h"
#include "options/frmoptions.h"
#include "print/printcommands.h"
#include "table/clipboardcommands.h"
#include "table/deletecommands.h"
#include "table/entrycommands.h"
#include "table/frmaendern.h"
#include "table/searchcommand.h"
#include "table/sortcommands.h"

#include <QAction>
#include <QPushButton>

// Which command each menu item and button runs.

namespace natalix {

void FrmMain::wire(QAction* action, std::function<void()> handler) {
    connect(action, &QAction::triggered, this, [h = std::move(handler)] { h(); });
}

void FrmMain::wire(QPushButton* button, std::function<void()> handler) {
    connect(button, &QPushButton::clicked, this, [h = std::move(handler)] { h(); });
}

void FrmMain::installCommands() {
    const CommandContext& c = *m_context;
    // Parented to the window: they live as long as it does and are found by findChild.
    m_entry = new EntryCommands(c, this);
    wire(cmdDatensatzeinfuegen, [e = m_entry] { e->cmdDatensatzeinfuegen_Click(); });
    wire(mnuBearbeitendatensatzeinfuegen, [e = m_entry] { e->cmdDatensatzeinfuegen_Click(); });
    wire(cmdUebernehmen, [e = m_entry] { e->cmdUebernehmen_Click(); });

    auto* deletion = new DeleteCommands(c, this);
    wire(cmdDatensatzloeschen, [deletion] { deletion->cmdDatensatzloeschen_Click(); });
    auto* bulk = new BulkChangeCommands(c, this);
    wire(cmdDatensaetzeaendern, [bulk] { bulk->cmdDatensaetzeaendern_Click(); });

    auto* clipboard = new ClipboardCommands(c, this);
    wire(mnuBearbeitenausschneiden, [clipboard] { clipboard->mnuBearbeitenausschneiden_Click(); });
    wire(mnuBearbeitenkopieren, [clipboard] { clipboard->mnuBearbeitenkopieren_Click(); });
    wire(mnuBearbeiteneinfuegen, [clipboard] { clipboard->mnuBearbeiteneinfuegen_Click(); });
    wire(mnuBearbeitenloeschen, [clipboard] { clipboard->mnuBearbeitenloeschen_Click(); });
    SelectionCommands* selection = m_selectionCommands.get();
    wire(mnuBearbeitenalledatensaetzemarkieren,
         [selection] { selection->mnuBearbeitenalledatensaetzemarkieren_Click(); });
    wire(mnuBearbeitenmarkierungenloeschen,
         [selection] { selection->mnuBearbeitenmarkierungenloeschen_Click(); });

    auto* search = new SearchCommand(c, this);
    wire(mnuBearbeitensuchen, [search] { search->mnuBearbeitensuchen_Click(); });

    SortCommands* sort = m_sort.get();
    wire(cmdSortierennachnummer, [sort] { sort->cmdSortierennachnummer_Click(); });
    wire(cmdSortierennachnamen, [sort] { sort->cmdSortierennachnamen_Click(); });
    wire(cmdSortierennachjahr, [sort] { sort->cmdSortierennachjahr_Click(); });
    wire(cmdSortierennachmonat, [sort] { sort->cmdSortierennachmonat_Click(); });
    wire(cmdSortierennachtag, [sort] { sort->cmdSortierennachtag_Click(); });

    m_listFiles = new ListFileCommands(c, this);
    ListFileCommands* files = m_listFiles;
    wire(mnuDateineu, [files] { files->mnuDateineu_Click(); });
    wire(mnuDateioeffnen, [files] { files->mnuDateioeffnen_Click(); });
    wire(mnuDateispeichern, [files] { files->mnuDateispeichern_Click(); });
    wire(mnuDateispeichernunter, [files] { files->mnuDateispeichernunter_Click(); });
    wire(mnuDateieigenschaften, [files] { files->mnuDateieigenschaften_Click(); });
    wire(mnuDateibeenden, [files] { files->mnuDateibeenden_Click(); });
    wire(mnuErinnerungsmodulbeenden, [files] { files->mnuErinnerungsmodulbeenden_Click(); });

    auto* contacts = new ContactCommands(c, this);
    wire(mnuDateikontakteimportieren,
         [contacts] { contacts->mnuDateikontakteimportieren_Click(); });
    wire(mnuDateikalenderexportieren,
         [contacts] { contacts->mnuDateikalenderexportieren_Click(); });

    auto* print = new PrintCommands(c, this);
    wire(mnuDateidrucken, [print] { print->mnuDateidrucken_Click(); });

    auto* options = new OptionsCommands(c, this);
    wire(mnuExtrasoptionen, [options] { options->mnuExtrasoptionen_Click(); });
    auto* weekday = new WeekdayCommand(c, this);
    wire(mnuWochentagausgeben, [weekday] { weekday->mnuWochentagausgeben_Click(); });

    auto* upcoming = new UpcomingCommands(
        c, [this] { bringToFront(); }, this);
    wire(mnuExtrasnaechstegeburtstage,
         [upcoming] { upcoming->mnuExtrasnaechstegeburtstage_Click(); });

    auto* extras = new ExtrasCommands(c, this);
    wire(mnuHilfe, [extras] { extras->mnuHilfe_Click(); });
    wire(mnuUeberdennatalix, [extras] { extras->mnuUeberdennatalix_Click(); });
}

} // namespace natalix
