#include "print/printcommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "print/frmdrucken.h"
#include "reminder/upcoming.h"
#include "table/birthyear.h"
#include "table/cursor.h"
#include "table/textnumber.h"
#include "ui/services.h"

#include <QAction>
#include <QPrinter>

#include <algorithm>

namespace natalix {

namespace {

// Page geometry in page units (0 to 100).
constexpr double left = 10, right = 90, top = 6, bottom = 96;
constexpr double headerY = 2, titleY = 7, ruleY = 9, firstLineY = 10;
constexpr double headerX = 10, pageLabelX = 80;
constexpr double columnRules[] = {18, 66, 74, 82};
constexpr double nummerX = 11, nameX = 19, dateX1 = 67, dateX2 = 75, dateX3 = 83;
constexpr int linesPerPage = 60;
constexpr int nameCellLength = 43;

QString nameCell(const QString& name) {
    return (QStringLiteral(" ") + name + QString(49, u'_')).left(nameCellLength);
}

} // namespace

PrintCommands::PrintCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context), m_factory(makePrinterSurface) {
    setObjectName(QStringLiteral("printCommands"));
}

void PrintCommands::mnuDateidrucken_Click() {
    m_ctx.form.datensatzpruefen();

    QPrinter printer(QPrinter::HighResolution);
    if (!m_ctx.services.choosePrinter(printer, &m_ctx.window))
        return;

    MainState& state = m_ctx.state;
    {
        // Made anew every time, so it always starts with one copy.
        FrmDrucken dialog(state, m_ctx.services, &m_ctx.window);
        m_ctx.services.execDialog(dialog);
    }
    if (state.druckerexemplare == 0)
        return;

    Cursor& cursor = m_ctx.cursor;
    LockRecordCheck lock(state);
    state.alteposition = cursor.absolutePosition();
    cursor.moveFirst();
    const std::vector<ConvertedRow> rows = erinnerungstexteumwandeln(cursor.snapshot());

    listedrucken(printer, rows);

    cursor.moveFirst();
    cursor.setAbsolutePosition(state.alteposition);
}

bool PrintCommands::neueAnzeige() const {
    return m_ctx.state.options.optiondatumsanzeigedrucken == 0;
}

QString PrintCommands::kopftext() {
    const QDate today = m_ctx.services.today();
    const int display = m_ctx.state.options.optiondatumsanzeigedrucken;
    if (display != 0 && display != 1)
        return QString(); // a hand-edited option: no header
    // The date display of the options, whatever the system's locale writes.
    return displayDate(today, display) + QStringLiteral("  ") + m_ctx.grid.gridCaption();
}

void PrintCommands::listedrucken(QPrinter& printer, const std::vector<ConvertedRow>& rows) {
    if (rows.empty())
        return;
    const QString header = kopftext();
    const QFont font = printFont();
    // A file holds one job: a job per copy would leave only the last copy in it, so there
    // every copy follows the one before on pages of its own.
    const bool toFile = !printer.outputFileName().isEmpty();
    const int copies = m_ctx.state.druckerexemplare;

    std::unique_ptr<PrintSurface> surface;
    for (int copy = 1; copy <= copies; ++copy) {
        if (!toFile || copy == 1) {
            surface = m_factory(printer);
            // A job that cannot start is abandoned without a message, as any failing run.
            if (!surface || !surface->begin())
                return;
            surface->setFont(font);
        } else if (!surface->newPage()) {
            return;
        }
        // Every copy counts its pages from 1.
        const int pagesBefore = surface->pageNumber() - 1;
        // Sixty lines must stay inside the frame, also with a taller fallback font or a
        // shorter paper than the list was laid out for.
        const double pitch = std::min(surface->lineHeight(), (bottom - firstLineY) / linesPerPage);
        int y = 0;                // line on the page
        bool pageStarted = false; // the page has its header, frame and titles
        double lineTop = firstLineY;
        for (std::size_t z = 0; z < rows.size(); ++z) {
            if (++y == linesPerPage + 1) {
                y = 1;
                pageStarted = false;
            }
            if (!pageStarted) {
                pageStarted = true;
                if (z > 0 && !surface->newPage())
                    return;
                if (!header.isEmpty())
                    surface->text(headerX, headerY, header);
                surface->text(pageLabelX, headerY,
                              QStringLiteral("Seite: ") +
                                  QString::number(surface->pageNumber() - pagesBefore));
                rahmendrucken(*surface);
                spaltentiteldrucken(*surface);
                lineTop = firstLineY;
            }
            zeiledrucken(*surface, lineTop, rows[z]);
            lineTop += pitch;
        }
        if ((!toFile || copy == copies) && !surface->endJob())
            return;
    }
}

void PrintCommands::rahmendrucken(PrintSurface& surface) {
    surface.rectangle(left, top, right, bottom);
    surface.line(left, ruleY, right, ruleY);
    for (double x : columnRules)
        surface.line(x, top, x, bottom);
}

void PrintCommands::spaltentiteldrucken(PrintSurface& surface) {
    const bool neu = neueAnzeige();
    surface.text(nummerX, titleY, QStringLiteral(" Nr."));
    surface.text(nameX, titleY, QStringLiteral(" Name"));
    surface.text(dateX1, titleY, neu ? QStringLiteral(" Jahr") : QStringLiteral(" Tag"));
    surface.text(dateX2, titleY, QStringLiteral(" Monat"));
    surface.text(dateX3, titleY, neu ? QStringLiteral(" Tag") : QStringLiteral(" Jahr"));
}

void PrintCommands::zeiledrucken(PrintSurface& surface, double y, const ConvertedRow& row) {
    const bool neu = neueAnzeige();
    // An unknown year leaves its cell empty.
    const QString jahr = row.jahr == unknownYear ? QString() : signedNumber(row.jahr);
    surface.text(nummerX, y, signedNumber(row.nummer));
    surface.text(nameX, y, nameCell(row.name));
    surface.text(dateX1, y, neu ? jahr : signedNumber(row.tag));
    surface.text(dateX2, y, signedNumber(row.monat));
    surface.text(dateX3, y, neu ? signedNumber(row.tag) : jahr);
}

} // namespace natalix
