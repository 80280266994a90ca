#include "listfile/textlines.h"

namespace natalix {

std::vector<QByteArrayView> splitLines(QByteArrayView bytes) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '\r')
            continue;
        lines.push_back(bytes.sliced(start, i - start));
        if (i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.push_back(bytes.sliced(start));
    return lines;
}

} // namespace natalix
