#include "reminder/remindercodes.h"

#include "table/textnumber.h"

#include <algorithm>
#include <cstring>

namespace natalix {

namespace {
struct Coded {
    const char16_t* text;
    int number;
};

constexpr Coded offsets[] = {
    {u"Keine Erinnerung", -1}, {u"Am Tage des Geburtstages", 0},
    {u"1 Tag vorher", 1},      {u"2 Tage vorher", 2},
    {u"3 Tage vorher", 3},     {u"4 Tage vorher", 4},
    {u"5 Tage vorher", 5},     {u"6 Tage vorher", 6},
    {u"1 Woche vorher", 7},    {u"2 Wochen vorher", 14},
    {u"3 Wochen vorher", 21},  {u"1 Monat vorher", 31},
    {u"2 Monate vorher", 62},  {u"3 Monate vorher", 92},
};
// Known to stored lists, though no list offers it.
constexpr Coded hiddenOffset = {u"4 Wochen vorher", 28};

constexpr Coded cycles[] = {
    {u"jährlich", 1},       {u"alle 2 Jahre", 2},   {u"alle 3 Jahre", 3},
    {u"alle 4 Jahre", 4},   {u"alle 5 Jahre", 5},   {u"alle 6 Jahre", 6},
    {u"alle 7 Jahre", 7},   {u"alle 8 Jahre", 8},   {u"alle 9 Jahre", 9},
    {u"alle 10 Jahre", 10}, {u"alle 20 Jahre", 20}, {u"alle 30 Jahre", 30},
    {u"alle 40 Jahre", 40}, {u"alle 50 Jahre", 50}, {u"alle 100 Jahre", 100},
};

struct CodedUtf8 {
    QByteArray text;
    int number;
};

template <size_t N> std::vector<CodedUtf8> utf8Of(const Coded (&list)[N]) {
    std::vector<CodedUtf8> out;
    for (const Coded& c : list)
        out.push_back({QString::fromUtf16(c.text).toUtf8(), c.number});
    return out;
}

std::optional<int> lookUp(const std::vector<CodedUtf8>& list, QByteArrayView utf8) {
    // Most texts of a list differ in length or in their first byte; a scan asks this for
    // every reminder of every record it reads.
    for (const CodedUtf8& c : list) {
        if (c.text.size() == utf8.size() && c.text[0] == utf8[0] &&
            std::memcmp(c.text.constData(), utf8.data(), static_cast<size_t>(utf8.size())) == 0)
            return c.number;
    }
    return std::nullopt;
}

template <size_t N> QStringList textsOf(const Coded (&list)[N]) {
    QStringList out;
    for (const Coded& c : list)
        out << QString::fromUtf16(c.text);
    return out;
}
} // namespace

const QStringList& reminderOffsetTexts() {
    static const QStringList texts = textsOf(offsets);
    return texts;
}

const QStringList& reminderStartTexts() {
    static const QStringList texts = [] {
        QStringList t;
        for (int n = 1; n <= 125; ++n)
            t << QString::number(n) + QStringLiteral(". Geburtstag");
        return t;
    }();
    return texts;
}

const QStringList& reminderCycleTexts() {
    static const QStringList texts = textsOf(cycles);
    return texts;
}

std::optional<int> offsetDays(const QString& text) {
    for (const Coded& c : offsets) {
        if (text == QStringView(c.text))
            return c.number;
    }
    if (text == QStringView(hiddenOffset.text))
        return hiddenOffset.number;
    return std::nullopt;
}

int longestLeadDays() {
    int longest = hiddenOffset.number;
    for (const Coded& c : offsets)
        longest = std::max(longest, c.number);
    return longest;
}

std::optional<double> startNumber(const QString& text) {
    // The texts of the list ("18. Geburtstag") are read directly; anything else the long way.
    static const QString suffix = QStringLiteral(". Geburtstag");
    qsizetype digits = 0;
    int listed = 0;
    while (digits < text.size() && digits < 6 && text[digits] >= u'0' && text[digits] <= u'9')
        listed = listed * 10 + (text[digits++].unicode() - u'0');
    if (digits > 0 && digits < 6 && QStringView(text).sliced(digits) == suffix)
        return listed;
    bool found = false;
    const double n = leadingNumber(text, &found);
    if (!found)
        return std::nullopt;
    return n;
}

std::optional<int> cycleYears(const QString& text) {
    for (const Coded& c : cycles) {
        if (text == QStringView(c.text))
            return c.number;
    }
    return std::nullopt;
}

std::optional<int> offsetDays(QByteArrayView utf8) {
    static const std::vector<CodedUtf8> list = [] {
        std::vector<CodedUtf8> l = utf8Of(offsets);
        l.push_back({QString::fromUtf16(hiddenOffset.text).toUtf8(), hiddenOffset.number});
        return l;
    }();
    return lookUp(list, utf8);
}

std::optional<double> startNumber(QByteArrayView utf8) {
    // The texts of the list ("18. Geburtstag") are read directly; anything else the long way.
    static const QByteArray suffix = QByteArrayLiteral(". Geburtstag");
    qsizetype digits = 0;
    int n = 0;
    while (digits < utf8.size() && digits < 6 && utf8[digits] >= '0' && utf8[digits] <= '9')
        n = n * 10 + (utf8[digits++] - '0');
    if (digits > 0 && digits < 6 && utf8.sliced(digits) == suffix)
        return n;
    return startNumber(QString::fromUtf8(utf8));
}

std::optional<int> cycleYears(QByteArrayView utf8) {
    static const std::vector<CodedUtf8> list = utf8Of(cycles);
    return lookUp(list, utf8);
}

ConvertedRow convertRow(const Record& r) {
    ConvertedRow c;
    c.nummer = r.nummer;
    c.name = r.name;
    c.jahr = r.jahr;
    c.monat = r.monat;
    c.tag = r.tag;
    for (int k = 0; k < 3; ++k)
        c.offset[k] = offsetDays(r.erinnerung[k]);
    c.start = startNumber(r.erinnerungsbeginn);
    c.cycle = cycleYears(r.erinnerungszyklus);
    c.marker = r.marker;
    return c;
}

std::vector<ConvertedRow> erinnerungstexteumwandeln(const Snapshot& snapshot) {
    std::vector<ConvertedRow> rows;
    rows.reserve(snapshot.size());
    for (const Record& r : snapshot)
        rows.push_back(convertRow(r));
    return rows;
}

} // namespace natalix
