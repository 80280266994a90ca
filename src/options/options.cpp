#include "options/options.h"

#include "listfile/cp1252.h"
#include "listfile/textlines.h"
#include "table/fileerror.h"
#include "table/safefile.h"
#include "table/textnumber.h"

#include <QFileInfo>

#include <cmath>

namespace natalix {

namespace {
// Larger than any sensible options file; a bigger one is treated as unreadable.
constexpr qint64 maxOptionsBytes = 64 * 1024;

QString numberLine(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return wholeNumberLine(static_cast<long long>(value));
    const QString digits = QString::number(value, 'g', 15);
    return (value < 0 ? QString() : QStringLiteral(" ")) + digits + u' ';
}

int roundedWhole(double v) {
    const double r = std::round(v);
    if (r >= 2147483647.0)
        return 2147483647;
    if (r <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(r);
}
} // namespace

ReminderDefaults Options::reminderDefaults() const {
    return {option1erinnerung, option2erinnerung, option3erinnerung, optionabjahr, optionzyklus};
}

QString optionsFileName() {
    return QStringLiteral("natalix.ini");
}

OptionsReadResult readOptionsFile(const QString& path) {
    OptionsReadResult result;
    // The options file is the program's own: never read through a link planted in its place.
    const ReadResult read = readFileSafely(path, maxOptionsBytes, Links::DoNotFollow);
    if (!read.ok)
        return result;
    const TextLines text = splitTextFile(read.bytes);
    const std::vector<QByteArrayView>& lines = text.lines;
    if (lines.size() < 8)
        return result;
    const auto line = [&](int i) { return decodeLine(lines[i], text.encoding); };
    Options& o = result.options;
    o.option1erinnerung = line(0);
    o.option2erinnerung = line(1);
    o.option3erinnerung = line(2);
    o.optionabjahr = line(3);
    o.optionzyklus = line(4);
    o.optiondatumsanzeigehauptfenster = leadingNumber(line(5));
    o.optiondatumsanzeigedrucken = roundedWhole(leadingNumber(line(6)));
    o.programmwurdeerstmalsgestartet = roundedWhole(leadingNumber(line(7)));
    result.fromFile = true;
    return result;
}

QByteArray renderOptionsFile(const Options& o) {
    QByteArray out;
    for (const QString& line :
         {o.option1erinnerung, o.option2erinnerung, o.option3erinnerung, o.optionabjahr,
          o.optionzyklus, numberLine(o.optiondatumsanzeigehauptfenster),
          numberLine(o.optiondatumsanzeigedrucken), numberLine(o.programmwurdeerstmalsgestartet)}) {
        out += encodeCp1252(line);
        out += "\r\n";
    }
    return out;
}

bool writeOptionsFile(const QString& path, const Options& options, QString* error) {
    const SaveResult saved = saveFileSafely(path, renderOptionsFile(options), Links::DoNotFollow);
    if (saved.ok)
        return true;
    if (error) {
        const FileError& e = saved.error;
        *error = QStringLiteral("Die Optionen konnten nicht in der Datei \"%1\" gespeichert "
                                "werden (%2 : %3). Die Einstellungen gelten, bis das Programm "
                                "beendet wird.")
                     .arg(path)
                     .arg(e.code)
                     .arg(e.description);
    }
    return false;
}

Options optioneneinlesen(const QString& path, QString* writeError, const QString& templatePath) {
    if (!templatePath.isEmpty() && !QFileInfo::exists(path) && !isSymbolicLink(path)) {
        const OptionsReadResult installed = readOptionsFile(templatePath);
        if (installed.fromFile)
            writeOptionsFile(path, installed.options, writeError);
    }
    OptionsReadResult read = readOptionsFile(path);
    if (!read.fromFile)
        writeOptionsFile(path, read.options, writeError);
    return read.options;
}

} // namespace natalix
