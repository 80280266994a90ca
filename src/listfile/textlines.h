#pragma once

#include <QByteArrayView>

#include <vector>

namespace natalix {

// Splits 8-bit text into lines. A line ends at CR LF or at a lone CR; a lone LF stays in
// the line. A last line without an ending counts as a line.
std::vector<QByteArrayView> splitLines(QByteArrayView bytes);

} // namespace natalix
