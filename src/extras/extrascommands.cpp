#include "extras/extrascommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
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

ExtrasCommands::ExtrasCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context), m_sysInfoTools(defaultSysInfoTools()) {
    setObjectName(QStringLiteral("extrasCommands"));
}

void ExtrasCommands::mnuHilfe_Click() {
#ifdef NATALIX_SOURCE_DIR
    const QString sourceDir = QStringLiteral(NATALIX_SOURCE_DIR);
#else
    const QString sourceDir;
#endif
    const QString path = documentationPath(QCoreApplication::applicationDirPath(), sourceDir);
    const QString shown = QDir::toNativeSeparators(path);
    MessageRequest m;
    m.icon = Icon::Information;
    if (!QFileInfo(path).isFile())
        m.text =
            QStringLiteral("Das Handbuch fehlt: Die Datei \"%1\" ist nicht vorhanden.").arg(shown);
    else if (!m_ctx.services.shellOpen(path))
        m.text = QStringLiteral("Das Handbuch kann nicht angezeigt werden, weil kein Browser "
                                "bereitsteht. Sie finden es in der Datei \"%1\".")
                     .arg(shown);
    else
        return;
    m_ctx.services.message(m);
}

void ExtrasCommands::mnuUeberdennatalix_Click() {
    m_ctx.form.datensatzpruefen();
    FrmAbout about(m_ctx.services, m_sysInfoTools, &m_ctx.window);
    m_ctx.services.execDialog(about);
}

} // namespace natalix
