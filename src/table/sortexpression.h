#pragma once

#include "table/record.h"

#include <QString>

#include <optional>
#include <vector>

namespace natalix {

struct SortKey {
    Field field;
    bool descending = false;
    bool operator==(const SortKey&) const = default;
};

using SortExpression = std::vector<SortKey>;

// "Jahr ASC,Monat ASC,Tag ASC": field names each followed by ASC or DESC, joined by commas.
// Anything else is refused, so no text of unknown origin can reach the store.
std::optional<SortExpression> parseSortExpression(const QString& text);
QString sortExpressionText(const SortExpression& expr);

// The five orders of the sort buttons and the grid's header: by number, name, year, month,
// day. Each gives the expression the table is sorted by and the grid's caption naming it.
enum class SortBy { Nummer, Name, Jahr, Monat, Tag };
struct SortChoice {
    QString expression;
    QString caption;
};
SortChoice sortChoice(SortBy key, bool descending);

} // namespace natalix
