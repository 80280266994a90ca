#include "print/printsurface.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace natalix {

namespace {

// The page units are mapped onto the printable area; the painter itself stays in device
// pixels, so the font keeps its real size.
class PrinterSurface : public PrintSurface {
public:
    explicit PrinterSurface(QPrinter& printer) : m_printer(printer) {}
    ~PrinterSurface() override {
        if (m_painter.isActive())
            m_painter.end();
    }

    bool begin() override {
        // Our own copies dialog decides how many come out; one job is one copy.
        m_printer.setCopyCount(1);
        if (!m_painter.begin(&m_printer))
            return false;
        m_area = QRectF(QPointF(0, 0), m_printer.pageRect(QPrinter::DevicePixel).size());
        m_page = 1;
        QPen pen(Qt::black);
        // About a fifth of a millimetre, whatever the resolution.
        pen.setWidthF(std::max(1.0, m_printer.resolution() * 0.2 / 25.4));
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
        return true;
    }

    void setFont(const QFont& font) override { m_painter.setFont(font); }

    void text(double x, double y, const QString& text) override {
        const QFontMetricsF metrics(m_painter.font(), &m_printer);
        m_painter.drawText(QPointF(mapX(x), mapY(y) + metrics.ascent()), text);
    }

    void line(double x1, double y1, double x2, double y2) override {
        m_painter.drawLine(QPointF(mapX(x1), mapY(y1)), QPointF(mapX(x2), mapY(y2)));
    }

    void rectangle(double x1, double y1, double x2, double y2) override {
        m_painter.drawRect(QRectF(QPointF(mapX(x1), mapY(y1)), QPointF(mapX(x2), mapY(y2))));
    }

    double lineHeight() const override {
        const QFontMetricsF metrics(m_painter.font(), &m_printer);
        return m_area.height() > 0 ? metrics.lineSpacing() * 100.0 / m_area.height() : 0;
    }

    bool newPage() override {
        if (!m_printer.newPage())
            return false;
        ++m_page;
        return true;
    }

    int pageNumber() const override { return m_page; }

    bool endJob() override { return m_painter.end(); }

private:
    double mapX(double x) const { return m_area.left() + m_area.width() * x / 100.0; }
    double mapY(double y) const { return m_area.top() + m_area.height() * y / 100.0; }

    QPrinter& m_printer;
    QPainter m_painter;
    QRectF m_area;
    int m_page = 1;
};

} // namespace

std::unique_ptr<PrintSurface> makePrinterSurface(QPrinter& printer) {
    return std::make_unique<PrinterSurface>(printer);
}

QFont printFont() {
    const QString courier = QStringLiteral("Courier New");
    if (QFontDatabase::hasFamily(courier))
        return QFont(courier, 10);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    return fixed;
}

} // namespace natalix
