// "Сохранить блок", "Загрузить из ..." and "Создать файл" as the user works them: what the
// dialogs show, their keys and refusals, and the bytes of the files afterwards.
#include "BlockTransferCommands.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpSave.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QStyleOption>
#include <QTimer>

#include <functional>

#include "MainWindowHarness.h"

namespace {

const QString kSame = QStringLiteral("Файл источник и файл приёмник совпадают.");
const QString kNoPath = QStringLiteral("Не указан путь к файлу.");
const QString kStartAboveEnd = QStringLiteral("Начальный адрес больше конечного.");
const QString kBeyondSource = QStringLiteral("Конечный адрес блока превышает конец файла-источника.");
const QString kBeyondTarget = QStringLiteral("Конечный адрес блока превышает конец файла-приёмника.");
const QString kBlockFilter = QStringLiteral("дамп (*.hex)|*.hex|двоичный (*.bin)|*.bin");

class BlockDialogs : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installBlockTransferCommands(*window);
    }
    // File A of `size` pattern bytes in view (with write permission for the load).
    QString openView(qint64 size, bool writable = false) {
        const QString path = dir.pattern(QStringLiteral("a.bin"), size);
        openA(path);
        if (writable) trigger("mnuEdit");
        ui.clear();
        return path;
    }
    // Replaces the text of a field as the user would: entering it, selecting all, typing.
    static void enter(QLineEdit* field, const QString& text) {
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, text);
    }
    // Chooses `path` with "..." (in the open dialog for a load, else the save dialog).
    void choose(BlockDialog& d, const QString& path) {
        if (qobject_cast<frpLoad*>(&d))
            ui.answerNextOpen(path);
        else
            ui.answerNextSave(path);
        QTest::mouseClick(d.bnSelect, Qt::LeftButton);
    }
    static QString focused() {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // The controls the focus visits from `first` by Tab, up to `count` of them.
    static QString tabChain(QWidget* first, int count) {
        QStringList visited;
        first->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < count; ++i) {
            visited << focused();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return visited.join(QLatin1Char(' '));
    }
    // The same by Enter, from the start field; a control Enter reached without the focus
    // frame Tab would show is marked "?".
    static QString enterChain(QWidget* first, int count) {
        QStringList visited;
        first->setFocus(Qt::MouseFocusReason);
        for (int i = 0; i < count; ++i) {
            QStyleOption look;
            look.initFrom(QApplication::focusWidget());
            visited << focused() + (i == 0 || look.state & QStyle::State_KeyboardFocusChange ? "" : "?");
            QWidget* at = QApplication::focusWidget();
            if (at->objectName() == QLatin1String("knOk")) break;
            QTest::keyClick(at, Qt::Key_Return);
        }
        return visited.join(QLatin1Char(' '));
    }
};

// ---- What each dialog shows when it opens ----

TEST_F(BlockDialogs, OpenWithTheirCaptionsFieldsAndFocusOnTheFileButton) {
    openView(4096, true);
    struct Look {
        QString caption, texts, tabs, enters, entered;
        int startLimit = 0;
    };
    // What is selected when the start field is entered by Tab, and its text after a "1".
    auto entered = [](QLineEdit* field) {
        field->setFocus(Qt::TabFocusReason);
        const QString selected = field->selectedText();
        QTest::keyClicks(field, QStringLiteral("1"));
        return selected + QLatin1Char('>') + field->text();
    };
    auto look = [&](BlockDialog& d, QLineEdit* end, QLineEdit* byte) {
        EXPECT_EQ(d.focusWidget(), d.bnSelect);
        EXPECT_FALSE(d.plPath->isEnabled());
        EXPECT_TRUE(d.knCancel->isEnabled());
        EXPECT_EQ(d.findChild<QProgressBar*>(QStringLiteral("conProgress"))->value(), 0);
        for (QWidget* control : d.findChildren<QWidget*>())
            if (control->parentWidget() == &d) {
                EXPECT_TRUE(d.rect().contains(control->geometry())) << control->objectName().toStdString();
            }
        QStringList texts{d.Label1->text(), d.plPath->text(), d.bnSelect->text(), d.lb1->text(), d.plAddresO->text()};
        if (end) texts << end->text();
        if (byte) texts << byte->text();
        texts << d.knOk->text() << d.knCancel->text();
        const QString firstEntry = entered(d.plAddresO);
        // Enter before Tab: once Tab has moved the focus, Qt frames it for the window's life.
        const QString enters = enterChain(d.plAddresO, 4);
        return Look{d.windowTitle(), texts.join(QLatin1Char('|')), tabChain(d.bnSelect, byte ? 6 : end ? 5 : 4),
                    enters, firstEntry, d.plAddresO->maxLength()};
    };
    Look save, load, create;
    play<frpSave>("mnuSave", [&](frpSave& d) { save = look(d, d.plAddresT, nullptr); });
    play<frpLoad>("mnuLoad", [&](frpLoad& d) { load = look(d, nullptr, nullptr); });
    play<frpNew>("mnuNew", [&](frpNew& d) {
        create = look(d, d.plAddresT, d.plByt);
        EXPECT_EQ(d.plByt->maxLength(), 2);
    });
    EXPECT_EQ(save.caption, QStringLiteral("Сохранить из 'a.bin'"));
    EXPECT_EQ(load.caption, QStringLiteral("Загрузить в 'a.bin'"));
    EXPECT_EQ(create.caption, QStringLiteral("Создать"));
    EXPECT_EQ(save.texts, QStringLiteral("Путь:||...|Начало:|0||Ок|Отмена"));
    EXPECT_EQ(load.texts, QStringLiteral("Путь:||...|Начало:|0|Ок|Отмена"));
    EXPECT_EQ(create.texts, QStringLiteral("Путь:||...|Начало:|0|||Ок|Отмена"));
    EXPECT_EQ(save.tabs, QStringLiteral("bnSelect plAddresO plAddresT knOk knCancel"));
    EXPECT_EQ(load.tabs, QStringLiteral("bnSelect plAddresO knOk knCancel"));
    EXPECT_EQ(create.tabs, QStringLiteral("bnSelect plAddresO plAddresT plByt knOk knCancel"));
    EXPECT_EQ(save.enters, QStringLiteral("plAddresO plAddresT knOk"));
    EXPECT_EQ(load.enters, QStringLiteral("plAddresO knOk"));
    EXPECT_EQ(create.enters, QStringLiteral("plAddresO plAddresT plByt knOk"));
    EXPECT_EQ(save.entered + load.entered + create.entered, QStringLiteral("0>1") + "0>1" + ">10");
    EXPECT_EQ(save.startLimit, 7);
    EXPECT_EQ(load.startLimit, 7);
    EXPECT_TRUE(ui.messages.empty());
}

// ---- OK: the checks in their order, then the transfer ----

enum class Target { Chosen, InView, InViewOtherName, None };

struct OkRow {
    const char* name;
    const char* command;
    Target target;
    QString start, end, byte;  // a null string leaves the field as it opened
    QString message;           // with the warning icon and "Ошибка"; empty: none
    QString focus;             // where the focus is after OK
    // The file written (the block file, or the file in view for a load) after OK; none:
    // the dialog stays open, or closes, with nothing written.
    QByteArray (*written)() = nullptr;
    bool closes = false;
};

QByteArray view4096() { return TempDir::patternBytes(4096); }

class OkChecks : public BlockDialogs, public ::testing::WithParamInterface<OkRow> {};

TEST_P(OkChecks, RefuseInTheirOrderOrTransfer) {
    const OkRow& row = GetParam();
    const QString inView = openView(4096, true);
    const QString chosen = dir.path(QStringLiteral("out.bin"));
    const bool load = QByteArray(row.command) == "mnuLoad", create = QByteArray(row.command) == "mnuNew";
    if (load) dir.pattern(QStringLiteral("out.bin"), 16);
    const QByteArray viewBefore = TempDir::read(inView);
    auto steps = [&](BlockDialog& d, QLineEdit* end, QLineEdit* byte) {
        const QString names[] = {chosen, inView, dir.path(QStringLiteral("./a.bin"))};
        if (row.target != Target::None) {
            choose(d, names[int(row.target)]);
            // "..." goes on to the start field; create stays on "...".
            EXPECT_EQ(focused(), create ? "bnSelect" : "plAddresO");
        }
        if (!row.start.isNull()) enter(d.plAddresO, row.start);
        if (end && !row.end.isNull()) enter(end, row.end);
        if (byte && !row.byte.isNull()) enter(byte, row.byte);
        QTest::mouseClick(d.knOk, Qt::LeftButton);
        if (d.isVisible()) {
            EXPECT_EQ(focused(), row.focus);
        }
    };
    bool open = true;
    if (load)
        open = play<frpLoad>(row.command, [&](frpLoad& d) { steps(d, nullptr, nullptr); });
    else if (create)
        open = play<frpNew>(row.command, [&](frpNew& d) { steps(d, d.plAddresT, d.plByt); });
    else
        open = play<frpSave>(row.command, [&](frpSave& d) { steps(d, d.plAddresT, nullptr); });
    EXPECT_EQ(!open, row.closes || row.written);
    if (row.message.isEmpty()) {
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    } else {
        EXPECT_TRUE(shownOnce(QStringLiteral("Ошибка"), row.message, MessageIcon::Warning));
    }
    if (row.written) {
        EXPECT_EQ(TempDir::read(load ? inView : chosen), row.written());
    } else if (!load) {
        EXPECT_FALSE(QFile::exists(chosen));
    }
    if (!load || !row.written) {
        EXPECT_EQ(TempDir::read(inView), viewBefore);
    }
    // The file dialogs with their filters: the save dialog for save and create, the open
    // dialog for load.
    if (row.target != Target::None) {
        const auto& requests = load ? ui.openRequests : ui.saveRequests;
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].filter, (create ? QStringLiteral("дамп (*.hex)|*.hex | двоичный (*.bin)|*.bin") : kBlockFilter) +
                                          QStringLiteral("|Все файлы (*)|*"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OkChecks,
    ::testing::Values(
        OkRow{"SaveIntoTheFileInView", "mnuSave", Target::InView, "0", "F", {}, kSame, "knOk"},
        OkRow{"SaveIntoTheFileInViewByAnotherName", "mnuSave", Target::InViewOtherName, "0", "F", {}, kSame, "knOk"},
        OkRow{"SaveWithoutPath", "mnuSave", Target::None, "0", "F", {}, kNoPath, "knOk"},
        OkRow{"SaveWithoutStart", "mnuSave", Target::Chosen, "", "F", {}, {}, "plAddresO"},
        OkRow{"SaveWithoutEnd", "mnuSave", Target::Chosen, "0", {}, {}, {}, "plAddresT"},
        OkRow{"SaveOneByte", "mnuSave", Target::Chosen, "10", "10", {}, kStartAboveEnd, "plAddresO"},
        OkRow{"SavePastTheEnd", "mnuSave", Target::Chosen, "0", "1000", {}, kBeyondSource, "plAddresT"},
        OkRow{"SaveTwoBytesFromAStartReadUpToItsFirstNonDigit", "mnuSave", Target::Chosen, "1G", "2", {}, {}, {},
              [] { return view4096().mid(1, 2); }},
        OkRow{"SaveTheWholeFile", "mnuSave", Target::Chosen, "0", "FFF", {}, {}, {}, &view4096},
        OkRow{"LoadFromTheFileInView", "mnuLoad", Target::InViewOtherName, "0", {}, {}, kSame, "knOk"},
        OkRow{"LoadWithoutPath", "mnuLoad", Target::None, "0", {}, {}, kNoPath, "knOk"},
        OkRow{"LoadWithoutStart", "mnuLoad", Target::Chosen, "", {}, {}, {}, "plAddresO"},
        OkRow{"LoadPastTheEndClosesWritingNothing", "mnuLoad", Target::Chosen, "FF1", {}, {}, kBeyondTarget, {},
              nullptr, true},
        OkRow{"LoadAtTheEnd", "mnuLoad", Target::Chosen, "FF0", {}, {}, {}, {},
              [] { return view4096().replace(0xFF0, 16, TempDir::patternBytes(16)); }},
        OkRow{"CreateWithoutPath", "mnuNew", Target::None, "0", "F", "1", kNoPath, "knOk"},
        OkRow{"CreateWithoutStart", "mnuNew", Target::Chosen, "", "F", "1", {}, "plAddresO"},
        OkRow{"CreateWithoutEnd", "mnuNew", Target::Chosen, "0", {}, "1", {}, "plAddresT"},
        OkRow{"CreateWithoutByte", "mnuNew", Target::Chosen, "0", "F", {}, {}, "plByt"},
        OkRow{"CreateOneByte", "mnuNew", Target::Chosen, "5", "5", "1", kStartAboveEnd, "knOk"},
        OkRow{"CreateAFile", "mnuNew", Target::Chosen, "10", "1F", "FF", {}, {},
              [] { return QByteArray(16, '\0') + QByteArray(16, '\xFF'); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The window and the files afterwards ----

// A load shows its bytes at once; so does a file filled into the file in view under
// another of its names, with its new length. The other loaded file can be the source of a
// load.
TEST_F(BlockDialogs, WritingIntoTheFileInViewRedrawsTheWindow) {
    const QString inView = openView(0x100, true);
    ageFile(inView);  // so that each write shows in the date labels
    trigger("mnuRefresh");
    const QString other = dir.write(QStringLiteral("b.bin"), QByteArray(0x100, '\x11'));
    ageFile(other);
    openB(other);
    view(1);
    ui.clear();
    play<frpLoad>("mnuLoad", [&](frpLoad& d) {
        choose(d, dir.path(QStringLiteral("b.bin")));
        enter(d.plAddresO, QStringLiteral("0"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    EXPECT_TRUE(showsScreen(QByteArray(0x100, '\x11'), 0));
    EXPECT_TRUE(showsStampOf(1, inView));
    play<frpNew>("mnuNew", [&](frpNew& d) {
        choose(d, dir.path(QStringLiteral("./a.bin")));
        enter(d.plAddresO, QStringLiteral("F8"));
        enter(d.plAddresT, QStringLiteral("107"));
        enter(d.plByt, QStringLiteral("EE"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    const QByteArray filled = QByteArray(0xF8, '\x11') + QByteArray(16, '\xEE');
    EXPECT_EQ(TempDir::read(inView), filled);
    EXPECT_TRUE(showsScreen(filled, 0));
    goTo(0x100);  // the file has grown, and the window knows it
    EXPECT_TRUE(showsScreen(filled, 0x100));
    EXPECT_TRUE(showsStampOf(1, inView));
    play<frpNew>("mnuNew", [&](frpNew& d) {  // into the other loaded file
        choose(d, other);
        enter(d.plAddresO, QStringLiteral("0"));
        enter(d.plAddresT, QStringLiteral("1FF"));
        enter(d.plByt, QStringLiteral("22"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    EXPECT_EQ(TempDir::read(other), QByteArray(0x200, '\x22'));
    EXPECT_TRUE(showsStampOf(2, other));
    EXPECT_TRUE(ui.messages.empty());
}

// With no file loaded (as at start-up), the byte field of "Создать файл" shows its value at
// every change, and the file is created.
TEST_F(BlockDialogs, TheByteFieldOfCreateShowsItsValueAtEveryChange) {
    struct Row {
        QString typed, shown;
    } rows[] = {{"0a", "A"}, {"g", "0"}, {"zz", "0"}, {"41", "41"}, {"7", "7"}};
    play<frpNew>("mnuNew", [&](frpNew& d) {
        EXPECT_TRUE(d.plByt->text().isEmpty());
        for (const Row& row : rows) {
            enter(d.plByt, row.typed);
            EXPECT_EQ(d.plByt->text(), row.shown) << row.typed.toStdString();
        }
        QTest::keyClick(d.plByt, Qt::Key_Backspace);
        EXPECT_EQ(d.plByt->text(), QStringLiteral("0"));  // never empty once typed into
        QTest::keyClicks(d.plByt, QStringLiteral("5"));
        EXPECT_EQ(d.plByt->text(), QStringLiteral("5"));
        choose(d, dir.path(QStringLiteral("new")));
        enter(d.plAddresT, QStringLiteral("2"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    EXPECT_EQ(TempDir::read(dir.path(QStringLiteral("new"))), QByteArray(3, '\x05'));
}

// While a transfer runs the window repaints and takes input, but OK does nothing, Отмена
// is disabled and the dialog cannot be closed; afterwards the dialog closes itself.
TEST_F(BlockDialogs, ARunningTransferCannotBeCancelledOrClosed) {
    openView(4096);
    const QString target = dir.path(QStringLiteral("slow.bin"));
    int looked = 0;
    double barValue = 0;
    bool cancelEnabled = true, closed = true;
    play<frpSave>("mnuSave", [&](frpSave& d) {
        choose(d, target);
        enter(d.plAddresT, QStringLiteral("FFF"));
        d.setPace({512, 512, std::chrono::milliseconds(0)});
        QTimer::singleShot(0, &d, [&] {
            ++looked;
            cancelEnabled = d.knCancel->isEnabled();
            barValue = d.conProgress->value();
            QTest::mouseClick(d.knOk, Qt::LeftButton);
            QCloseEvent close;
            QApplication::sendEvent(&d, &close);
            closed = !d.isVisible();
        });
        QTest::mouseClick(d.knOk, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(d.knCancel->isEnabled());
        EXPECT_EQ(d.conProgress->value(), 0);
    });
    EXPECT_EQ(looked, 1);
    EXPECT_FALSE(cancelEnabled);
    EXPECT_FALSE(closed);
    EXPECT_EQ(barValue, 257);
    EXPECT_EQ(TempDir::read(target), TempDir::patternBytes(4096));
    EXPECT_TRUE(ui.messages.empty());
}

// Отмена, Escape (ignored) and the close box end a dialog with nothing written; the next
// opening starts afresh.
TEST_F(BlockDialogs, CancelEscapeAndTheCloseBoxChangeNothing) {
    const QString inView = openView(4096, true);
    const QString chosen = dir.path(QStringLiteral("never.bin"));
    for (const char* command : {"mnuSave", "mnuLoad", "mnuNew"}) {
        bool open = true;
        play<BlockDialog>(command, [&](BlockDialog& d) {
            // A cancelled file dialog leaves the path as it was, empty or chosen.
            QTest::mouseClick(d.bnSelect, Qt::LeftButton);
            EXPECT_TRUE(d.plPath->text().isEmpty());
            choose(d, chosen);
            QTest::mouseClick(d.bnSelect, Qt::LeftButton);
            EXPECT_EQ(d.plPath->text(), chosen);
            enter(d.plAddresO, QStringLiteral("1"));
            QTest::keyClick(d.plAddresO, Qt::Key_Escape);
            d.knCancel->setFocus();
            QTest::keyClick(d.knCancel, Qt::Key_Escape);
            EXPECT_TRUE(d.isVisible());
            d.close();
            open = d.isVisible();
        });
        EXPECT_FALSE(open) << command;
        play<BlockDialog>(command, [&](BlockDialog& d) {
            EXPECT_TRUE(d.plPath->text().isEmpty()) << "each opening starts afresh";
            QTest::keyClick(d.knCancel, Qt::Key_Return);
            open = d.isVisible();
        });
        EXPECT_FALSE(open) << command;
    }
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_EQ(TempDir::read(inView), TempDir::patternBytes(4096));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.saveRequests.size(), 6u);
    EXPECT_EQ(ui.saveRequests[2].fileName, chosen);  // the dialog starts at the name it holds
}

}  // namespace
