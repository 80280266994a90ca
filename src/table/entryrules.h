#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace natalix {

// What a key typed into the name box does.
enum class NameKey {
    Typed,   // the key goes in
    Refused, // discarded: the name stays as it is
    Blanked, // the last letter deleted: the name becomes one blank
};
// `keyAscii` 8 is Backspace, any other code a character typed at the end of `name`.
NameKey nameKeyRule(const QString& name, int keyAscii);

// A field's text after `piece` replaced `length` characters at `start`, and the cursor after
// the piece.
struct FieldEdit {
    QString text;
    int cursor = 0;
    bool operator==(const FieldEdit&) const = default;
};
// In the name, what does not fit into its 40 characters is cut off the piece's end.
FieldEdit replaceInField(const QString& text, int start, int length, QString piece, bool name);

// The text without the characters whose code is below 32 (tabs, line breaks).
QString steuerzeichenentfernen(const QString& text);
// The clipboard's text as pasted: without control characters; in the name, what a list file
// cannot hold transliterated (Łukasz → Lukasz).
QString pastedText(const QString& clipboard, bool name);

// The index of the first of `names` that holds `text` (folded as sorting folds names), after
// `afterRow` and wrapping to the top; -1 when there is none.
int nextRowWithName(const QStringList& names, const QString& text, int afterRow);

// The text of "Wochentag ausgeben" for a record with this name, number and checked date.
QString weekdayText(const QString& name, int nummer, int jahr, int monat, int tag);

// Whether a list of `count` records takes another: a list file holds 999 at most.
bool takesAnotherRecord(int count);
// The number of a new record: one above the highest of `numbers`; none when a hand-edited list
// already uses the largest number there is.
std::optional<int> newRecordNumber(const std::vector<int>& numbers);

} // namespace natalix
