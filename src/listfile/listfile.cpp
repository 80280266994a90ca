#include "listfile/listfile.h"

#include "listfile/cp1252.h"
#include "listfile/textlines.h"
#include "table/safefile.h"
#include "table/textnumber.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace natalix {

namespace {

void appendLine(QByteArray& out, const QString& text) {
    appendCp1252(out, text);
    out += "\r\n";
}

const QString& nameAsWritten(const Record& r) {
    static const QString blank = QStringLiteral(" ");
    return r.name.isEmpty() ? blank : r.name;
}

} // namespace

QByteArray renderListFile(const Snapshot& records) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(records.size()) * 160 + 8);
    appendLine(out, wholeNumberLine(static_cast<long long>(records.size())));
    for (const Record& r : records) {
        appendLine(out, wholeNumberLine(r.nummer));
        appendLine(out, nameAsWritten(r));
        appendLine(out, wholeNumberLine(r.jahr));
        appendLine(out, wholeNumberLine(r.monat));
        appendLine(out, wholeNumberLine(r.tag));
        for (const QString& e : r.erinnerung)
            appendLine(out, e);
        appendLine(out, r.erinnerungsbeginn);
        appendLine(out, r.erinnerungszyklus);
    }
    return out;
}

qint64 listFileSize(const Snapshot& records) {
    return renderListFile(records).size();
}

ListFileContents parseListFile(QByteArrayView bytes) {
    ListFileContents result;
    if (bytes.size() > maxListFileBytes) {
        result.error = QStringLiteral("Die Datei ist zu groß für eine Geburtstagsliste.");
        return result;
    }
    const TextLines text = splitTextFile(bytes);
    const std::vector<QByteArrayView>& lines = text.lines;
    const auto decode = [&](QByteArrayView line) { return decodeLine(line, text.encoding); };
    bool hasCount = false;
    if (!lines.empty()) {
        const double count = leadingNumber(decode(lines[0]), &hasCount);
        result.declaredCount = count > 0 && count < 1e9 ? static_cast<int>(count) : 0;
    }
    if (!hasCount) {
        result.error = QStringLiteral("Die Datei ist keine Geburtstagsliste: Ihre erste Zeile "
                                      "enthält keine Anzahl von Datensätzen.");
        return result;
    }
    const size_t blocks = (lines.size() - 1) / listFieldCount;
    if (blocks == 0) {
        result.error = QStringLiteral("Die Datei enthält keinen vollständigen Datensatz.");
        return result;
    }
    const Record fresh = newRecord(0, ReminderDefaults());
    std::vector<bool> numberMissing(blocks, false);
    int highest = 0;
    result.records.reserve(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        const QByteArrayView* l = &lines[1 + b * listFieldCount];
        Record r = fresh;
        const auto number = [&](int i) { return parseWholeNumberField(l[i]); };
        if (const auto n = number(0)) {
            r.nummer = *n;
            highest = std::max(highest, *n);
        } else {
            numberMissing[b] = true;
        }
        // A record never has an empty name: a line that decodes to nothing (empty, or only
        // characters without a Windows-1252 form) stands for the blank of no name.
        if (QString name = decode(l[1]); !name.isEmpty())
            r.name = std::move(name);
        r.jahr = number(2).value_or(fresh.jahr);
        r.monat = number(3).value_or(fresh.monat);
        r.tag = number(4).value_or(fresh.tag);
        for (int k = 0; k < 3; ++k)
            r.erinnerung[k] = decode(l[5 + k]);
        r.erinnerungsbeginn = decode(l[8]);
        r.erinnerungszyklus = decode(l[9]);
        result.records.push_back(std::move(r));
    }
    // A record without a readable number gets the next free one, as a new record would.
    for (size_t b = 0; b < blocks; ++b) {
        if (numberMissing[b])
            result.records[b].nummer = highest < std::numeric_limits<int>::max() ? ++highest : 0;
    }
    result.ok = true;
    return result;
}

ListFileContents readListFile(const QString& path) {
    const ReadResult read = readFileSafely(path, maxListFileBytes);
    if (read.ok)
        return parseListFile(read.bytes);
    ListFileContents result;
    if (read.tooLarge) {
        result.error = QStringLiteral("Die Datei ist zu groß für eine Geburtstagsliste.");
        return result;
    }
    result.notRead = true;
    result.fileError = read.error;
    result.error = QStringLiteral("Die Datei konnte nicht geöffnet werden.");
    return result;
}

} // namespace natalix
