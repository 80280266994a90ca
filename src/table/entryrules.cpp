#include "table/entryrules.h"

#include "listfile/transliterate.h"
#include "reminder/daynumber.h"
#include "table/birthyear.h"
#include "table/cursor.h"

#include <algorithm>
#include <limits>

namespace natalix {

namespace {
constexpr int tableLimit = 999;
constexpr int nameMaxLength = 40;
constexpr int backspace = 8;
constexpr int blank = 32;
} // namespace

NameKey nameKeyRule(const QString& name, int keyAscii) {
    if (name.size() >= nameMaxLength && keyAscii != backspace)
        return NameKey::Refused;
    if (keyAscii == blank && name == u" ")
        return NameKey::Refused;
    // The name never becomes empty by deleting.
    if (keyAscii == backspace && name.size() == 1)
        return NameKey::Blanked;
    return NameKey::Typed;
}

FieldEdit replaceInField(const QString& text, int start, int length, QString piece, bool name) {
    QString value = text;
    value.remove(start, length);
    if (name)
        piece.truncate(std::max<qsizetype>(0, nameMaxLength - value.size()));
    value.insert(start, piece);
    return {value, start + static_cast<int>(piece.size())};
}

QString steuerzeichenentfernen(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 32)
            out += c;
    }
    return out;
}

QString pastedText(const QString& clipboard, bool name) {
    const QString text = steuerzeichenentfernen(clipboard);
    return name ? transliterateName(text) : text;
}

int nextRowWithName(const QStringList& names, const QString& text, int afterRow) {
    const QString wanted = foldText(text);
    const auto count = static_cast<int>(names.size());
    for (int step = 1; step <= count; ++step) {
        const int row = (std::max(afterRow, -1) + step) % count;
        if (foldText(names.at(row)).contains(wanted))
            return row;
    }
    return -1;
}

QString weekdayText(const QString& name, int nummer, int jahr, int monat, int tag) {
    const QString tail =
        jahr != unknownYear
            ? QStringLiteral(" ist an einem ") +
                  QString::fromLatin1(weekdayName(berechnetage(jahr, monat, tag))) +
                  QStringLiteral(" geboren.")
            : QStringLiteral(" ist ohne Geburtsjahr eingetragen. Den Wochentag der Geburt "
                             "kann Natalix nur mit dem Jahr bestimmen; bitte tragen Sie "
                             "es ein.");
    if (name.isEmpty() || name == u" ")
        return QStringLiteral("Das Geburtstags-Kind aus Datensatz ") + QString::number(nummer) +
               tail;
    return name + tail;
}

bool takesAnotherRecord(int count) {
    return count < tableLimit;
}

std::optional<int> newRecordNumber(const std::vector<int>& numbers) {
    int highest = 0;
    for (const int n : numbers)
        highest = std::max(highest, n);
    if (highest == std::numeric_limits<int>::max())
        return std::nullopt;
    return highest + 1;
}

} // namespace natalix
