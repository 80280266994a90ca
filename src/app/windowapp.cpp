#include "app/windowapp.h"

#include "app/datadir.h"
#include "app/frmmain.h"
#include "app/frmsplash.h"
#include "options/options.h"
#include "table/cursor.h"
#include "table/tablestore.h"
#include "ui/qtservices.h"

#include <QApplication>
#include <QMessageBox>

namespace natalix {

namespace {
void criticalMessage(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Natalix"), text, QMessageBox::Ok);
    box.exec();
}
} // namespace

int runWindowApp(int argc, char* argv[], const CommandLine& cl) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("NX"));
    QApplication::setApplicationName(QStringLiteral("Natalix"));
    QApplication::setApplicationVersion(programVersion());
    // The main window is often hidden; only the final exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installGermanTranslations();

    QString error;
    const DataDir dir = resolveDataDir(cl.dataDir, &error);
    if (!error.isEmpty()) {
        criticalMessage(error);
        return 1;
    }
    SettingsStore settings(dir);
    InstanceLock lock(dir);
    if (!lock.tryLock()) {
        // Another instance runs: ask it to show its window, and end without one.
        settings.setValue(QStringLiteral("windowopen"), QStringLiteral("1"));
        return 0;
    }

    QString optionsError;
    const Options options = optioneneinlesen(dir.optionsPath(), &optionsError);
    std::unique_ptr<TableStore> store =
        TableStore::open(dir.databasePath(), sampleRecord(options.reminderDefaults()), &error);
    if (!store) {
        criticalMessage(QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet werden. Natalix "
                                       "wird beendet, die Datei bleibt unverändert.\n\n%2")
                            .arg(dir.databasePath(), error));
        return 1;
    }
    Cursor cursor(*store);
    QtServices services;
    FrmMain main({services, cursor, settings, dir, options, cl.autoStart});
    services.setDialogParent(&main);
    if (!optionsError.isEmpty())
        services.message({optionsError, {}, Buttons::Ok, Icon::Exclamation});

    auto* splash = new FrmSplash(main);
    splash->show();
    splash->raise();
    return app.exec();
}

} // namespace natalix
