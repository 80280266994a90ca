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
    double lineHeight = 1.4; // of the font, in page units
};

struct RecordingSurface : PrintSurface {
    PrintLog& log;
    explicit RecordingSurface(PrintLog& l) : log(l) {}
    bool begin() override { return log.jobs.append(RecordedJob()), true; }
    void setFont(const QFont& font) override { log.jobs.last().font = font; }
    void text(double x, double y, const QString& s) override {
        log.jobs.last().pages.last().texts.append({x, y, s});
    }
    void line(double, double, double, double) override {}
    void rectangle(double, double, double, double) override {}
    double lineHeight() const override { return log.lineHeight; }
    bool newPage() override { return log.jobs.last().pages.append(RecordedPage()), true; }
    int pageNumber() const override { return int(log.jobs.constLast().pages.size()); }
    bool endJob() override { return log.jobs.last().ended = true; }
};

inline PrintSurfaceFactory recordingFactory(PrintLog& log) {
    return [&log](QPrinter&) { return std::make_unique<RecordingSurface>(log); };
}

} // namespace natalix::test
