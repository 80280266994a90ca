// Feeds arbitrary bytes as natalix.ini to the options reader. What it reads must come back
// from the file it writes; what it cannot read must give the defaults and a readable file.
#include "listfile/textlines.h"
#include "options/options.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace natalix;

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_options: %s\n", what);
        std::abort();
    }
}

bool sameTexts(const Options& a, const Options& b) {
    return a.option1erinnerung == b.option1erinnerung &&
           a.option2erinnerung == b.option2erinnerung &&
           a.option3erinnerung == b.option3erinnerung && a.optionabjahr == b.optionabjahr &&
           a.optionzyklus == b.optionzyklus;
}

// Line 6 is written with 15 significant digits, so it comes back only that close.
bool closeEnough(double a, double b) {
    return a == b || std::fabs(a - b) <= 1e-13 * std::max(std::fabs(a), std::fabs(b));
}

void writeBytes(const QString& path, const char* data, qint64 size) {
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
    check(f.write(data, size) == size, "short write of the input file");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    check(dir.isValid(), "no temporary folder");
    const QString path = dir.filePath(optionsFileName());
    writeBytes(path, reinterpret_cast<const char*>(data), qint64(size));

    const OptionsReadResult read = readOptionsFile(path);
    if (!read.fromFile)
        check(read.options == Options(), "unreadable file without the defaults");

    const Options kept = optioneneinlesen(path);
    check(kept == read.options, "optioneneinlesen differs from the reader");
    const OptionsReadResult after = readOptionsFile(path);
    check(after.fromFile, "file unreadable after optioneneinlesen");
    if (!read.fromFile)
        check(after.options == Options(), "defaults not written");

    QString error;
    check(writeOptionsFile(path, read.options, &error), "writing failed");
    const OptionsReadResult back = readOptionsFile(path);
    check(back.fromFile, "written file unreadable");
    // Written Windows-1252 that also reads as UTF-8 ("Ã©") comes back as other text.
    if (readsAsUtf8(renderOptionsFile(read.options)))
        return 0;
    check(sameTexts(back.options, read.options), "texts changed by writing and reading");
    check(closeEnough(back.options.optiondatumsanzeigehauptfenster,
                      read.options.optiondatumsanzeigehauptfenster),
          "line 6 changed by writing and reading");
    check(back.options.optiondatumsanzeigedrucken == read.options.optiondatumsanzeigedrucken &&
              back.options.programmwurdeerstmalsgestartet ==
                  read.options.programmwurdeerstmalsgestartet,
          "whole numbers changed by writing and reading");
    return 0;
}
