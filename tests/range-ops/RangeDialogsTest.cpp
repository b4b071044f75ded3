// The four range dialogs as the user works them in the real window: typing, keys, what the
// window shows afterwards, and the bytes of the files, one byte beyond each end included.
#include <QProgressBar>
#include <QStyleOption>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "FileErrors.h"
#include "FileFaults.h"
#include "ProgressBarAdapter.h"
#include "MainWindowHarness.h"
#include "RangeCommands.h"
#include "RangeScanners.h"
#include "frpChSearch.h"
#include "frpFill.h"
#include "frpReplace.h"
#include "frpSearch.h"


namespace {

const QString kBeyondEnd = QStringLiteral("Адрес выходит за границу конца файла.");
const QString kNotFound = QStringLiteral("Указанное значение не найдено");
const QString kNoMismatch = QStringLiteral("В указанном диапазоне, несовпадений не обнаружено!");

class RangeDialogs : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installRangeCommands(*window);
    }
    void restartWithCommands() {
        restart();
        installRangeCommands(*window);
    }
    QString fileA(const QByteArray& bytes) { return dir.write(QStringLiteral("a.bin"), bytes); }
    QString fileB(const QByteArray& bytes) { return dir.write(QStringLiteral("b.bin"), bytes); }
    // File A in view, with writing allowed.
    void openWritable(const QByteArray& bytes) {
        openA(fileA(bytes));
        trigger("mnuEdit");
        ui.clear();
    }

    // Types into a field as the user would after moving to it; the field it leaves is left.
    static void type(RangeField* field, const QString& text) {
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    static void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static QString focusedName() {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // The window shows the screen of `address` with the focus on its cell.
    ::testing::AssertionResult shows(qint64 address) const {
        const qint64 start = address & ~qint64(255);
        const qint64 screen = window->view().intShowFile() == 1 ? window->screenStartOne() : window->screenStartTwo();
        if (screen == start && focusedCell() == int(address - start)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "screen " << screen << ", focused cell " << focusedCell();
    }
    void fillRange(const QString& start, const QString& end, const QString& byte) {
        play<frpFill>("mnuFill", [&](frpFill& d) {
            type(d.plAddresO, start);
            type(d.plAddresT, end);
            type(d.plByt, byte);
            press(d.knOk);
        });
    }
    void search(const QString& pattern, const QString& start = {}, const QString& end = {}) {
        play<frpSearch>("mnuSearch", [&](frpSearch& d) {
            if (!start.isNull()) type(d.plAddresO, start);
            if (!end.isNull()) type(d.plAddresT, end);
            type(d.plByt, pattern);
            press(d.knOk);
        });
    }
    // "Далее" (or OK) on the kept dialog, as it stands.
    template <typename Dialog>
    void next(const char* command) {
        play<Dialog>(command, [](Dialog& d) { QTest::keyClick(d.knOk, Qt::Key_Return); });
    }
    // The search dialog kept hidden for "Далее", or null when the next one starts afresh.
    template <typename Dialog>
    Dialog* kept() const {
        return window->findChild<Dialog*>();
    }
    template <typename Dialog>
    QString okCaption() const {
        Dialog* d = kept<Dialog>();
        return d ? d->knOk->text() : QStringLiteral("(fresh)");
    }
};

// Each dialog as it opens: caption, size from its layout, the default range of the file in
// view, and the control that has the focus.
TEST_F(RangeDialogs, OpenWithTheDefaultRangeAndTheFocusOnTheirFirstControl) {
    const struct {
        const char* command;
        const char* caption;
        QSize size;
        const char* focus;
    } rows[] = {
        {"mnuFill", "Заполнить", {225, 73}, "plAddresO"},
        {"mnuReplace", "Заменить", {225, 73}, "plAddresO"},
        {"mnuSearch", "Найти", {225, 89}, "plByt"},
        {"mnuChSearch", "Найти несовпадения", {225, 69}, "knOk"},
    };
    const struct {
        qint64 size;
        const char* end;
        int digits;
    } files[] = {{1, "0000000", 7}, {4096, "0000FFF", 7}, {0x10000001, "10000000", 8}};
    for (const auto& file : files) {
        restartWithCommands();
        openA(sparse(QStringLiteral("a.bin"), file.size));
        openB(sparse(QStringLiteral("b.bin"), file.size));
        trigger("mnuEdit");
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.command) + " " + file.end);
            play<RangeOpDialog>(row.command, [&](RangeOpDialog& d) {
                EXPECT_EQ(d.windowTitle(), QString::fromUtf8(row.caption));
                EXPECT_EQ(d.size(), row.size);
                EXPECT_EQ(d.plAddresO->text() + "|" + d.plAddresT->text() + "|" + d.knOk->text() + "|" + d.knCancel->text(),
                          QStringLiteral("0000000|%1|Ок|Отмена").arg(QString::fromLatin1(file.end)));
                EXPECT_EQ(d.plAddresT->maxLength(), file.digits);
                EXPECT_EQ(focusedName(), QString::fromLatin1(row.focus));
                if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                    EXPECT_EQ(field->selectedText(), field->text());
                }
                for (QWidget* control : d.findChildren<QWidget*>())
                    EXPECT_TRUE(d.rect().contains(control->geometry())) << control->objectName().toStdString();
                // The whole default text is selected on the first entry.
                d.plAddresT->setFocus(Qt::MouseFocusReason);
                EXPECT_EQ(d.plAddresT->selectedText(), QString::fromLatin1(file.end));
            });
        }
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
}

// Leaving a byte field of fill or replace puts back the byte it read; the search only
// upper-cases its pattern.
TEST_F(RangeDialogs, ByteFieldsShowTheByteTheyRead) {
    openWritable(QByteArray(16, '\0'));
    const struct {
        const char* typed;
        const char* fill;     // plByt of fill (2 characters at most)
        const char* replace;  // plBytD of replace (no limit)
        const char* search;
    } rows[] = {{"0a", "A", "A", "0A"}, {"ff", "FF", "FF", "FF"}, {"g", "0", "0", "G"}, {"1FF", "1F", "0", "1FF"},
                {" 7", "7", "7", " 7"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        const QString typed = QString::fromLatin1(row.typed);
        play<frpFill>("mnuFill", [&](frpFill& d) {
            type(d.plByt, typed);
            d.plAddresO->setFocus(Qt::TabFocusReason);
            EXPECT_EQ(d.plByt->text(), QString::fromLatin1(row.fill));
        });
        play<frpReplace>("mnuReplace", [&](frpReplace& d) {
            type(d.plBytD, typed);
            d.plAddresO->setFocus(Qt::TabFocusReason);
            EXPECT_EQ(d.plBytD->text(), QString::fromLatin1(row.replace));
        });
        play<frpSearch>("mnuSearch", [&](frpSearch& d) {
            type(d.plByt, typed);
            d.plAddresO->setFocus(Qt::TabFocusReason);
            EXPECT_EQ(d.plByt->text(), QString::fromLatin1(row.search));
        });
    }
}

// Enter walks the fields to OK, each step showing the focus as Tab does (a control the
// focus reached without its frame is marked "?"); Enter on OK runs it. Escape does nothing.
TEST_F(RangeDialogs, EnterLeadsThroughTheFieldsToOk) {
    openWritable(QByteArray(64, '\x33'));
    QByteArray b(64, '\x33');
    b[5] = 0;
    openB(fileB(b));
    const struct {
        const char* command;
        const char* chain;
    } rows[] = {{"mnuFill", "plAddresO plAddresT plByt knOk"},
                {"mnuReplace", "plAddresO plAddresT plByt plBytD knOk"},
                {"mnuChSearch", "plAddresO plAddresT knOk"},
                {"mnuSearch", "plAddresO plAddresT plByt knOk"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        play<RangeOpDialog>(row.command, [&](RangeOpDialog& d) {
            d.plAddresO->setFocus(Qt::MouseFocusReason);
            QStringList visited{focusedName()};
            while (focusedName() != QLatin1String("knOk")) {
                auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                ASSERT_NE(field, nullptr);
                if (field->text().isEmpty()) QTest::keyClicks(field, QStringLiteral("33"));
                QTest::keyClick(field, Qt::Key_Escape);
                QTest::keyClick(field, Qt::Key_Return);
                QStyleOption look;
                look.initFrom(QApplication::focusWidget());
                visited << focusedName() + (look.state & QStyle::State_KeyboardFocusChange ? "" : "?");
            }
            EXPECT_EQ(visited.join(' '), QString::fromLatin1(row.chain));
            EXPECT_TRUE(d.isVisible());
            QTest::keyClick(d.knOk, Qt::Key_Return);
            EXPECT_FALSE(d.isVisible());
        });
    }
    EXPECT_EQ(TempDir::read(dir.path("a.bin")), QByteArray(64, '\x33'));  // 33 filled, 33 replaced by 33
    EXPECT_TRUE(shows(0));
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
}

// The OK steps all four share: an empty field does nothing, a start above the end empties
// the end field, an end past the last byte is refused.
TEST_F(RangeDialogs, OkChecksTheRangeBeforeAnyByteIsTouched) {
    const QByteArray bytes(4096, '\x5A');
    openA(fileA(bytes));
    openB(fileB(bytes));
    trigger("mnuEdit");
    goTo(0x300);
    ui.clear();
    const char* commands[] = {"mnuFill", "mnuReplace", "mnuSearch", "mnuChSearch"};
    for (const char* command : commands) {
        SCOPED_TRACE(command);
        // Empty end field; then start above end.
        const bool stillOpen = play<RangeOpDialog>(command, [](RangeOpDialog& d) {
            for (auto* byteField : d.findChildren<RangeField*>(QRegularExpression(QStringLiteral("^plByt"))))
                type(byteField, QStringLiteral("5A"));
            type(d.plAddresT, QString());
            press(d.knOk);
            EXPECT_TRUE(d.isVisible());
            type(d.plAddresO, QStringLiteral("100"));
            type(d.plAddresT, QStringLiteral("50"));
            press(d.knOk);
            EXPECT_TRUE(d.plAddresT->text().isEmpty());
            EXPECT_EQ(focusedName(), QStringLiteral("plAddresT"));
        });
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(ui.messages.empty());
        // The last byte is in range, the next one is not.
        play<RangeOpDialog>(command, [](RangeOpDialog& d) {
            for (auto* byteField : d.findChildren<RangeField*>(QRegularExpression(QStringLiteral("^plByt"))))
                type(byteField, QStringLiteral("7"));
            type(d.plAddresT, QStringLiteral("1000"));
            type(d.plAddresO, QStringLiteral("10"));
            press(d.knOk);
        });
        EXPECT_TRUE(shownOnce("Ошибка", kBeyondEnd)) << command;
        ui.clear();
    }
    EXPECT_EQ(TempDir::read(dir.path("a.bin")), bytes);
}

// Rows of fill and replace: the range, the bytes, the file afterwards, and the window on
// the start of the range.
TEST_F(RangeDialogs, FillAndReplaceWriteExactlyTheRangeOfTheFileInView) {
    const QByteArray ramp = [] {
        QByteArray b(48, '\0');
        for (int i = 0; i < b.size(); ++i) b[i] = char(i % 2 ? 0xFF : 0x00);
        return b;
    }();
    const struct {
        const char* name;
        bool replace;
        bool fileBInView;
        QByteArray before;
        const char *start, *end, *byte, *newByte;
        QByteArray after;
        qint64 shown;
    } rows[] = {
        {"fill 10..1F with FF", false, false, QByteArray(48, '\x01'), "10", "1F", "FF", "",
         QByteArray(16, '\x01') + QByteArray(16, '\xFF') + QByteArray(16, '\x01'), 0x10},
        {"fill the only byte", false, false, QByteArray(1, '\x01'), "0", "0", "ee", "", QByteArray(1, '\xEE'), 0},
        {"fill to the last byte, typed as a", false, false, QByteArray(8, '\x01'), "5", "7", "a", "",
         QByteArray(5, '\x01') + QByteArray(3, '\x0A'), 5},
        {"fill file B in view", false, true, QByteArray(8, '\x01'), "2", "3", "0", "",
         QByteArray("\x01\x01\x00\x00\x01\x01\x01\x01", 8), 2},
        {"replace 00 by 11 over 0..3", true, false, ramp, "0", "3", "00", "11",
         QByteArray("\x11\xFF\x11\xFF", 4) + ramp.mid(4), 0},
        {"replace in file B in view", true, true, ramp, "0", "3", "0", "11",
         QByteArray("\x11\xFF\x11\xFF", 4) + ramp.mid(4), 0},
        {"replace ff typed in lower case; 100 writes 0", true, false, ramp, "1", "2E", "ff", "100",
         QByteArray(1, '\0') + QByteArray(46, '\0') + QByteArray(1, '\xFF'), 1},
        {"replace over one byte that does not match", true, false, ramp, "21", "21", "00", "11", ramp, 0x21},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restartWithCommands();
        for (const QString& path : {fileA(row.before), fileB(row.before)}) ageFile(path);  // a write shows in the date
        openA(dir.path("a.bin"));
        openB(dir.path("b.bin"));
        if (row.fileBInView) view(2);
        trigger("mnuEdit");
        ui.clear();
        const auto steps = [&](auto& d) {
            type(d.plAddresO, QString::fromLatin1(row.start));
            type(d.plAddresT, QString::fromLatin1(row.end));
            type(d.plByt, QString::fromLatin1(row.byte));
            if constexpr (std::is_same_v<std::decay_t<decltype(d)>, frpReplace>)
                type(d.plBytD, QString::fromLatin1(row.newByte));
            press(d.knOk);
        };
        const bool stillOpen = row.replace ? play<frpReplace>("mnuReplace", steps) : play<frpFill>("mnuFill", steps);
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(TempDir::read(dir.path(row.fileBInView ? "b.bin" : "a.bin")).toHex(), row.after.toHex());
        EXPECT_EQ(TempDir::read(dir.path(row.fileBInView ? "a.bin" : "b.bin")), row.before);
        EXPECT_TRUE(shows(row.shown));
        EXPECT_TRUE(showsScreen(row.after, 0));
        EXPECT_TRUE(showsStampOf(1, dir.path("a.bin")) && showsStampOf(2, dir.path("b.bin")));
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
    }
}

// Cancel, the title bar and Escape change nothing.
TEST_F(RangeDialogs, CancellingChangesNothing) {
    const QByteArray bytes(600, '\x22');
    openWritable(bytes);
    goTo(0x200);
    play<frpFill>("mnuFill", [](frpFill& d) {
        type(d.plByt, QStringLiteral("0"));
        QTest::keyClick(d.plByt, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible());
        d.knCancel->setFocus();
        QTest::keyClick(d.knCancel, Qt::Key_Return);
    });
    play<frpReplace>("mnuReplace", [](frpReplace& d) {
        type(d.plByt, QStringLiteral("22"));
        type(d.plBytD, QStringLiteral("0"));
        d.windowHandle()->close();
        EXPECT_TRUE(d.discarded());
    });
    EXPECT_EQ(TempDir::read(dir.path("a.bin")), bytes);
    EXPECT_EQ(window->screenStartOne(), 0x200);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RangeDialogs, ByteSearchShowsEachHitAndContinuesBehindIt) {
    const struct {
        const char* name;
        QByteArray bytes;
        const char *pattern, *start, *end;
        std::vector<qint64> hits;  // then "Указанное значение не найдено" (or the range ends)
        bool discardedAtLastHit;
    } rows[] = {
        {"one byte at the range's start", QByteArray("\x00\x0A\x0A", 3), "A", "1", nullptr, {1, 2}, true},
        {"a first byte that fails at the second", QByteArray(10, '\0') + QByteArray("\x0A\x0A\x0B", 3), "0a0b",
         nullptr, nullptr, {11}, true},
        {"hits never overlap; none past the end", QByteArray("\x0A\x0A\x0A", 3), "0A0A", nullptr, nullptr, {0}, false},
        {"the last byte starts no two-byte pattern", QByteArray("\x00\x00\x0A", 3), "0A00", nullptr, nullptr, {}, false},
        {"the pattern may run past the range", QByteArray("\x0A\x0B", 2), "0A0B", "0", "0", {0}, true},
        {"odd text takes a leading 0", QByteArray("\x00\x0A\xBC\xDE\x0A", 5), "ABCDE", nullptr, nullptr, {1}, false},
        {"not hexadecimal", QByteArray("\x00\x00", 2), "G1", nullptr, nullptr, {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restartWithCommands();
        openA(fileA(row.bytes));
        ui.clear();
        search(QString::fromLatin1(row.pattern), row.start ? QString::fromLatin1(row.start) : QString(),
               row.end ? QString::fromLatin1(row.end) : QString());
        for (size_t i = 0; i < row.hits.size(); ++i) {
            EXPECT_TRUE(shows(row.hits[i])) << "hit " << i;
            EXPECT_TRUE(ui.messages.empty());
            if (i + 1 < row.hits.size()) next<frpSearch>("mnuSearch");
        }
        if (row.hits.empty() || !row.discardedAtLastHit) {
            if (!row.hits.empty()) next<frpSearch>("mnuSearch");
            EXPECT_TRUE(shownOnce("Сообщение", kNotFound, MessageIcon::Information));
            if (!row.hits.empty()) {
                EXPECT_TRUE(shows(row.hits.back())) << "the window stays on the last hit";
            }
        }
        // Whatever ended the search, the next one starts afresh.
        EXPECT_EQ(kept<frpSearch>(), nullptr);
    }
}

TEST_F(RangeDialogs, ANewPatternOrAnotherDialogStartsTheSearchAfresh) {
    QByteArray bytes(0x300, '\0');
    bytes[0x10] = bytes[0x110] = bytes[0x210] = '\x7E';
    openWritable(bytes);
    search(QStringLiteral("7E"));
    EXPECT_TRUE(shows(0x10));
    play<frpSearch>("mnuSearch", [](frpSearch& d) {
        EXPECT_EQ(d.knOk->text(), QStringLiteral("Далее"));
        EXPECT_EQ(focusedName(), QStringLiteral("knOk")) << "shown as it was left";
        type(d.plByt, QStringLiteral("7e"));
        EXPECT_EQ(d.knOk->text(), QStringLiteral("Ок"));
        type(d.plAddresO, QStringLiteral("100"));
        press(d.knOk);
    });
    EXPECT_TRUE(shows(0x110));
    next<frpSearch>("mnuSearch");
    EXPECT_TRUE(shows(0x210));
    // Fill, the go-to dialog and "Закрыть Всё" each drop a kept search.
    const std::function<void()> droppers[] = {
        [&] { play<frpFill>("mnuFill", [](frpFill& d) { d.knCancel_Click(); }); },
        [&] {
            QTimer::singleShot(0, window.get(), [] { QApplication::activeModalWidget()->close(); });
            trigger("mnuNext");
        },
        [&] {
            trigger("mnuDelAll");
            openWritable(bytes);
        },
    };
    for (const auto& drop : droppers) {
        search(QStringLiteral("7E"));
        EXPECT_EQ(okCaption<frpSearch>(), QStringLiteral("Далее"));
        drop();
        EXPECT_EQ(kept<frpSearch>(), nullptr);
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
}

TEST_F(RangeDialogs, MismatchSearchVisitsEachDifferenceOnce) {
    const QByteArray base(32, '\x44');
    const struct {
        const char* name;
        QByteArray a, b;
        bool fileBInView;
        const char* end;
        std::vector<qint64> hits;
        bool message;  // "no mismatch" at the end
    } rows[] = {
        {"identical files", base, base, false, nullptr, {}, true},
        {"differences at 5 and 9", base, QByteArray(base).replace(5, 1, "\x01").replace(9, 1, "\x02"), false, nullptr,
         {5, 9}, false},
        {"nothing past the shorter file", QByteArray(10, '\x44'), QByteArray(10, '\x44') + QByteArray(10, '\x01'), true,
         "13", {}, true},
        {"a mismatch at the range's end", base, QByteArray(base).replace(31, 1, "\x01"), false, nullptr, {31}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restartWithCommands();
        openA(fileA(row.a));
        openB(fileB(row.b));
        if (row.fileBInView) view(2);
        ui.clear();
        // The focus starts on OK: Enter searches at once.
        play<frpChSearch>("mnuChSearch", [&](frpChSearch& d) {
            if (row.end) type(d.plAddresT, QString::fromLatin1(row.end));
            d.knOk->setFocus();
            QTest::keyClick(d.knOk, Qt::Key_Return);
        });
        for (size_t i = 0; i < row.hits.size(); ++i) {
            EXPECT_TRUE(shows(row.hits[i])) << "mismatch " << i;
            next<frpChSearch>("mnuChSearch");
        }
        if (row.message)
            EXPECT_TRUE(shownOnce("Сообщение", kNoMismatch, MessageIcon::Information));
        else
            EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join('|').toStdString();
        if (!row.hits.empty()) {
            EXPECT_TRUE(shows(row.hits.back()));
        }
    }
}

// Progress counts examined addresses (byte search) or equal pairs (mismatch search); the
// bar's range is set only while it stands at 0, so a continued search counts on.
TEST_F(RangeDialogs, TheProgressBarCountsOnAcrossContinuedSearches) {
    QByteArray a(0x40, '\0'), b(0x40, '\0');
    a[0x10] = a[0x30] = '\x7E';
    b[0] = '\x01';
    b[0x20] = '\x01';
    openA(fileA(a));
    openB(fileB(b));
    const auto bar = [](RangeOpDialog* d) {
        return d ? QStringLiteral("%1/%2").arg(d->conProgress->value()).arg(d->conProgress->maximum()) : QString();
    };
    QStringList seen;
    search(QStringLiteral("7E"));
    seen << bar(kept<frpSearch>());
    next<frpSearch>("mnuSearch");
    seen << bar(kept<frpSearch>());
    // A new pattern searches afresh from the start field, and so does the bar.
    search(QStringLiteral("7E"), QStringLiteral("20"));
    seen << bar(kept<frpSearch>());
    EXPECT_EQ(seen.join(' '), QStringLiteral("16/63 48/63 16/31"));
    seen.clear();
    // A mismatch at the start counts nothing: the bar stays at 0 and takes the next range.
    play<frpChSearch>("mnuChSearch", [](frpChSearch& d) { press(d.knOk); });
    seen << bar(kept<frpChSearch>());
    next<frpChSearch>("mnuChSearch");
    seen << bar(kept<frpChSearch>());
    EXPECT_EQ(seen.join(' '), QStringLiteral("0/63 14/62"));
}

// A file that fails part-way: one report, the loop stops, the pointer comes back, and no
// "not found" claims a search that did not finish.
TEST_F(RangeDialogs, AFailureIsReportedOnceAndEndsTheOperation) {
    const qint64 size = 3 * RangeScanners::kChunkBytes;
    openWritable(QByteArray(size, '\0'));
    openB(fileB(QByteArray(size, '\0')));
    view(1);
    ui.clear();
    {
        ScopedFileFault fault({FileLayer::Op::Read, 2, EIO});
        search(QStringLiteral("7E"));
    }
    // The byte search tells it in its own box: the program's name, no icon.
    EXPECT_TRUE(ui.messages.size() == 1u && ui.messages[0].title == "Bivex" && ui.messages[0].icon == MessageIcon::None &&
                ui.messages[0].text == FileErrors::description(FileErrors::DeviceIo))
        << ui.messageTexts().join('|').toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui.clear();
    {
        ScopedFileFault fault({FileLayer::Op::Read, 2, EIO});
        play<frpChSearch>("mnuChSearch", [](frpChSearch& d) { press(d.knOk); });
    }
    EXPECT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join('|').toStdString();
    ui.clear();
    {
        ScopedFileFault fault({FileLayer::Op::Write, 1, ENOSPC, 0, true});
        fillRange(QStringLiteral("0"), QString::number(size - 1, 16), QStringLiteral("11"));
    }
    EXPECT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join('|').toStdString();
    EXPECT_EQ(TempDir::read(dir.path("a.bin")), QByteArray(size, '\0'));
    EXPECT_TRUE(shows(0));
}

// The bar takes the loop's values at most once per interval and ends on the last one.
TEST(ProgressPacing, RepaintsAtASteadyPaceAndEndsOnTheLastValue) {
    QProgressBar bar;
    ProgressBarAdapter adapter(&bar);
    ProgressPacer::beginRun(adapter, 0, 999);
    EXPECT_EQ(adapter.maximum(), 999);
    {
        ProgressPacer pacer(adapter, &bar, 60'000);
        for (int v = 1; v < 1000; ++v) pacer.show(v);
        EXPECT_EQ(adapter.value(), 0) << "a whole interval has not passed";
    }
    EXPECT_EQ(adapter.value(), 999);
    // A bar that stands above 0 keeps its range: a continued search counts on.
    ProgressPacer::beginRun(adapter, 500, 600);
    EXPECT_EQ(adapter.maximum(), 999);
}

}  // namespace
