#pragma once

#include "print/printsurface.h"

#include <QFont>
#include <QList>
#include <QStringList>

#include <memory>

namespace natalix::test {

// The texts a print run drew, job by job and page by page, in page units.
struct RecordedPage {
    QList<std::tuple<double, double, QString>> texts;

    // Texts at x from the first record line on, top to bottom.
    QStringList column(double x) const {
        QStringList out;
        for (const auto& [tx, ty, text] : texts)
            if (qFuzzyCompare(tx, x) && ty >= 10 - 1e-9)
                out << text;
        return out;
    }
    QString textAt(double x, double y) const {
        for (const auto& [tx, ty, text] : texts)
            if (qFuzzyCompare(tx, x) && qFuzzyCompare(ty + 1, y + 1))
                return text;
        return QStringLiteral("<none>");
    }
};

struct RecordedJob {
    QFont font;
    QList<RecordedPage> pages{RecordedPage()};
    bool ended = false;
};

struct PrintLog {
    QList<RecordedJob> jobs;
    bool refuseJobs = false; // the printer cannot be opened
    double lineHeight = 1.4; // of the font, in page units
};

class RecordingSurface : public PrintSurface {
    PrintLog& m_log;
    RecordedJob& job() { return m_log.jobs.last(); }

public:
    explicit RecordingSurface(PrintLog& log) : m_log(log) {}
    bool begin() override {
        if (!m_log.refuseJobs)
            m_log.jobs.append(RecordedJob());
        return !m_log.refuseJobs;
    }
    void setFont(const QFont& font) override { job().font = font; }
    void text(double x, double y, const QString& s) override {
        job().pages.last().texts.append({x, y, s});
    }
    void line(double, double, double, double) override {}
    void rectangle(double, double, double, double) override {}
    double lineHeight() const override { return m_log.lineHeight; }
    bool newPage() override { return job().pages.append(RecordedPage()), true; }
    int pageNumber() const override { return int(m_log.jobs.constLast().pages.size()); }
    bool endJob() override { return job().ended = true; }
};

inline PrintSurfaceFactory recordingFactory(PrintLog& log) {
    return [&log](QPrinter&) { return std::make_unique<RecordingSurface>(log); };
}

} // namespace natalix::test
