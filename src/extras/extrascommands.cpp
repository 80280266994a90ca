#include "extras/extrascommands.h"

#include "app/commandgroups.h"
#include "app/frmmain.h"
#include "extras/frmabout.h"
#include "ui/services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace natalix {

QString documentationPath(const QString& applicationDir, const QString& sourceDir) {
    const QString relative = QStringLiteral("html/dokumentation.htm");
    const QDir app(applicationDir);
    QStringList candidates = {app.filePath(relative),
                              app.filePath(QStringLiteral("../share/natalix/") + relative)};
    if (!sourceDir.isEmpty())
        candidates << QDir(sourceDir).filePath(relative);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QDir::cleanPath(candidates.constFirst());
}

QStringList defaultSysInfoTools() {
    return {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager")};
}

ExtrasCommands::ExtrasCommands(FrmMain& form)
    : QObject(&form), m_form(form), m_sysInfoTools(defaultSysInfoTools()) {
    setObjectName(QStringLiteral("extrasCommands"));
}

void ExtrasCommands::mnuHilfe_Click() {
#ifdef NATALIX_SOURCE_DIR
    const QString sourceDir = QStringLiteral(NATALIX_SOURCE_DIR);
#else
    const QString sourceDir;
#endif
    // A missing file or browser is not reported.
    m_form.services().shellOpen(
        documentationPath(QCoreApplication::applicationDirPath(), sourceDir));
}

void ExtrasCommands::mnuUeberdennatalix_Click() {
    m_form.datensatzpruefen();
    FrmAbout about(m_form.services(), m_sysInfoTools, &m_form);
    m_form.services().execDialog(about);
}

void installExtrasCommands(FrmMain& form) {
    auto* commands = new ExtrasCommands(form);
    form.wire(form.mnuHilfe, [commands] { commands->mnuHilfe_Click(); });
    form.wire(form.mnuUeberdennatalix, [commands] { commands->mnuUeberdennatalix_Click(); });
}

} // namespace natalix
