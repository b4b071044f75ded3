// "Сохранить блок", "Загрузить из ..." and "Создать файл" as the user works them: what the
// dialogs show, their keys and refusals, and the bytes of the files afterwards.
#include "BlockTransferCommands.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpSave.h"

#include <QCloseEvent>
#include <QProgressBar>
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
    // Runs `command` and plays `steps` on its dialog while it is shown modally. Returns
    // whether it was still open afterwards; it is then cancelled so that the command returns.
    template <typename Dialog>
    bool play(const char* command, const std::function<void(Dialog&)>& steps) {
        bool ran = false, stillOpen = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            ran = true;
            QApplication::setActiveWindow(dialog);  // the offscreen platform leaves it with the owner
            steps(*dialog);
            stillOpen = dialog->isVisible();
            if (stillOpen) dialog->knCancel_Click();
        });
        trigger(command);
        EXPECT_TRUE(ran) << command << " showed no dialog";
        QApplication::setActiveWindow(window.get());
        return stillOpen;
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
    // The same by Enter, from the start field.
    static QString enterChain(QWidget* first, int count) {
        QStringList visited;
        first->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < count; ++i) {
            visited << focused();
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
        QString caption, texts, tabs, enters;
        int startLimit = 0;
    };
    auto look = [](BlockDialog& d, QLineEdit* end, QLineEdit* byte) {
        EXPECT_EQ(d.focusWidget(), d.bnSelect);
        EXPECT_FALSE(d.plPath->isEnabled());
        EXPECT_TRUE(d.knCancel->isEnabled());
        EXPECT_EQ(d.findChild<QProgressBar*>(QStringLiteral("conProgress"))->value(), 0);
        for (QWidget* control : d.findChildren<QWidget*>())
            if (control->parentWidget() == &d)
                EXPECT_TRUE(d.rect().contains(control->geometry())) << control->objectName().toStdString();
        QStringList texts{d.Label1->text(), d.plPath->text(), d.bnSelect->text(), d.lb1->text(), d.plAddresO->text()};
        if (end) texts << end->text();
        if (byte) texts << byte->text();
        texts << d.knOk->text() << d.knCancel->text();
        return Look{d.windowTitle(), texts.join(QLatin1Char('|')), tabChain(d.bnSelect, byte ? 6 : end ? 5 : 4),
                    enterChain(d.plAddresO, 4), d.plAddresO->maxLength()};
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
    EXPECT_EQ(save.startLimit, 7);
    EXPECT_EQ(load.startLimit, 7);
    EXPECT_TRUE(ui.messages.empty());
}

// Only the start field of save and load selects its text on entry; typing after a Tab into
// it replaces the "0".
TEST_F(BlockDialogs, OnlyTheStartFieldOfSaveAndLoadSelectsOnEntry) {
    openView(4096, true);
    auto entered = [](QLineEdit* field) {
        field->setFocus(Qt::TabFocusReason);
        const QString selected = field->selectedText();
        QTest::keyClicks(field, QStringLiteral("1"));
        return selected + QLatin1Char('>') + field->text();
    };
    play<frpSave>("mnuSave", [&](frpSave& d) {
        EXPECT_EQ(entered(d.plAddresO), QStringLiteral("0>1"));
        enter(d.plAddresT, QStringLiteral("FF"));
        d.plAddresO->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(entered(d.plAddresT), QStringLiteral(">FF1"));
    });
    play<frpLoad>("mnuLoad", [&](frpLoad& d) { EXPECT_EQ(entered(d.plAddresO), QStringLiteral("0>1")); });
    play<frpNew>("mnuNew", [&](frpNew& d) { EXPECT_EQ(entered(d.plAddresO), QStringLiteral(">10")); });
}

// "..." shows the save dialog (save, create) or the open dialog (load) with the block
// filters; a cancel leaves the path as it was; save and load then go to the start field.
TEST_F(BlockDialogs, TheFileButtonSetsThePathThroughTheFileDialog) {
    openView(4096, true);
    const QString chosen = dir.path(QStringLiteral("block.hex"));
    play<frpSave>("mnuSave", [&](frpSave& d) {
        QTest::mouseClick(d.bnSelect, Qt::LeftButton);  // cancelled
        EXPECT_TRUE(d.plPath->text().isEmpty());
        EXPECT_EQ(focused(), QStringLiteral("plAddresO"));
        choose(d, chosen);
        EXPECT_EQ(d.plPath->text(), chosen);
        QTest::mouseClick(d.bnSelect, Qt::LeftButton);
        EXPECT_EQ(d.plPath->text(), chosen);
    });
    ASSERT_EQ(ui.saveRequests.size(), 3u);
    EXPECT_EQ(ui.saveRequests[0].filter, kBlockFilter);
    EXPECT_EQ(ui.saveRequests[2].fileName, chosen);  // the dialog starts at the name it holds
    ui.clear();
    play<frpLoad>("mnuLoad", [&](frpLoad& d) {
        choose(d, chosen);
        EXPECT_EQ(d.plPath->text(), chosen);
        EXPECT_EQ(focused(), QStringLiteral("plAddresO"));
    });
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].filter, kBlockFilter);
    ui.clear();
    play<frpNew>("mnuNew", [&](frpNew& d) {
        choose(d, chosen);
        EXPECT_EQ(d.plPath->text(), chosen);
        EXPECT_EQ(focused(), QStringLiteral("bnSelect"));
    });
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, QStringLiteral("дамп (*.hex)|*.hex | двоичный (*.bin)|*.bin"));
    EXPECT_FALSE(QFile::exists(chosen));
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
    bool closes = false;
};

class OkChecks : public BlockDialogs, public ::testing::WithParamInterface<OkRow> {};

TEST_P(OkChecks, RefuseInTheirOrderOrTransfer) {
    const OkRow& row = GetParam();
    const QString inView = openView(4096, true);
    const QString chosen = dir.path(QStringLiteral("out.bin"));
    if (QByteArray(row.command) == "mnuLoad") dir.pattern(QStringLiteral("out.bin"), 16);
    const QByteArray viewBefore = TempDir::read(inView);
    auto steps = [&](BlockDialog& d, QLineEdit* end, QLineEdit* byte) {
        switch (row.target) {
        case Target::Chosen: choose(d, chosen); break;
        case Target::InView: choose(d, inView); break;
        case Target::InViewOtherName: choose(d, dir.path(QStringLiteral("./a.bin"))); break;
        case Target::None: break;
        }
        if (!row.start.isNull()) enter(d.plAddresO, row.start);
        if (end && !row.end.isNull()) enter(end, row.end);
        if (byte && !row.byte.isNull()) enter(byte, row.byte);
        QTest::mouseClick(d.knOk, Qt::LeftButton);
        if (d.isVisible()) EXPECT_EQ(focused(), row.focus);
    };
    bool open = true;
    if (QByteArray(row.command) == "mnuSave")
        open = play<frpSave>(row.command, [&](frpSave& d) { steps(d, d.plAddresT, nullptr); });
    else if (QByteArray(row.command) == "mnuLoad")
        open = play<frpLoad>(row.command, [&](frpLoad& d) { steps(d, nullptr, nullptr); });
    else
        open = play<frpNew>(row.command, [&](frpNew& d) { steps(d, d.plAddresT, d.plByt); });
    EXPECT_EQ(!open, row.closes);
    if (row.message.isEmpty())
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    else
        EXPECT_TRUE(shownOnce(QStringLiteral("Ошибка"), row.message, MessageIcon::Warning));
    if (!row.closes || row.message == kBeyondTarget) {
        EXPECT_EQ(TempDir::read(inView), viewBefore);
        if (QByteArray(row.command) != "mnuLoad") EXPECT_FALSE(QFile::exists(chosen));
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
        OkRow{"SaveTheWholeFile", "mnuSave", Target::Chosen, "0", "FFF", {}, {}, {}, true},
        OkRow{"LoadFromTheFileInView", "mnuLoad", Target::InViewOtherName, "0", {}, {}, kSame, "knOk"},
        OkRow{"LoadWithoutPath", "mnuLoad", Target::None, "0", {}, {}, kNoPath, "knOk"},
        OkRow{"LoadWithoutStart", "mnuLoad", Target::Chosen, "", {}, {}, {}, "plAddresO"},
        OkRow{"LoadPastTheEndClosesWritingNothing", "mnuLoad", Target::Chosen, "FF1", {}, {}, kBeyondTarget, {}, true},
        OkRow{"LoadAtTheEnd", "mnuLoad", Target::Chosen, "FF0", {}, {}, {}, {}, true},
        OkRow{"CreateWithoutPath", "mnuNew", Target::None, "0", "F", "1", kNoPath, "knOk"},
        OkRow{"CreateWithoutStart", "mnuNew", Target::Chosen, "", "F", "1", {}, "plAddresO"},
        OkRow{"CreateWithoutEnd", "mnuNew", Target::Chosen, "0", {}, "1", {}, "plAddresT"},
        OkRow{"CreateWithoutByte", "mnuNew", Target::Chosen, "0", "F", {}, {}, "plByt"},
        OkRow{"CreateOneByte", "mnuNew", Target::Chosen, "5", "5", "1", kStartAboveEnd, "knOk"},
        OkRow{"CreateAFile", "mnuNew", Target::Chosen, "10", "1F", "FF", {}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The transfers through the dialogs, and the window afterwards ----

TEST_F(BlockDialogs, SaveLoadAndCreateLeaveTheBytesAndTheScreen) {
    const QString inView = openView(0x300, true);
    const QByteArray view = TempDir::patternBytes(0x300);
    const QString block = dir.path(QStringLiteral("block"));  // no extension: written as named
    play<frpSave>("mnuSave", [&](frpSave& d) {
        choose(d, block);
        enter(d.plAddresO, QStringLiteral("1G"));  // reads as 1
        QTest::keyClick(d.plAddresO, Qt::Key_Return);
        QTest::keyClicks(d.plAddresT, QStringLiteral("110"));
        QTest::keyClick(d.plAddresT, Qt::Key_Return);
        QTest::keyClick(d.knOk, Qt::Key_Return);
    });
    EXPECT_EQ(TempDir::read(block), view.mid(1, 0x110));

    // A block over a longer file keeps its tail.
    const QByteArray longer(100, '\x77');
    const QString over = dir.write(QStringLiteral("over.bin"), longer);
    play<frpSave>("mnuSave", [&](frpSave& d) {
        choose(d, over);
        enter(d.plAddresT, QStringLiteral("2F"));
        enter(d.plAddresO, QStringLiteral("20"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    EXPECT_EQ(TempDir::read(over), view.mid(0x20, 16) + longer.mid(16));

    // Loading puts the bytes on the screen at once.
    const QByteArray source(16, '\xC3');
    const QString sourcePath = dir.write(QStringLiteral("src.bin"), source);
    play<frpLoad>("mnuLoad", [&](frpLoad& d) {
        choose(d, sourcePath);
        QTest::keyClicks(d.plAddresO, QStringLiteral("F0"));  // replaces the selected "0"
        QTest::keyClick(d.plAddresO, Qt::Key_Return);
        QTest::keyClick(d.knOk, Qt::Key_Return);
    });
    const QByteArray loaded = view.left(0xF0) + source + view.mid(0x100);
    EXPECT_EQ(TempDir::read(inView), loaded);
    EXPECT_TRUE(showsScreen(loaded, 0)) << ui.messageTexts().join(QLatin1Char('|')).toStdString();

    // Creating a file needs no file in view.
    trigger("mnuDelAll");
    const QString created = dir.path(QStringLiteral("new.bin"));
    play<frpNew>("mnuNew", [&](frpNew& d) {
        choose(d, created);
        for (auto [field, text] : {std::pair{d.plAddresO, "10"}, {d.plAddresT, "1F"}, {d.plByt, "ff"}}) {
            enter(field, QString::fromLatin1(text));
            QTest::keyClick(field, Qt::Key_Return);
        }
        QTest::keyClick(d.knOk, Qt::Key_Return);
    });
    EXPECT_EQ(TempDir::read(created), QByteArray(16, '\0') + QByteArray(16, '\xFF')); 
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
}

// A file written by save or create that is one of the loaded files (by any name) shows
// its new bytes at once.
TEST_F(BlockDialogs, WritingIntoALoadedFileRedrawsTheWindow) {
    const QString inView = openView(0x100);
    const QString other = dir.write(QStringLiteral("b.bin"), QByteArray(0x100, '\x11'));
    openB(other);
    view(1);
    ui.clear();
    play<frpSave>("mnuSave", [&](frpSave& d) {
        choose(d, dir.path(QStringLiteral("./b.bin")));
        enter(d.plAddresO, QStringLiteral("0"));
        enter(d.plAddresT, QStringLiteral("7"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    const QByteArray b = TempDir::patternBytes(8) + QByteArray(0xF8, '\x11');
    EXPECT_EQ(TempDir::read(other), b);
    view(2);
    EXPECT_TRUE(showsScreen(b, 0));
    play<frpNew>("mnuNew", [&](frpNew& d) {
        choose(d, other);
        enter(d.plAddresO, QStringLiteral("8"));
        enter(d.plAddresT, QStringLiteral("F"));
        enter(d.plByt, QStringLiteral("EE"));
        QTest::mouseClick(d.knOk, Qt::LeftButton);
    });
    const QByteArray filled = TempDir::patternBytes(8) + QByteArray(8, '\xEE') + QByteArray(0xF0, '\x11');
    EXPECT_EQ(TempDir::read(other), filled);
    EXPECT_TRUE(showsScreen(filled, 0));
    EXPECT_EQ(TempDir::read(inView), TempDir::patternBytes(0x100));
    EXPECT_TRUE(ui.messages.empty());
}

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
    });
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
        d.setPace({512, std::chrono::milliseconds(0)});
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

TEST_F(BlockDialogs, CancelEscapeAndTheCloseBoxChangeNothing) {
    const QString inView = openView(4096, true);
    const QString chosen = dir.path(QStringLiteral("never.bin"));
    for (const char* command : {"mnuSave", "mnuLoad", "mnuNew"}) {
        bool open = true;
        play<BlockDialog>(command, [&](BlockDialog& d) {
            choose(d, chosen);
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
}

}  // namespace
