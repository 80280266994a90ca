#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace natalix {

// Splits 8-bit text into lines. A line ends at CR LF or at a lone CR; a lone LF stays in
// the line. A last line without an ending counts as a line.
std::vector<QByteArrayView> splitLines(QByteArrayView bytes);

enum class TextEncoding { Cp1252, Utf8 };

// A text file as the program reads it. Its own files are Windows-1252 with CR LF; files made
// by other tools are taken as well: one that holds no CR at all ends its lines with LF, and
// one that starts with a UTF-8 byte order mark or is valid UTF-8 beyond plain ASCII is UTF-8.
struct TextLines {
    std::vector<QByteArrayView> lines;
    TextEncoding encoding = TextEncoding::Cp1252;
};
TextLines splitTextFile(QByteArrayView bytes);

// One line as text. UTF-8 text is transliterated to what Windows-1252 can hold (Łukasz →
// Lukasz); what has no Latin form becomes '?'.
QString decodeLine(QByteArrayView line, TextEncoding encoding);

bool isValidUtf8(QByteArrayView bytes);
// True when splitTextFile takes these bytes for UTF-8.
bool readsAsUtf8(QByteArrayView bytes);

} // namespace natalix
