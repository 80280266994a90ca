#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace natalix {

// Reads the number at the start of a text the way the date boxes and the options file do:
// blanks anywhere are skipped, a period is the decimal point, reading stops at the first
// character that cannot continue the number. No number gives 0 and *found = false.
double leadingNumber(QStringView text, bool* found = nullptr);

// The whole number at or below the leading number, clamped to the int range.
int leadingWholeNumber(QStringView text);

// A number as the program shows it in texts: one leading blank in place of the sign.
QString signedNumber(long long value);

// A whole-number line of the list and options files: " 25 " ("-5 " for a negative value).
QString wholeNumberLine(long long value);

// A whole-number field read back from a file line: optional blanks, optional sign, digits.
// Anything else, or a value outside the int range, gives nothing.
std::optional<int> parseWholeNumberField(QStringView line);
// The same for a line of Windows-1252 bytes, without building a text first.
std::optional<int> parseWholeNumberField(QByteArrayView line);

} // namespace natalix
