#include "table/sortexpression.h"

#include <QStringList>

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

} // namespace natalix
