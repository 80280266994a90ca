#include "listfile/textlines.h"

#include "listfile/cp1252.h"
#include "listfile/transliterate.h"

#include <algorithm>

namespace natalix {

std::vector<QByteArrayView> splitLines(QByteArrayView bytes) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '\r')
            continue;
        lines.push_back(bytes.sliced(start, i - start));
        if (i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.push_back(bytes.sliced(start));
    return lines;
}

namespace {

std::vector<QByteArrayView> splitAtLineFeeds(QByteArrayView bytes) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            lines.push_back(bytes.sliced(start, i - start));
            start = i + 1;
        }
    }
    if (start < bytes.size())
        lines.push_back(bytes.sliced(start));
    return lines;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int follow = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
        if ((follow == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (follow == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += follow + 1;
    }
    return true;
}

bool readsAsUtf8(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return true;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && isValidUtf8(bytes);
}

TextLines splitTextFile(QByteArrayView bytes) {
    TextLines t;
    if (readsAsUtf8(bytes)) {
        t.encoding = TextEncoding::Utf8;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
    }
    t.lines = bytes.contains('\r') ? splitLines(bytes) : splitAtLineFeeds(bytes);
    return t;
}

QString decodeLine(QByteArrayView line, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp1252)
        return decodeCp1252(line);
    // What the code page lacks is transliterated, as a typed name would be: Łukasz → Lukasz.
    return transliterateCp1252(QString::fromUtf8(line));
}

} // namespace natalix
