#include "AddressText.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace AddressText {

namespace {

constexpr std::int64_t kMaxValue = std::numeric_limits<std::int64_t>::max();

QString paddedHex(std::uint64_t value, int minDigits) {
    return QString::number(value, 16).toUpper().rightJustified(minDigits, QLatin1Char('0'));
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

// A negative value can only come from a caller's arithmetic gone wrong; it is shown as
// its 64-bit two's complement rather than with a sign the field could not take.
QString funHexAdres(std::int64_t address) {
    return paddedHex(static_cast<std::uint64_t>(address), 7);
}

QString rowLabel(std::int64_t rowAddress) {
    return paddedHex(static_cast<std::uint64_t>(rowAddress) >> 4, 6);
}

std::int64_t funAdresValue(const QString& text) {
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (isBlank(c)) continue;
        const int digit = hexDigitValue(c);
        if (digit < 0) break;
        if (value > (kMaxValue - digit) / 16) return kMaxValue;
        value = value * 16 + digit;
    }
    return value;
}

int addressFieldDigits(std::int64_t fileSize) {
    if (fileSize <= 1) return 7;
    return std::max(7, static_cast<int>(funHexAdres(fileSize - 1).size()));
}

BlockNumber parseBlockNumber(const QString& text) {
    // A Russian user writes "2,5", others "2.5"; both are taken. No group separators:
    // "1,000" would be ambiguous between the two readings.
    static const QRegularExpression number(QStringLiteral(
        R"(^[ \t]*([+-]?(?:[0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)(?:[eE][+-]?[0-9]+)?)[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) return {};

    QString digits = match.captured(1);
    digits.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double x = QLocale::c().toDouble(digits, &ok);

    BlockNumber result;
    // Whatever the conversion cannot represent (1E999, 1E-999) is no block of any file.
    result.kind = BlockNumber::NoSuchBlock;
    if (!ok || !std::isfinite(x)) return result;
    if (x == 0) {
        result.kind = BlockNumber::Block;
        result.address = 1;  // block 0 is taken as block 1
        return result;
    }
    if (x < 1) return result;

    // Block n starts at 256 * (n - 1); that fits in 63 bits while n <= 2^55.
    const double block = std::floor(x);
    if (block > 36028797018963968.0) return result;
    result.kind = BlockNumber::Block;
    result.address = (static_cast<std::int64_t>(block) - 1) * 256;
    return result;
}

}  // namespace AddressText
