#pragma once

#include <QObject>
#include <QStringList>

namespace natalix {

struct CommandContext;

// The documentation: next to the program, then in the installed layout (bin/../share), then
// in the source tree of a build run. When none exists, the place next to the program.
QString documentationPath(const QString& applicationDir, const QString& sourceDir);

// The system information tools looked for on PATH where there is no registry to ask.
QStringList defaultSysInfoTools();

// The "&?" menu: help and the about box.
class ExtrasCommands : public QObject {
    Q_OBJECT
public:
    ExtrasCommands(const CommandContext& context, QObject* parent);

    void mnuHilfe_Click();
    void mnuUeberdennatalix_Click();

    void setSysInfoTools(const QStringList& tools) { m_sysInfoTools = tools; }

private:
    const CommandContext& m_ctx;
    QStringList m_sysInfoTools;
};

} // namespace natalix
