#include "ValueReadings.h"

#include "CodePage.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace ValueReadings {

namespace {

const QString kNone = QStringLiteral("—");

// How many bytes a row reads (UTF-8: at least).
int widthOf(Row row) {
    switch (row) {
    case Row::Int16:
    case Row::UInt16:
        return 2;
    case Row::Int32:
    case Row::UInt32:
    case Row::Float32:
    case Row::UnixTime32:
    case Row::DosDateTime:
        return 4;
    case Row::Int64:
    case Row::UInt64:
    case Row::Float64:
    case Row::UnixTime64:
    case Row::FileTime:
        return 8;
    default:
        return 1;
    }
}

QString bytesWord(int n) {
    return n == 1 ? QStringLiteral("1 байт") : QString::number(n) + (n >= 2 && n <= 4 ? QStringLiteral(" байта") : QStringLiteral(" байт"));
}

Reading none(const QString& reason) { return {kNone, reason, std::nullopt}; }

Reading pastEnd(int needed, int there) {
    return none(QStringLiteral("за концом файла: нужно %1, есть %2").arg(bytesWord(needed)).arg(there));
}

Reading valued(const QString& text, std::uint64_t value) { return {text, QString(), value}; }

// The first `width` bytes as an unsigned number in the given order.
std::uint64_t unsignedOf(const Bytes& bytes, int width, ByteOrder order) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int k = order == ByteOrder::LittleEndian ? width - 1 - i : i;
        value = value << 8 | bytes.data[std::size_t(k)];
    }
    return value;
}

std::int64_t signedOf(std::uint64_t value, int width) {
    const int unused = 64 - 8 * width;
    return std::int64_t(value << unused) >> unused;
}

template <typename Float>
Reading floatReading(Float x, std::uint64_t bits) {
    if (std::isnan(x)) return valued(QStringLiteral("nan"), ~std::uint64_t(0));  // one value for every NaN
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, x);
    return valued(QString::fromLatin1(text, result.ptr - text), bits);
}

// The calendar date of a day counted from 01.01.1970 (proleptic Gregorian).
struct Date {
    std::int64_t year;
    int month, day;
};
Date dateOfDay(std::int64_t days) {
    days += 719468;  // from 01.03.0000, so that a leap day ends its year
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t ofEra = days - era * 146097;
    const std::int64_t yearOfEra = (ofEra - ofEra / 1460 + ofEra / 36524 - ofEra / 146096) / 365;
    const std::int64_t ofYear = ofEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * ofYear + 2) / 153;
    const int day = int(ofYear - (153 * shifted + 2) / 5 + 1);
    const int month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

QString dateTimeText(std::int64_t year, int month, int day, int hour, int minute, int second) {
    return QStringLiteral("%1.%2.%3 %4:%5:%6")
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(second, 2, 10, QLatin1Char('0'));
}

// 01.01.0001 and 01.01.10000 in seconds from 01.01.1970: a four-digit year stays four digits.
constexpr std::int64_t kFirstSecond = -62135596800, kPastLastSecond = 253402300800;
constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds from 01.01.1970 UTC, and ticks of 100 ns after them shown when there are any.
Reading utcTime(std::int64_t seconds, std::uint64_t value, std::int64_t ticks = 0) {
    if (seconds < kFirstSecond || seconds >= kPastLastSecond)
        return none(QStringLiteral("время вне 0001–9999 годов"));
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const std::int64_t inDay = seconds - days * kSecondsPerDay;
    const Date date = dateOfDay(days);
    QString text = dateTimeText(date.year, date.month, date.day, int(inDay / 3600), int(inDay / 60 % 60), int(inDay % 60));
    if (ticks != 0) text += QStringLiteral(".%1").arg(ticks, 7, 10, QLatin1Char('0'));
    return valued(text + QStringLiteral(" UTC"), value);
}

Reading fileTime(std::uint64_t ticks) {
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kFrom1601To1970 = 11644473600;  // seconds
    const auto seconds = std::int64_t(ticks / kTicksPerSecond);  // below 2^61: no overflow
    return utcTime(seconds - kFrom1601To1970, ticks, std::int64_t(ticks % kTicksPerSecond));
}

bool leapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Reading dosDateTime(std::uint32_t value) {
    const unsigned date = value >> 16, time = value & 0xFFFF;
    const int year = 1980 + int(date >> 9), month = int(date >> 5 & 15), day = int(date & 31);
    const int hour = int(time >> 11), minute = int(time >> 5 & 63), second = int(time & 31) * 2;
    if (month < 1 || month > 12) return none(QStringLiteral("не дата DOS: месяц %1").arg(month));
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int days = kDays[month - 1] + (month == 2 && leapYear(year));
    if (day < 1 || day > days) return none(QStringLiteral("не дата DOS: день %1 в месяце %2").arg(day).arg(month));
    if (hour > 23 || minute > 59 || second > 59)
        return none(QStringLiteral("не время DOS: %1 ч %2 мин %3 с").arg(hour).arg(minute).arg(second));
    return valued(dateTimeText(year, month, day, hour, minute, second), value);
}

// C0 and C1 controls and DEL: nothing to see, so shown as the grid shows them.
bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

Reading character(std::uint8_t byte, bool dos) {
    const QChar c = dos ? CodePage::oemChar(byte) : CodePage::ansiChar(byte);
    if (isControl(c.unicode())) return valued(QStringLiteral("· (управляющий)"), byte);
    if (c == QLatin1Char(' ')) return valued(QStringLiteral("пробел"), byte);
    return valued(QString(c), byte);
}

QString hex(std::uint32_t value, int digits) { return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0')); }
QString hexByte(std::uint8_t b) { return QStringLiteral("0x") + hex(b, 2); }

// The code point that starts at the first byte; "—" for a sequence that is not UTF-8 or
// that the file's end cuts.
Reading utf8(const Bytes& bytes) {
    const std::uint8_t lead = bytes.data[0];
    if (lead >= 0x80 && lead < 0xC0)
        return none(QStringLiteral("%1 — продолжение, а не начало символа UTF-8").arg(hexByte(lead)));
    if ((lead >= 0xC0 && lead < 0xC2) || lead > 0xF4)
        return none(QStringLiteral("байта %1 в UTF-8 не бывает").arg(hexByte(lead)));
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if (k >= bytes.count)
            return none(QStringLiteral("символ UTF-8 обрезан концом файла: нужно %1, есть %2").arg(bytesWord(length)).arg(bytes.count));
        const std::uint8_t next = bytes.data[std::size_t(k)];
        if ((next & 0xC0) != 0x80)
            return none(QStringLiteral("после %1 нет продолжения символа UTF-8 (%2)").arg(hexByte(lead), hexByte(next)));
        c = c << 6 | (next & 0x3F);
    }
    static constexpr char32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[length]) return none(QStringLiteral("лишне длинная запись символа UTF-8"));
    if (c >= 0xD800 && c <= 0xDFFF) return none(QStringLiteral("половина суррогатной пары в UTF-8"));
    if (c > 0x10FFFF) return none(QStringLiteral("за пределами Юникода (больше U+10FFFF)"));
    QString text = QStringLiteral("U+") + hex(std::uint32_t(c), 4);
    if (!isControl(c)) text += QLatin1Char(' ') + QString::fromUcs4(&c, 1);
    return valued(text, c);
}

Reading bits(std::uint8_t byte) {
    QString text = QString::number(byte, 2).rightJustified(8, QLatin1Char('0'));
    return valued(text.insert(4, QLatin1Char(' ')), byte);
}

}  // namespace

QString label(Row row) {
    static const char* const kLabels[kRowCount] = {
        "int8",  "uint8",   "int16",   "uint16",          "int32",           "uint32",
        "int64", "uint64",  "float32", "float64",         "время Unix (32)", "время Unix (64)",
        "дата и время DOS", "FILETIME", "символ",         "UTF-8",           "биты",
    };
    return QString::fromUtf8(kLabels[int(row)]);
}

Reading read(Row row, const Bytes& bytes, ByteOrder order, bool dos) {
    const int width = widthOf(row);
    if (bytes.count < width) return pastEnd(width, bytes.count);
    const std::uint64_t raw = unsignedOf(bytes, width, order);
    const std::uint64_t little = unsignedOf(bytes, width, ByteOrder::LittleEndian);
    switch (row) {
    case Row::Int8:
    case Row::Int16:
    case Row::Int32:
    case Row::Int64:
        return valued(QString::number(qint64(signedOf(raw, width))), raw);
    case Row::UInt8:
    case Row::UInt16:
    case Row::UInt32:
    case Row::UInt64:
        return valued(QString::number(quint64(raw)), raw);
    case Row::Float32:
        return floatReading(std::bit_cast<float>(std::uint32_t(raw)), raw);
    case Row::Float64:
        return floatReading(std::bit_cast<double>(raw), raw);
    case Row::UnixTime32:
    case Row::UnixTime64:
        return utcTime(signedOf(raw, width), raw);
    case Row::DosDateTime:
        return dosDateTime(std::uint32_t(little));
    case Row::FileTime:
        return fileTime(little);
    case Row::Character:
        return character(bytes.data[0], dos);
    case Row::Utf8:
        return utf8(bytes);
    case Row::Bits:
        return bits(bytes.data[0]);
    }
    return none(QString());
}

bool differ(const Reading& a, const Reading& b) {
    return a.value.has_value() != b.value.has_value() || (a.value && *a.value != *b.value);
}

}  // namespace ValueReadings
