#include "listfile/transliterate.h"

#include "listfile/cp1252.h"

#include <QList>

#include <bit>

namespace natalix {

namespace {

// Letters that no decomposition splits into a base letter and marks, with the letter that
// stands for them in Latin script; and the punctuation names carry that the code page lacks.
struct Replacement {
    char32_t from;
    const char16_t* to;
};
constexpr Replacement replacements[] = {
    {0x0110, u"D"}, {0x0111, u"d"}, {0x0126, u"H"}, {0x0127, u"h"}, {0x0131, u"i"}, {0x0138, u"q"},
    {0x0141, u"L"}, {0x0142, u"l"}, {0x014A, u"N"}, {0x014B, u"n"}, {0x0166, u"T"}, {0x0167, u"t"},
    {0x0181, u"B"}, {0x018A, u"D"}, {0x018F, u"E"}, {0x0190, u"E"}, {0x0186, u"O"}, {0x0198, u"K"},
    {0x0199, u"k"}, {0x01B3, u"Y"}, {0x01B4, u"y"}, {0x01DD, u"e"}, {0x0253, u"b"}, {0x0254, u"o"},
    {0x0257, u"d"}, {0x0259, u"e"}, {0x025B, u"e"}, {0x1E9E, u"ß"}, {0x02BB, u"'"}, {0x02BC, u"'"},
    {0x02BE, u"'"}, {0x02BF, u"'"}, {0x2010, u"-"}, {0x2012, u"-"}, {0x2212, u"-"}, {0x2028, u" "},
    {0x2029, u" "},
};

const char16_t* replacementFor(char32_t cp) {
    for (const Replacement& r : replacements) {
        if (r.from == cp)
            return r.to;
    }
    return nullptr;
}

bool isMark(char32_t cp) {
    return QChar::isMark(cp);
}

// Nothing to see: a mark without its letter, a format character (zero-width joiner, byte
// order mark, direction marks), a control character the code page lacks, or a skin tone
// that belongs to the emoji before it.
bool isInvisible(char32_t cp) {
    const QChar::Category c = QChar::category(cp);
    return isMark(cp) || c == QChar::Other_Format || c == QChar::Other_Control ||
           (cp >= 0x1F3FB && cp <= 0x1F3FF);
}

// The base letter with as many of its marks as the code page has a letter for, the marks
// nearest the base first: ǘ → ü, ễ → ê, ậ → â, ř → r.
QString withKeptMarks(char32_t base, const QList<char32_t>& marks) {
    const int n = static_cast<int>(std::min<qsizetype>(marks.size(), 4));
    for (int size = n; size > 0; --size) {
        // Mark i is bit n-1-i: counting down tries the sets with earlier marks first.
        for (unsigned set = (1u << n) - 1; set > 0; --set) {
            if (std::popcount(set) != size)
                continue;
            QList<char32_t> letter{base};
            for (int i = 0; i < n; ++i) {
                if (set & (1u << (n - 1 - i)))
                    letter << marks[i];
            }
            const QString composed = QString::fromUcs4(letter.constData(), letter.size())
                                         .normalized(QString::NormalizationForm_C);
            if (composed.size() == 1 && isCp1252(char32_t(composed[0].unicode())))
                return composed;
        }
    }
    return QString::fromUcs4(&base, 1);
}

// A letter with the marks that follow it, composed as far as Unicode composes, in the code
// page: itself, its replacement, the letters of its compatibility decomposition (ﬁ → fi,
// Ａ → A, ǆ → dž) with the marks the code page keeps, nothing, or one "?".
QString folded(const QList<char32_t>& cluster) {
    const char32_t first = cluster.front();
    if (cluster.size() == 1 && isCp1252(first))
        return QString::fromUcs4(&first, 1);
    if (const char16_t* r = replacementFor(first))
        return QString::fromUtf16(r);
    if (isInvisible(first))
        return {};
    const QList<uint> parts = QString::fromUcs4(cluster.constData(), cluster.size())
                                  .normalized(QString::NormalizationForm_KD)
                                  .toUcs4();
    QString out;
    for (qsizetype i = 0; i < parts.size();) {
        const auto base = static_cast<char32_t>(parts[i++]);
        QList<char32_t> marks;
        while (i < parts.size() && isMark(parts[i]))
            marks << static_cast<char32_t>(parts[i++]);
        if (isMark(base))
            continue;
        if (isCp1252(base))
            out += withKeptMarks(base, marks);
        else if (const char16_t* r = replacementFor(base))
            out += QString::fromUtf16(r);
        else
            return QStringLiteral("?"); // no Latin form: Greek, Cyrillic, CJK, emoji
    }
    return out.isEmpty() ? QStringLiteral("?") : out;
}

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\t' || c == u'\v' || c == u'\f' || c == QChar(0x85) ||
           c == QChar(0x2028) || c == QChar(0x2029);
}

} // namespace

QString transliterateCp1252(QStringView text) {
    if (isCp1252(text))
        return text.toString();
    // Composed first, so that a letter typed as base and mark finds the letter the code
    // page has (u + ¨ → ü).
    const QList<uint> cps = text.toString().normalized(QString::NormalizationForm_C).toUcs4();
    QString out;
    out.reserve(cps.size());
    for (qsizetype i = 0; i < cps.size();) {
        QList<char32_t> cluster{static_cast<char32_t>(cps[i++])};
        while (!isMark(cluster.front()) && i < cps.size() && isMark(cps[i]))
            cluster << static_cast<char32_t>(cps[i++]);
        out += folded(cluster);
    }
    return out;
}

QString transliterateName(QStringView text) {
    QString flat;
    flat.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            flat += u' ';
        } else if (isLineBreak(c)) {
            flat += u' ';
        } else if (c.category() != QChar::Other_Control) {
            flat += c;
        }
    }
    return transliterateCp1252(flat);
}

} // namespace natalix
