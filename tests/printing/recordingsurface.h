#pragma once

#include "print/printsurface.h"

#include <QFont>
#include <QList>
#include <QString>

#include <memory>

namespace natalix::test {

// What a print run drew, job by job and page by page, in page units.
struct DrawnText {
    double x = 0;
    double y = 0;
    QString text;
};

struct DrawnLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const DrawnLine&) const = default;
};

struct RecordedPage {
    int number = 0; // the page number the surface reported for it
    QList<DrawnText> texts;
    QList<DrawnLine> lines;
    QList<DrawnLine> rectangles;

    // Texts drawn at x on lines from y on, top to bottom.
    QStringList column(double x, double fromY = 10) const {
        QStringList out;
        for (const DrawnText& t : texts)
            if (qFuzzyCompare(t.x, x) && t.y >= fromY - 1e-9)
                out << t.text;
        return out;
    }
    QString textAt(double x, double y) const {
        for (const DrawnText& t : texts)
            if (qFuzzyCompare(t.x, x) && qFuzzyCompare(t.y + 1, y + 1))
                return t.text;
        return QStringLiteral("<none>");
    }
};

struct RecordedJob {
    QFont font;
    QList<RecordedPage> pages;
    bool ended = false;
};

struct PrintLog {
    QList<RecordedJob> jobs;
    bool refuseJobs = false; // the printer cannot be opened
    double lineHeight = 1.4; // of the font, in page units
};

class RecordingSurface : public PrintSurface {
public:
    explicit RecordingSurface(PrintLog& log) : m_log(log) {}

    bool begin() override {
        if (m_log.refuseJobs)
            return false;
        m_log.jobs.append(RecordedJob());
        job().pages.append(RecordedPage{1, {}, {}, {}});
        return true;
    }
    void setFont(const QFont& font) override { job().font = font; }
    void text(double x, double y, const QString& text) override {
        page().texts.append({x, y, text});
    }
    void line(double x1, double y1, double x2, double y2) override {
        page().lines.append({x1, y1, x2, y2});
    }
    void rectangle(double x1, double y1, double x2, double y2) override {
        page().rectangles.append({x1, y1, x2, y2});
    }
    double lineHeight() const override { return m_log.lineHeight; }
    bool newPage() override {
        job().pages.append(RecordedPage{static_cast<int>(job().pages.size()) + 1, {}, {}, {}});
        return true;
    }
    int pageNumber() const override { return m_log.jobs.constLast().pages.constLast().number; }
    bool endJob() override {
        job().ended = true;
        return true;
    }

private:
    RecordedJob& job() { return m_log.jobs.last(); }
    RecordedPage& page() { return job().pages.last(); }
    PrintLog& m_log;
};

inline PrintSurfaceFactory recordingFactory(PrintLog& log) {
    return [&log](QPrinter&) { return std::make_unique<RecordingSurface>(log); };
}

} // namespace natalix::test
