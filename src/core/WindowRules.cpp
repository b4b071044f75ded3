#include "WindowRules.h"

#include "AddressText.h"

using namespace GridGeometry;

namespace WindowRules {

int navigationTarget(int cell, int KeyAscii, int filledCells) {
    auto filled = [filledCells](int i) { return i < filledCells; };
    switch (KeyAscii) {
    case 13:  // Enter: the next byte, or back to the first after the last
        return (cell == kCells - 1 || !filled(cell + 1)) ? 0 : cell + 1;
    case 44: case 225:  // "," "б": the byte before
        return cell >= 1 ? cell - 1 : kNowhere;
    case 46: case 254:  // "." "ю": the byte after
        return cell <= kCells - 2 && filled(cell + 1) ? cell + 1 : kNowhere;
    case 75: case 107: case 203: case 235:  // "K" "k" "Л" "л": the row above
        return cell >= kColumns ? cell - kColumns : kNowhere;
    case 77: case 109: case 220: case 252:  // "M" "m" "Ь" "ь": the row below
        return cell <= kCells - 1 - kColumns && filled(cell + kColumns) ? cell + kColumns : kNowhere;
    default:
        return kNotNavigation;
    }
}

int typedByte(const QString& text) {
    if (text.isEmpty() || text.size() > 2) return -1;
    int value = 0;
    for (QChar ch : text) {
        const int digit = AddressText::hexDigitValue(ch);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace WindowRules
