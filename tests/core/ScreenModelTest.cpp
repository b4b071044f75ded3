// The screen as the window shows it, without a widget: what each cell says and in which
// colours, what recording would write, and what a new screen keeps.
#include <gtest/gtest.h>

#include <functional>

#include "ScreenModel.h"

namespace {

using Ink = ScreenModel::Ink;
using Ground = ScreenModel::Ground;

// A screen of one file, or of two, holding `shown` and `other` in cell 5; the rest empty.
ScreenModel::Screen screenWith(int shown, int other, bool marked = true, bool dos = false) {
    ScreenModel::Screen screen;
    screen.shown.fill(-1);
    screen.other.fill(-1);
    screen.shown[5] = shown;
    screen.other[5] = other;
    screen.marked = marked;
    screen.dos = dos;
    return screen;
}

TEST(ScreenModel, EachCellSaysWhatItShowsAndInWhichColours) {
    const struct {
        const char* what;
        ScreenModel::Screen screen;
        std::function<void(ScreenModel&)> steps;  // on cell 5, after the screen is shown
        QString text;
        QString character;  // empty: none
        Ink ink;
        Ground ground;
        bool characterLit;
        int written;  // what recording writes from cell 5, -1 nothing
    } rows[] = {
        {"equal bytes", screenWith(0x41, 0x41), {}, "41", "A", Ink::Plain, Ground::Face, false, -1},
        {"mismatch", screenWith(0x41, 0x42), {}, "41", "A", Ink::Mismatch, Ground::Face, false, -1},
        {"mismatch while not synchronised", screenWith(0x41, 0x42, false), {}, "41", "A", Ink::Plain, Ground::Face, false, -1},
        {"the other file ends before the cell", screenWith(0x41, -1), {}, "41", "A", Ink::Plain, Ground::Face, false, -1},
        {"focus", screenWith(0x0A, 0x0A), [](ScreenModel& m) { m.setFocus(5); }, "0A", "\n", Ink::Plain, Ground::Focus, true, -1},
        {"focus on a mismatch", screenWith(0xFF, 0x00), [](ScreenModel& m) { m.setFocus(5); }, "FF", "я", Ink::Mismatch,
         Ground::FocusedMismatch, true, -1},
        {"focus elsewhere", screenWith(0xFF, 0x00), [](ScreenModel& m) { m.setFocus(6); }, "FF", "я", Ink::Mismatch, Ground::Face, false, -1},
        {"past the end, focused", screenWith(-1, 0x42), [](ScreenModel& m) { m.setFocus(5); }, "", "", Ink::Plain, Ground::Face, false, -1},
        {"edited", screenWith(0x41, 0x41), [](ScreenModel& m) { m.setEdit(5, 0x07); }, "07", "\a", Ink::Edited, Ground::Face, false, 0x07},
        // Blue wins over dark red, and the highlight of an edited cell is light cyan.
        {"edited mismatch, focused", screenWith(0x41, 0x42), [](ScreenModel& m) { m.setEdit(5, 0x43); m.setFocus(5); },
         "43", "C", Ink::Edited, Ground::Focus, true, 0x43},
        {"edited back to the file's byte", screenWith(0x41, 0x41), [](ScreenModel& m) { m.setEdit(5, 0x07); m.setEdit(5, 0x41); },
         "41", "A", Ink::Edited, Ground::Face, false, 0x41},
        {"a text kept as typed", screenWith(0x0F, 0x0F), [](ScreenModel& m) { m.keepText(5, "f"); }, "f", "\x0F", Ink::Plain, Ground::Face, false, -1},
        {"a kept text matching the byte is no text of its own", screenWith(0x0F, 0x0F), [](ScreenModel& m) { m.keepText(5, "f"); m.keepText(5, "0F"); },
         "0F", "\x0F", Ink::Plain, Ground::Face, false, -1},
        {"a text kept over an edit", screenWith(0x41, 0x41), [](ScreenModel& m) { m.setEdit(5, 0x07); m.keepText(5, "7"); },
         "7", "\a", Ink::Edited, Ground::Face, false, 0x07},
        {"DOS view", screenWith(0x80, -1, false, true), {}, "80", "А", Ink::Plain, Ground::Face, false, -1},
        {"Windows view", screenWith(0x80, -1, false, false), {}, "80", "Ђ", Ink::Plain, Ground::Face, false, -1},
        {"DOS view of an edit", screenWith(0x41, -1, false, true), [](ScreenModel& m) { m.setEdit(5, 0xAB); }, "AB", "л", Ink::Edited,
         Ground::Face, false, 0xAB},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScreenModel model;
        model.show(row.screen);
        if (row.steps) row.steps(model);
        EXPECT_EQ(model.text(5), row.text);
        EXPECT_EQ(model.hasCharacter(5) ? QString(model.character(5)) : QString(), row.character);
        EXPECT_EQ(model.ink(5), row.ink);
        EXPECT_EQ(model.ground(5), row.ground);
        EXPECT_EQ(model.characterFocused(5), row.characterLit);
        EXPECT_EQ(model.isEdited(5) ? model.value(5) : -1, row.written);
        // The cells around are untouched.
        EXPECT_TRUE(model.text(4).isEmpty() && !model.isEdited(6) && model.ground(4) == Ground::Face);
    }
}

// A new screen drops the edits and kept texts and keeps the focus; a screen whose reading
// stopped midway leaves the cells after the stop as they were.
TEST(ScreenModel, ANewScreenDropsTheEditsAndKeepsWhatItDoesNotDraw) {
    ScreenModel model;
    ScreenModel::Screen first;
    first.shown.fill(0x11);
    first.other.fill(0x22);
    first.marked = true;
    model.show(first);
    model.setEdit(1, 0x33);
    model.keepText(2, "1");
    model.setFocus(3);
    ScreenModel::Screen second;
    second.shown.fill(0x44);
    second.other.fill(0x44);
    second.cells = 3;
    second.marked = true;
    second.fileInView = 2;
    model.show(second);
    EXPECT_FALSE(model.isEdited(1) || model.hasKeptText(2));
    EXPECT_EQ(model.text(1) + model.text(2) + model.text(3), "444411");
    EXPECT_EQ(model.ink(2), Ink::Plain);
    EXPECT_EQ(model.ink(3), Ink::Mismatch) << "a cell not drawn again still compares its bytes";
    EXPECT_EQ(model.ground(3), Ground::FocusedMismatch);
    EXPECT_EQ(model.fileInView(), 2);
}

TEST(ScreenModel, ByteTextsAreTwoUpperCaseDigits) {
    EXPECT_EQ(ScreenModel::byteText(0x00) + ScreenModel::byteText(0x0A) + ScreenModel::byteText(0xAB) + ScreenModel::byteText(0xFF),
              "000AABFF");
}

}  // namespace
