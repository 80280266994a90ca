#pragma once

#include <QString>
#include <QStringView>

namespace natalix {

// The text in Windows-1252, losing as little as the code page allows: what it holds stays
// (ü, é, š, æ, ß); a letter it lacks becomes its closest letter there (ı → i, ł → l,
// ř → r, ễ → ê, ﬁ → fi); what has no Latin form becomes one "?" per character; combining
// marks left alone and invisible format characters are dropped. Control characters stay.
QString transliterateCp1252(QStringView text);

// A name as the list keeps it, whether typed, pasted or imported: every line break (CR LF,
// CR, LF and their kin) and tab becomes one blank, other control characters are dropped,
// the rest is transliterated. Neither trimmed nor cut.
QString transliterateName(QStringView text);

} // namespace natalix
