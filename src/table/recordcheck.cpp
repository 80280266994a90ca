#include "table/recordcheck.h"

#include "table/birthyear.h"
#include "table/textnumber.h"

#include <algorithm>

namespace natalix {

namespace {

constexpr int nameMaxLength = 40;

struct Bounds {
    int low, high;
};

Bounds boundsOf(Field field) {
    if (field == Field::Jahr)
        return {firstBirthYear, lastBirthYear};
    if (field == Field::Monat)
        return {1, 12};
    return {1, 31};
}

// The box's whole number as its text, cut to the box's width: "20255" is 2025.
int cutToWidth(QStringView text, int width) {
    return QString::number(leadingWholeNumber(text)).left(width).toInt();
}

} // namespace

CheckedFields checkedFields(const QString& name, QStringView jahr, QStringView monat,
                            QStringView tag) {
    CheckedFields c;
    // The year 0 stays: the year is unknown.
    c.jahr = cutToWidth(jahr, 4);
    if (c.jahr != unknownYear)
        c.jahr = std::clamp(c.jahr, firstBirthYear, lastBirthYear);
    c.monat = std::clamp(cutToWidth(monat, 2), 1, 12);
    c.tag = std::clamp(cutToWidth(tag, 2), 1, 31);
    // Without a year, 29 February stays possible.
    if (c.monat == 2 && c.tag > 29)
        c.tag = 29;
    if (c.monat == 2 && c.tag == 29 && (c.jahr % 4 != 0 || c.jahr == 1900))
        c.tag = 28;
    if ((c.monat == 4 || c.monat == 6 || c.monat == 9 || c.monat == 11) && c.tag == 31)
        c.tag = 30;

    // Leading and trailing blanks go; a name of blanks only ends as one blank.
    c.name = name.left(nameMaxLength);
    qsizetype from = 0, to = c.name.size();
    while (from < to && c.name[from] == u' ')
        ++from;
    while (to > from && c.name[to - 1] == u' ')
        --to;
    c.name = from == to ? QStringLiteral(" ") : c.name.mid(from, to - from);
    return c;
}

int leftDateBoxValue(Field field, QStringView text) {
    const int n = leadingWholeNumber(text);
    if (field == Field::Jahr && n == unknownYear)
        return unknownYear;
    const Bounds b = boundsOf(field);
    return std::clamp(n, b.low, b.high);
}

} // namespace natalix
