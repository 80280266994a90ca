#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <memory>

class QPrinter;

namespace natalix {

// One print job on a page that spans 0 to 100 in both directions (x to the right, y down).
// Text is placed by the top of its line, as a printer's print position is.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    // Starts the job; false when the printer cannot be opened.
    virtual bool begin() = 0;
    virtual void setFont(const QFont& font) = 0;
    virtual void text(double x, double y, const QString& text) = 0;
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    virtual void rectangle(double x1, double y1, double x2, double y2) = 0;
    // Height of one text line of the current font, in page units.
    virtual double lineHeight() const = 0;
    virtual bool newPage() = 0;
    virtual int pageNumber() const = 0; // 1 on the first page of the job
    virtual bool endJob() = 0;
};

using PrintSurfaceFactory = std::function<std::unique_ptr<PrintSurface>(QPrinter&)>;

// The surface that paints on the printer the user picked.
std::unique_ptr<PrintSurface> makePrinterSurface(QPrinter& printer);

// Courier New 10 pt, or the platform's fixed-pitch font at 10 pt where it is missing.
QFont printFont();

} // namespace natalix
