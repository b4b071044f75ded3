#include "ScreenModel.h"

#include <cstdint>

#include "CodePage.h"

ScreenModel::ScreenModel() {
    shown_.fill(-1);
    other_.fill(-1);
    edits_.fill(-1);
}

void ScreenModel::show(const Screen& screen) {
    for (int i = 0; i < screen.cells; ++i) {
        shown_[i] = screen.shown[i];
        other_[i] = screen.other[i];
    }
    edits_.fill(-1);
    if (kept_.any()) {
        for (QString& text : keptTexts_) text.clear();
        kept_.reset();
    }
    fileInView_ = screen.fileInView;
    marked_ = screen.marked;
    dos_ = screen.dos;
}

void ScreenModel::setEdit(int cell, int value) {
    edits_[cell] = value;
    keepText(cell, QString());
}

void ScreenModel::keepText(int cell, const QString& text) {
    const int v = value(cell);
    const bool keep = !text.isEmpty() && (v < 0 || text != byteText(v));
    kept_.set(std::size_t(cell), keep);
    keptTexts_[cell] = keep ? text : QString();
}

QString ScreenModel::text(int cell) const {
    if (kept_.test(std::size_t(cell))) return keptTexts_[cell];
    const int v = value(cell);
    return v >= 0 ? byteText(v) : QString();
}

QChar ScreenModel::character(int cell) const {
    const auto v = static_cast<std::uint8_t>(value(cell));
    return dos_ ? CodePage::oemChar(v) : CodePage::ansiChar(v);
}

ScreenModel::Ink ScreenModel::ink(int cell) const {
    if (edits_[cell] >= 0) return Ink::Edited;
    return marked_ && differs(cell) ? Ink::Mismatch : Ink::Plain;
}

ScreenModel::Ground ScreenModel::ground(int cell) const {
    // A cell past the end takes no highlight, focused or not.
    if (cell != focus_ || shown_[cell] < 0) return Ground::Face;
    return ink(cell) == Ink::Mismatch ? Ground::FocusedMismatch : Ground::Focus;
}

const QString& ScreenModel::byteText(int value) {
    static const std::array<QString, 256> texts = [] {
        std::array<QString, 256> made;
        static const char digits[] = "0123456789ABCDEF";
        for (int v = 0; v < 256; ++v) {
            const QChar pair[2] = {QLatin1Char(digits[v >> 4]), QLatin1Char(digits[v & 15])};
            made[std::size_t(v)] = QString(pair, 2);
        }
        return made;
    }();
    return texts[std::size_t(value)];
}
