#include "DumpFormat.h"

#include "AddressText.h"
#include "CodePage.h"

#include <cstring>

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

char* labelAndGap(char* out, const RowLabel& label) {
    std::memcpy(out, label.data(), std::size_t(label.size()));
    out += label.size();
    std::memcpy(out, kBlanks, 5);
    return out + 5;
}

char* lineEnd(char* out) {
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

}  // namespace

QString nowText(const QDateTime& now) { return now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); }

QString columnHeader() {
    QString line = QStringLiteral("Адрес.     ");
    for (int k = 0; k < kRowBytes; ++k) line += QStringLiteral(" %1 ").arg(k, 0, 16).toUpper();
    return line + QStringLiteral("| Символьный вид.");
}

QByteArray header(Kind kind, const QDateTime& now, std::int64_t block, const QString& fileName) {
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
        columnHeader(),
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
}

RowLabel::RowLabel(std::int64_t rowAddress) {
    const QByteArray text = AddressText::rowLabel(rowAddress).toLatin1();
    begin_ = int(digits_.size() - text.size());
    std::memcpy(digits_.data() + begin_, text.constData(), std::size_t(text.size()));
}

void RowLabel::next() {
    for (int i = int(digits_.size()) - 1; i >= begin_; --i) {
        char& d = digits_[i];
        if (d == 'F') {
            d = '0';
            continue;
        }
        d = d == '9' ? 'A' : char(d + 1);
        return;
    }
    digits_[--begin_] = '1';  // every digit carried: the label grows by one
}

void RowLabel::advance(std::uint64_t rows) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (int i = int(digits_.size()) - 1; rows != 0; --i) {
        if (i < begin_) digits_[begin_ = i] = '0';
        const char d = digits_[i];
        std::uint64_t v = std::uint64_t(d <= '9' ? d - '0' : d - 'A' + 10) + (rows & 15);
        rows >>= 4;
        if (v >= 16) {
            v -= 16;
            ++rows;
        }
        digits_[i] = digits[v];
    }
}

char* fileRow(char* out, const RowLabel& label, const std::uint8_t* bytes, int count,
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

QByteArray cellRow(const QString& label, const QStringList& cellTexts, const CharTable& chars) {
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
    return CodePage::toAnsi(label) + QByteArray(5, ' ') + fields + '|' + part + "\r\n";
}

}  // namespace DumpFormat
