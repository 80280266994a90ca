#include "options/options.h"

#include "listfile/cp1252.h"
#include "listfile/textlines.h"
#include "table/fileerror.h"
#include "table/textnumber.h"

#include <QFile>
#include <QSaveFile>

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
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > maxOptionsBytes)
        return result;
    const QByteArray bytes = f.read(maxOptionsBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > maxOptionsBytes)
        return result;
    const std::vector<QByteArrayView> lines = splitLines(bytes);
    if (lines.size() < 8)
        return result;
    Options& o = result.options;
    o.option1erinnerung = decodeCp1252(lines[0]);
    o.option2erinnerung = decodeCp1252(lines[1]);
    o.option3erinnerung = decodeCp1252(lines[2]);
    o.optionabjahr = decodeCp1252(lines[3]);
    o.optionzyklus = decodeCp1252(lines[4]);
    o.optiondatumsanzeigehauptfenster = leadingNumber(decodeCp1252(lines[5]));
    o.optiondatumsanzeigedrucken = roundedWhole(leadingNumber(decodeCp1252(lines[6])));
    o.programmwurdeerstmalsgestartet = roundedWhole(leadingNumber(decodeCp1252(lines[7])));
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
    QSaveFile f(path);
    const QByteArray bytes = renderOptionsFile(options);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (error) {
        const FileError e = classifyFileError(f, FileAccess::Write);
        *error = QStringLiteral("Die Optionen konnten nicht in der Datei \"%1\" gespeichert "
                                "werden (%2 : %3). Die Einstellungen gelten, bis das Programm "
                                "beendet wird.")
                     .arg(path)
                     .arg(e.code)
                     .arg(e.description);
    }
    return false;
}

Options optioneneinlesen(const QString& path, QString* writeError) {
    OptionsReadResult read = readOptionsFile(path);
    if (!read.fromFile)
        writeOptionsFile(path, read.options, writeError);
    return read.options;
}

} // namespace natalix
