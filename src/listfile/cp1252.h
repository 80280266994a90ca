#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace natalix {

// Windows-1252, the character set of list and options files. Written here rather than taken
// from the platform so that every build reads and writes the same bytes.
QString decodeCp1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become '?'.
QByteArray encodeCp1252(QStringView text);
// The same, appended to `out` without a buffer of its own.
void appendCp1252(QByteArray& out, QStringView text);
bool isCp1252(char32_t codePoint);
bool isCp1252(QStringView text);

} // namespace natalix
