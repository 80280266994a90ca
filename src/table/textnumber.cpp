#include "table/textnumber.h"

#include <cmath>
#include <limits>

namespace natalix {

double leadingNumber(QStringView text, bool* found) {
    // Collect the characters of the number, skipping blanks, then convert once.
    QString digits;
    bool sign = false;
    bool point = false;
    bool exponent = false;
    bool mantissaDigits = false;
    qsizetype exponentStart = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u' ' || c == u'\t')
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            if (!exponent)
                mantissaDigits = true;
            continue;
        }
        if ((c == u'-' || c == u'+') && !sign && digits.isEmpty()) {
            sign = true;
            digits += c;
            continue;
        }
        if ((c == u'-' || c == u'+') && exponent && exponentStart == digits.size()) {
            digits += c;
            continue;
        }
        if (c == u'.' && !point && !exponent) {
            point = true;
            digits += c;
            continue;
        }
        if ((c == u'e' || c == u'E') && mantissaDigits && !exponent) {
            exponent = true;
            digits += u'e';
            exponentStart = digits.size();
            continue;
        }
        break;
    }
    // An exponent without digits does not belong to the number.
    if (exponent) {
        qsizetype end = digits.size();
        while (end > exponentStart && (digits[end - 1] == u'-' || digits[end - 1] == u'+'))
            --end;
        if (end == exponentStart)
            digits.truncate(exponentStart - 1);
    }
    if (found)
        *found = mantissaDigits;
    if (!mantissaDigits)
        return 0.0;
    bool ok = false;
    const double value = digits.toDouble(&ok);
    if (std::isinf(value)) {
        // Too large: keep the sign, saturate.
        const bool negative = digits.startsWith(u'-');
        return negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }
    // The text is a well-formed number, so the only other failure is one too small to hold.
    return ok ? value : 0.0;
}

int leadingWholeNumber(QStringView text) {
    const double v = std::floor(leadingNumber(text));
    if (v <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (v >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

QString signedNumber(long long value) {
    if (value < 0)
        return QString::number(value);
    return u' ' + QString::number(value);
}

QString wholeNumberLine(long long value) {
    return signedNumber(value) + u' ';
}

std::optional<int> parseWholeNumberField(QStringView line) {
    const QStringView t = line.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    if (t[0] == u'-' || t[0] == u'+')
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t[j] < u'0' || t[j] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<int> parseWholeNumberField(QByteArrayView line) {
    // Blank as the text version trims it: ASCII white space and the no-break space (0xA0).
    const auto blank = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == ' ' || (u >= 0x09 && u <= 0x0D) || u == 0xA0;
    };
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && blank(line[b]))
        ++b;
    while (e > b && blank(line[e - 1]))
        --e;
    if (b == e)
        return std::nullopt;
    const bool negative = line[b] == '-';
    if (line[b] == '-' || line[b] == '+')
        ++b;
    if (b == e)
        return std::nullopt;
    long long value = 0;
    for (qsizetype i = b; i < e; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return std::nullopt;
        value = value * 10 + (line[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace natalix
