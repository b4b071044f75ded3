#include "DumpFormat.h"

#include "AddressText.h"
#include "CodePage.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define BIVEX_DUMP_VECTOR 1
#include <immintrin.h>
#endif

namespace DumpFormat {

namespace {

// "HH " for every byte value, padded to four bytes so a field is one 4-byte copy; the
// fourth byte is overwritten by whatever follows.
struct HexFields {
    char text[256][4];
    constexpr HexFields() : text{} {
        constexpr char digits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            text[b][0] = digits[b >> 4];
            text[b][1] = digits[b & 15];
            text[b][2] = ' ';
            text[b][3] = ' ';
        }
    }
};
constexpr HexFields kHex;

constexpr char kBlanks[] = "                                                ";  // 48
constexpr char kMatch[] = ".. .. .. .. .. .. .. .. .. .. .. .. .. .. .. .. ";

char* lineEnd(char* out) {
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

char* labelAndGap(char* out, const RowLabel& label) {
    std::memcpy(out, label.prefix(), 32);
    return out + label.prefixSize();
}

#ifdef BIVEX_DUMP_VECTOR
// Shuffle masks that spread the 32 hex digits of a row (pairs of bytes 0..7 in one register,
// 8..15 in the other) over the 48 bytes of its fields, and the blanks between them.
struct FieldMasks {
    alignas(16) std::uint8_t low[3][16];
    alignas(16) std::uint8_t high[3][16];
    alignas(16) std::uint8_t blanks[3][16];
    constexpr FieldMasks() : low{}, high{}, blanks{} {
        for (int v = 0; v < 3; ++v)
            for (int j = 0; j < 16; ++j) {
                const int at = 16 * v + j, field = at / 3, digit = at % 3;
                const auto pair = std::uint8_t(2 * (field % 8) + digit);
                low[v][j] = digit < 2 && field < 8 ? pair : 0x80;
                high[v][j] = digit < 2 && field >= 8 ? pair : 0x80;
                blanks[v][j] = digit == 2 ? ' ' : 0;
            }
    }
};
constexpr FieldMasks kFieldMasks;

__attribute__((target("ssse3"))) char* fullRowSsse3(char* out, const RowLabel& label, const std::uint8_t* bytes,
                                                      const CharTable& chars) {
    out = labelAndGap(out, label);
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i digits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    const __m128i hi = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(x, 4), nibble));
    const __m128i lo = _mm_shuffle_epi8(digits, _mm_and_si128(x, nibble));
    const __m128i first = _mm_unpacklo_epi8(hi, lo);
    const __m128i second = _mm_unpackhi_epi8(hi, lo);
    for (int v = 0; v < 3; ++v) {
        const auto mask = [](const std::uint8_t* m) { return _mm_load_si128(reinterpret_cast<const __m128i*>(m)); };
        const __m128i text = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(first, mask(kFieldMasks.low[v])),
                                                       _mm_shuffle_epi8(second, mask(kFieldMasks.high[v]))),
                                          mask(kFieldMasks.blanks[v]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * v), text);
    }
    out[48] = '|';
    char* part = out + 49;
    if (chars.plain()) {
        // Tab to carriage return and escape become blanks; every other byte is itself.
        const __m128i control = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(27)),
                                             _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(8)),
                                                           _mm_cmplt_epi8(x, _mm_set1_epi8(14))));
        const __m128i shown = _mm_or_si128(_mm_andnot_si128(control, x), _mm_and_si128(control, _mm_set1_epi8(' ')));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(part), shown);
    } else {
        for (int k = 0; k < kRowBytes; ++k) part[k] = chars[bytes[k]];
    }
    return lineEnd(part + kRowBytes);
}

const bool kHasSsse3 = [] {
    __builtin_cpu_init();  // this may run before the library's own constructors
    return __builtin_cpu_supports("ssse3") != 0;
}();
#endif

}  // namespace

QString nowText(const QDateTime& now) { return now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); }

int fieldColumn(std::int64_t end) {
    const std::int64_t lastRow = std::max<std::int64_t>(end - 1, 0) / kRowBytes * kRowBytes;
    return std::max<int>(kFieldColumn, int(AddressText::rowLabel(lastRow).size()) + 1);
}

QString columnHeader(int column) {
    QString line = QStringLiteral("Адрес.") + QString(column - 6, QLatin1Char(' '));
    for (int k = 0; k < kRowBytes; ++k) line += QStringLiteral(" %1 ").arg(k, 0, 16).toUpper();
    return line + QStringLiteral("| Символьный вид.");
}

QByteArray header(Kind kind, const QDateTime& now, std::int64_t block, const QString& fileName, int column) {
    QString title = QLatin1Char('[') + nowText(now) + QLatin1Char(']');
    switch (kind) {
    case Kind::Block:
        title += QStringLiteral("  [Блок %1]").arg(block) + QString(22, QLatin1Char(' '));
        break;
    case Kind::File:
        title += QStringLiteral("  [Файл]") + QString(24, QLatin1Char(' '));
        break;
    case Kind::Mismatch:
        title += QStringLiteral("  [Несовпадающие байты]") + QString(9, QLatin1Char(' '));
        break;
    }
    title += QStringLiteral("«Bivex»");
    const QStringList lines = {
        title,
        QStringLiteral("Dump программы : ''") + fileName + QStringLiteral("''"),
        QString(kRuleWidth, QLatin1Char('=')),
        columnHeader(column),
        QString(kRuleWidth, QLatin1Char('-')),
    };
    QByteArray out;
    for (const QString& line : lines) out += CodePage::toAnsi(line) + "\r\n";
    return out;
}

CharTable::CharTable(bool dos) {
    for (int b = 0; b < 256; ++b) {
        int value = b;
        if ((value >= 9 && value <= 13) || value == 27) value = ' ';
        const auto byte = std::uint8_t(value);
        const QChar ch = dos ? CodePage::oemChar(byte) : CodePage::ansiChar(byte);
        table_[b] = CodePage::toAnsi(QString(ch)).at(0);
    }
    plain_ = true;
    for (int b = 0; b < 256; ++b)
        if (table_[b] != char((b >= 9 && b <= 13) || b == 27 ? ' ' : b)) plain_ = false;
}

RowLabel::RowLabel(std::int64_t rowAddress, int column) : column_(column) {
    text_.fill(' ');
    const QByteArray digits = AddressText::rowLabel(rowAddress).toLatin1();
    size_ = int(digits.size());
    std::memcpy(text_.data(), digits.constData(), std::size_t(size_));
}

// Every digit carried: one more digit in front.
void RowLabel::grow() {
    std::memmove(text_.data() + 1, text_.data(), std::size_t(size_));
    text_[0] = '0';
    ++size_;
}

void RowLabel::next() {
    for (int i = size_ - 1; i >= 0; --i) {
        char& d = text_[i];
        if (d == 'F') {
            d = '0';
            continue;
        }
        d = d == '9' ? 'A' : char(d + 1);
        return;
    }
    grow();
    text_[0] = '1';
}

void RowLabel::advance(std::uint64_t rows) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (int i = size_ - 1; rows != 0; --i) {
        if (i < 0) {
            grow();
            i = 0;
        }
        const char d = text_[i];
        std::uint64_t v = std::uint64_t(d <= '9' ? d - '0' : d - 'A' + 10) + (rows & 15);
        rows >>= 4;
        if (v >= 16) {
            v -= 16;
            ++rows;
        }
        text_[i] = digits[v];
    }
}

char* fileRow(char* out, const RowLabel& label, const std::uint8_t* bytes, int count,
              const CharTable& chars) {
#ifdef BIVEX_DUMP_VECTOR
    if (count == kRowBytes && kHasSsse3) return fullRowSsse3(out, label, bytes, chars);
#endif
    return detail::fileRowPortable(out, label, bytes, count, chars);
}

char* detail::fileRowPortable(char* out, const RowLabel& label, const std::uint8_t* bytes, int count,
                              const CharTable& chars) {
    out = labelAndGap(out, label);
    for (int k = 0; k < count; ++k, out += 3) std::memcpy(out, kHex.text[bytes[k]], 4);
    const int missing = kRowBytes - count;
    std::memcpy(out, kBlanks, std::size_t(3 * missing));
    out += 3 * missing;
    *out++ = '|';
    for (int k = 0; k < count; ++k) out[k] = chars[bytes[k]];
    return lineEnd(out + count);
}

char* mismatchRow(char* out, const RowLabel& label, const std::uint8_t* a, const std::uint8_t* b,
                  int count, bool showA, const CharTable& chars) {
    out = labelAndGap(out, label);
    char* part = out + 3 * kRowBytes + 1;
    const std::uint8_t* shown = showA ? a : b;
    for (int k = 0; k < count; ++k, out += 3) {
        const bool same = a[k] == b[k];
        std::memcpy(out, same ? kMatch : kHex.text[shown[k]], 4);
        part[k] = same ? ' ' : chars[shown[k]];
    }
    const int missing = kRowBytes - count;
    std::memcpy(out, kBlanks, std::size_t(3 * missing));
    out[3 * missing] = '|';
    return lineEnd(part + count);
}

QByteArray cellRow(const QString& label, const QStringList& cellTexts, const CharTable& chars, int column) {
    QByteArray fields;
    QByteArray part;
    for (const QString& text : cellTexts) {
        if (text.isEmpty()) {
            fields += "   ";
            continue;
        }
        fields += CodePage::toAnsi(text) + ' ';
        part += chars[std::uint8_t(AddressText::funAdresValue(text))];
    }
    const qsizetype gap = std::max<qsizetype>(1, column - label.size());
    return CodePage::toAnsi(label) + QByteArray(gap, ' ') + fields + '|' + part + "\r\n";
}

}  // namespace DumpFormat
