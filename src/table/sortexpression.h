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

} // namespace natalix
