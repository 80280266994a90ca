#include "table/sortexpression.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace natalix {

std::optional<SortExpression> parseSortExpression(const QString& text) {
    SortExpression expr;
    const QStringList parts = text.split(u',');
    for (const QString& rawPart : parts) {
        const QString part = rawPart.trimmed();
        // The field name may hold a blank ("Erinnerung 1"), so the direction is the last word.
        const qsizetype blank = part.lastIndexOf(u' ');
        if (blank < 0)
            return std::nullopt;
        const QString direction = part.mid(blank + 1);
        const auto field = fieldByName(QStringView(part).left(blank).trimmed());
        if (!field)
            return std::nullopt;
        if (direction == u"ASC")
            expr.push_back({*field, false});
        else if (direction == u"DESC")
            expr.push_back({*field, true});
        else
            return std::nullopt;
    }
    if (expr.empty())
        return std::nullopt;
    return expr;
}

QString sortExpressionText(const SortExpression& expr) {
    QStringList parts;
    for (const SortKey& key : expr)
        parts << fieldName(key.field) +
                     (key.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    return parts.join(u',');
}

SortChoice sortChoice(SortBy key, bool descending) {
    struct Order {
        const char16_t* fields[3];
        const char16_t* named;
    };
    static const Order orders[] = {{{u"Nummer"}, u"Nr."},
                                   {{u"Name"}, u"Namen"},
                                   {{u"Jahr", u"Monat", u"Tag"}, u"Jahr"},
                                   {{u"Monat", u"Tag"}, u"Monat"},
                                   {{u"Tag"}, u"Tag"}};
    const Order& o = orders[static_cast<int>(key)];
    QStringList parts;
    for (const char16_t* f : o.fields)
        if (f)
            parts << QString::fromUtf16(f) + (descending ? u" DESC"_s : u" ASC"_s);
    return {parts.join(u','),
            QStringLiteral("Alle Datensätze - sortiert nach %1 - %2")
                .arg(QString::fromUtf16(o.named), descending ? u"absteigend"_s : u"aufsteigend"_s)};
}

} // namespace natalix
