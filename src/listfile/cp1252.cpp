#include "listfile/cp1252.h"

#include <array>

namespace natalix {

namespace {
// 0x80..0x9F; the five bytes Windows leaves unassigned map to the C1 control of the same value.
constexpr std::array<char16_t, 32> high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Walks a text by code point; a surrogate pair counts once, as the one character it is.
template <typename F> void forEachCodePoint(QStringView text, F f) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            f(static_cast<char32_t>(c.unicode()));
        }
    }
}

int byteFor(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (high[i] == cp)
            return 0x80 + i;
    }
    return -1;
}
} // namespace

QString decodeCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return out;
}

QByteArray encodeCp1252(QStringView text) {
    QByteArray out;
    appendCp1252(out, text);
    return out;
}

void appendCp1252(QByteArray& out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    forEachCodePoint(text, [&](char32_t cp) {
        const int b = cp < 0x80 ? static_cast<int>(cp) : byteFor(cp);
        *dst++ = b < 0 ? '?' : static_cast<char>(b);
    });
    // A surrogate pair takes two text units but one byte.
    out.truncate(dst - out.constData());
}

bool isCp1252(char32_t codePoint) {
    return byteFor(codePoint) >= 0;
}

bool isCp1252(QStringView text) {
    bool all = true;
    forEachCodePoint(text, [&](char32_t cp) { all = all && byteFor(cp) >= 0; });
    return all;
}

} // namespace natalix
