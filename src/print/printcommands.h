#pragma once

#include "print/printsurface.h"
#include "reminder/remindercodes.h"

#include <QObject>

#include <vector>

class QPrinter;

namespace natalix {

struct CommandContext;

// Printing the list: the print dialog, the copies dialog and one print job per copy.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(const CommandContext& context, QObject* parent);

    void mnuDateidrucken_Click();

    // Where the pages go; the default paints on the printer the user picked.
    void setSurfaceFactory(PrintSurfaceFactory factory) { m_factory = std::move(factory); }

private:
    void listedrucken(QPrinter& printer, const std::vector<ConvertedRow>& rows);
    void rahmendrucken(PrintSurface& surface);
    void spaltentiteldrucken(PrintSurface& surface);
    void zeiledrucken(PrintSurface& surface, double y, const ConvertedRow& row);
    QString kopftext();
    bool neueAnzeige() const;

    const CommandContext& m_ctx;
    PrintSurfaceFactory m_factory;
};

} // namespace natalix
