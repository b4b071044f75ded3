// Opening and closing files: the controls each state offers, the labels, shortcuts and the
// refusals the user meets on the way.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QProgressBar>
#include <QSignalSpy>
#include <QUrl>

#include <functional>
#include <optional>

#include "FileFaults.h"
#include "MainWindowHarness.h"

namespace {

const std::string kFileA = names(
    "mnuNew mnuLoadFileA mnuLoadFileB mnuSave mnuSaveList mnuSaveBlock mnuSaveFile mnuDelAll mnuExit "
    "mnuRefresh mnuNext mnuSearch mnuEdit mnuDOS mnuHelp mnuAbout knUp knDown knNextScreen mnuValues");
const std::string kFilesAB = names(QString::fromStdString(kFileA) +
                                   " mnuSaveNoByt mnuDelFileB mnuChSearch mnuSynchro knViweOne knViweTwo"
                                   " mnuMismatchList mnuChangeList mnuNextMismatch mnuPreviousMismatch mnuOtherFile"
                                   " mnuNextChange mnuPreviousChange mnuSynchroShift mnuSavePatch mnuAligned");
std::string plus(const std::string& base, const char* more) { return names(QString::fromStdString(base) + ' ' + more); }

using FileStates = MainWindowTest;

TEST_F(FileStates, EachStateOffersItsControls) {
    const QString a = dir.path(QStringLiteral("a.bin"));
    const QString b = dir.pattern(QStringLiteral("b.bin"), 600);
    const QString ro = dir.pattern(QStringLiteral("ro.bin"), 600);
    TempDir::makeReadOnly(ro);
    auto two = [&] { openA(a); openB(b); };
    auto pending = [&](bool twoFiles) {
        twoFiles ? two() : openA(a);
        trigger("mnuEdit");
        editCell(0, QStringLiteral("7"));
        editCell(1, QStringLiteral("8"));
        ASSERT_TRUE(window->changesPending());
    };
    // Closing B leaves A in view where it was, drawn without comparison.
    auto closeB = [&] {
        openA(a);
        openB(dir.write(QStringLiteral("zero.bin"), QByteArray(600, '\0')));
        trigger("mnuSynchro");
        pressKey(Qt::Key_PageDown);
        view(2);
        trigger("mnuDelFileB");
        EXPECT_FALSE(isChecked("mnuSynchro") || !child<QRadioButton>("knViweOne")->isChecked());
        EXPECT_EQ(labels({"lbFileTwo", "lbSizeTwo", "lbDateTime2", "lbInfo2", "lbStatusBarText"}),
                  QStringLiteral("Не загружен|0 byte|||2 из 3"));
        EXPECT_TRUE(showsScreen(TempDir::patternBytes(600), 256));
        EXPECT_EQ(cellsIn(GridColors::black()).size(), 256u);
        openB(b);  // B opens again, and closes again
        trigger("mnuDelFileB");
    };
    const struct {
        const char* what;
        std::function<void()> make;
        std::string enabled;
    } rows[] = {
        {"start-up", [] {}, names("mnuNew mnuLoadFileA mnuExit mnuDOS mnuHelp mnuAbout")},
        {"file A", [&] { openA(a); }, kFileA},
        {"read-only file A", [&] { openA(ro); }, names(QString::fromStdString(kFileA).remove("mnuEdit"))},
        {"files A and B", two, kFilesAB},
        {"both from the command line", [&] { window->openFromCommandLine({a, b}); }, kFilesAB},
        {"write permission", [&] { two(); trigger("mnuEdit"); }, plus(kFilesAB, "mnuLoad mnuReplace mnuFill")},
        {"edits pending", [&] { pending(true); },
         names("mnuNew mnuLoad mnuSave mnuDelFileB mnuDelAll mnuExit mnuRec mnuCanscel mnuHelp mnuAbout knRecord mnuValues")},
        // Replace and fill wait until the permission is switched off and on again.
        {"recorded, one file", [&] { pending(false); button("knRecord")->click(); }, plus(kFileA, "mnuLoad")},
        {"cancelled, one file", [&] { pending(false); trigger("mnuCanscel"); }, plus(kFileA, "mnuLoad")},
        {"recorded, two files", [&] { pending(true); trigger("mnuRec"); }, plus(kFilesAB, "mnuLoad")},
        {"cancelled, two files", [&] { pending(true); trigger("mnuCanscel"); }, plus(kFilesAB, "mnuLoad")},
        {"file B closed", [&] { closeB(); }, kFileA},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        dir.pattern(QStringLiteral("a.bin"), 600);  // as before the last row recorded into it
        row.make();
        EXPECT_EQ(enabledControls(), row.enabled);
        EXPECT_TRUE(ui.messages.empty());
    }
}

// A focused cell is a line edit, which would take Ctrl+A, Ctrl+C and Shift+Del for itself.
TEST_F(FileStates, ShortcutsWinOverTheFocusedCellAndOpenSlotsAreRefused) {
    QStringList shortcuts;
    for (QAction* a : window->findChildren<QAction*>())
        if (!a->shortcut().isEmpty()) shortcuts << a->objectName() + '=' + a->shortcut().toString();
    shortcuts.sort();
    EXPECT_EQ(shortcuts.join(' ').toStdString(),
              "mnuAbout=F2 mnuAligned=Ctrl+J mnuChSearch=Ctrl+C mnuChangeList=Ctrl+K mnuDelAll=Ctrl+D mnuDelFileB=Shift+Del mnuExit=Ctrl+E mnuHelp=F1 "
              "mnuLoadFileA=Ctrl+A mnuLoadFileB=Ctrl+B mnuMismatchList=Ctrl+L mnuNext=Ctrl+G mnuNextChange=Ctrl+F6 "
              "mnuNextMismatch=F6 mnuOtherFile=F4 mnuPreviousChange=Ctrl+Shift+F6 mnuPreviousMismatch=Shift+F6 "
              "mnuRefresh=Ctrl+R mnuSearch=Ctrl+S mnuValues=Ctrl+I");

    const QString a = dir.pattern(QStringLiteral("a.bin"), 300);
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);
    focusCell(0);
    ui.answerNextOpen(b);
    pressKey(Qt::Key_B, Qt::ControlModifier);  // disabled without file A: nothing is asked
    EXPECT_TRUE(ui.openRequests.empty());
    ui.clear();
    openA(a);
    focusCell(5);
    QSignalSpy search(action("mnuChSearch"), &QAction::triggered);
    pressKey(Qt::Key_C, Qt::ControlModifier);  // needs two files
    EXPECT_EQ(search.count(), 0);
    ui.clear();
    pressKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(shownOnce(QStringLiteral("Сообщение"), QStringLiteral("Файл \u0410 уже открыт."), MessageIcon::Warning));
    ui.answerNextOpen(b);
    pressKey(Qt::Key_B, Qt::ControlModifier);
    ui.clear();
    pressKey(Qt::Key_B, Qt::ControlModifier);  // Latin B, unlike the Cyrillic А above
    EXPECT_TRUE(shownOnce(QStringLiteral("Сообщение"), QStringLiteral("Файл B уже открыт."), MessageIcon::Warning));
    EXPECT_TRUE(ui.openRequests.empty());
    EXPECT_EQ(labels({"lbFileOne", "lbFileTwo"}), a + '|' + b);
    focusCell(5);
    pressKey(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(window->loadedFileCount(), 1);
    EXPECT_EQ(cellText(5), QStringLiteral("26"));
    QSignalSpy exit(window.get(), &fCompBynF::exitRequested);
    focusCell(5);
    pressKey(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(exit.count(), 1);
}

TEST_F(FileStates, CancelledDialogsEmptyFilesAndNamesThatAreNoFileOpenNothing) {
    QDir(dir.path(QString())).mkdir(QStringLiteral("folder"));
    const QString missing = dir.path(QStringLiteral("missing.bin"));
    const QString folder = dir.path(QStringLiteral("folder"));
    const QString empty = dir.write(QStringLiteral("empty.bin"), QByteArray());
    const QString emptyText = QStringLiteral("Файл пустой и не содержит ни одного байта данных.");
    const struct {
        const char* what;
        QString path;  // null: the open dialog is cancelled
        int how;       // 1 as file A, 2 as file B, 0 from the command line
        QString title;  // of the one message, if any
        QString text;   // the message, or the part naming the file
        bool unreadable = false;  // the file exists but may not be read
    } rows[] = {
        {"cancelled as file A", QString(), 1, QString(), QString()},
        {"cancelled as file B", QString(), 2, QString(), QString()},
        {"empty file A", empty, 1, "Bivex", emptyText},
        {"empty file B", empty, 2, "Bivex", emptyText},
        {"missing file A", missing, 1, "Ошибка", missing},
        {"missing file B", missing, 2, "Ошибка", missing},
        {"folder as file A", folder, 1, "Ошибка", folder},
        {"folder as file B", folder, 2, "Ошибка", folder},
        {"unreadable file A", empty, 1, "Ошибка", "не удаётся прочитать", true},
        {"unreadable file B", empty, 2, "Ошибка", "не удаётся прочитать", true},
        {"missing on the command line", missing, 0, "Ошибка", missing},
        {"folder on the command line", folder, 0, "Ошибка", folder},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        if (row.how == 2) {
            openA(dir.pattern(QStringLiteral("a.bin"), 600));
            pressKey(Qt::Key_PageDown);
        }
        ui.clear();
        {
            std::optional<ScopedFileFault> refused;
            if (row.unreadable) refused.emplace(FileLayer::Fault{FileLayer::Op::Open, 1, EACCES});
            row.how == 0 ? window->openFromCommandLine({row.path}) : row.how == 1 ? openA(row.path) : openB(row.path);
        }

        EXPECT_EQ(ui.openRequests.size(), row.how == 0 ? 0u : 1u);
        for (const auto& request : ui.openRequests) EXPECT_EQ(request.filter, QStringLiteral("Все файлы (*.*)|*.*"));
        EXPECT_EQ(ui.messages.size(), row.title.isEmpty() ? 0u : 1u);
        for (const auto& m : ui.messages) {
            EXPECT_EQ(m.title, row.title);
            EXPECT_TRUE(m.text.contains(row.text)) << m.text.toStdString();
            EXPECT_TRUE(m.icon == MessageIcon::Critical || row.text != emptyText);
            EXPECT_EQ(m.buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        if (row.how == 2) {  // file A stays as it was, on its second screen
            EXPECT_EQ(enabledControls(), kFileA);
            EXPECT_EQ(labels({"lbFileTwo", "lbSizeTwo", "lbStatusBarText"}), QStringLiteral("Не загружен|0 byte|2 из 3"));
            EXPECT_EQ(window->windowTitle(), QStringLiteral("   «a.bin»"));
            EXPECT_TRUE(showsScreen(TempDir::patternBytes(600), 256));
        } else {
            expectNoFileState();
        }
        EXPECT_FALSE(QFileInfo::exists(missing));
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    openA(dir.pattern(QStringLiteral(".hidden"), 10));  // after a refusal the next file opens
    EXPECT_EQ(window->windowTitle(), QStringLiteral("   «.hidden»"));
}

TEST_F(FileStates, LabelsTitleAndPositionFollowTheFileInView) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 4096);
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);
    auto modified = [](const QString& path) {
        return QFileInfo(path).lastModified().toString(QStringLiteral("dd.MM.yyyy / HH:mm:ss"));
    };
    openA(a);
    goTo(4095);
    openB(b);
    EXPECT_EQ(labels({"lbFileOne", "lbSizeOne", "lbDateTime1", "lbFileTwo", "lbSizeTwo", "lbDateTime2"}),
              QStringList({a, "4096 byte", modified(a), b, "300 byte", modified(b)}).join('|'));
    auto* bar = child<QProgressBar>("conProgressBar");
    auto seen = [&] {  // title, caption colours, position, first row, position bar
        return QStringLiteral("%1|%2 %3|%4|%5|%6/%7")
            .arg(window->windowTitle(), labelColor("lbFile1").name(), labelColor("lbFile2").name(),
                 labels({"lbStatusBarText", "lbSynchro"}), rowLabel(0))
            .arg(bar->value())
            .arg(bar->maximum())
            .toStdString();
    };
    const std::string inA = "   «a.bin»|#c00000 #000000|16 из 16|Адрес Max. 0000FFF|0000F0|16/16";
    EXPECT_EQ(seen(), inA);
    view(2);
    EXPECT_EQ(seen(), "   «b.bin»|#000000 #c00000|1 из 2|Адрес Max. 000012B|000000|1/2");
    view(1);
    EXPECT_EQ(seen(), inA);
    for (qint64 size : {1, 256, 257}) {  // paging needs more than one screen of the file in view
        restart();
        openA(dir.pattern(QStringLiteral("a%1.bin").arg(size), size));
        openB(dir.pattern(QStringLiteral("b.bin"), 256));
        for (int file : {1, 2, 1}) {
            if (file != window->view().intShowFile()) view(file);
            const bool paging = file == 1 && size > 256;
            EXPECT_TRUE(button("knUp")->isEnabled() == paging && button("knDown")->isEnabled() == paging) << size << file;
        }
    }
}

// Files dropped on the window go where the open commands would put them, through the same
// checks; nothing is taken while edits wait. A drop is answered as a copy whatever the
// source proposed (a move would let it delete its file), before any message is shown.
TEST_F(FileStates, DroppedFilesOpenAsTheOpenCommandsWould) {
    const QString a = dir.pattern(QStringLiteral("a.bin"), 600), b = dir.pattern(QStringLiteral("b.bin"), 300);
    const QString c = dir.pattern(QStringLiteral("c.bin"), 100);
    auto drop = [this](const QStringList& paths, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        // Shift makes the source propose a move.
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) return false;
        const Qt::DropAction answer = offered & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction;
        EXPECT_EQ(enter.dropAction(), answer);
        QDropEvent dropped(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        if (offered & Qt::MoveAction) {
            EXPECT_EQ(dropped.proposedAction(), Qt::MoveAction);
        }
        QApplication::sendEvent(window.get(), &dropped);
        EXPECT_TRUE(dropped.isAccepted());
        EXPECT_EQ(dropped.dropAction(), answer);
        EXPECT_TRUE(ui.messages.empty()) << "no box while the source waits for the answer";
        QApplication::processEvents();
        return true;
    };
    const struct {
        const char* what;
        QStringList before, dropped;
        bool taken;
        QString fileA, fileB, message;
        Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    } rows[] = {
        {"one file into no file", {}, {a}, true, a, "Не загружен", {}},
        {"one file beside file A", {a}, {b}, true, a, b, {}},
        {"two files", {}, {a, b}, true, a, b, {}},
        {"two files beside file A", {a}, {b, c}, true, a, b, "Файл B уже открыт."},
        {"both slots taken", {a, b}, {c}, true, a, b, "Файл B уже открыт."},
        {"three files", {}, {a, b, c}, false, "Не загружен", "Не загружен", {}},
        {"a folder", {}, {dir.path(QString())}, true, "Не загружен", "Не загружен", "не является обычным файлом"},
        {"a source that offers only a link", {}, {a}, true, a, "Не загружен", {}, Qt::LinkAction},
        {"a source that offers only a move", {}, {a}, false, "Не загружен", "Не загружен", {}, Qt::MoveAction},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        window->openFromCommandLine(row.before);
        EXPECT_EQ(drop(row.dropped, row.offered), row.taken);
        EXPECT_EQ(labels({"lbFileOne", "lbFileTwo"}), row.fileA + '|' + row.fileB);
        EXPECT_EQ(ui.messageTexts().join('|').contains(row.message), true) << ui.messageTexts().join('|').toStdString();
        EXPECT_EQ(ui.messages.size(), row.message.isEmpty() ? 0u : 1u);
    }
    restart();
    openA(a);
    trigger("mnuEdit");
    editCell(0, QStringLiteral("77"));
    EXPECT_FALSE(drop({b})) << "refused while an edit waits";
    EXPECT_EQ(label("lbFileTwo"), QStringLiteral("Не загружен"));
}

// However large the file, the block counter and the highest address are shown whole, and a
// path is one line, elided in the middle, with the whole path as its tooltip.
TEST_F(FileStates, PositionAndPathFitWhateverTheFile) {
    const QString odd = dir.write(QStringLiteral("line\nbreak ") + QString(200, QLatin1Char('x')), "abc");
    openA(sparse(QStringLiteral("huge.bin"), (qint64(1) << 40) + 1000));
    openB(odd);
    goTo((qint64(1) << 40) + 999, 0);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_EQ(labels({"lbStatusBarText", "lbSynchro"}), QStringLiteral("4294967300 из 4294967300|Адрес Max. 100000003E7"));
    auto* counter = child<QLabel>("lbStatusBarText");
    auto* highest = child<QLabel>("lbSynchro");
    for (QLabel* l : {counter, highest})
        EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(l->text())) << l->objectName().toStdString();
    EXPECT_FALSE(counter->geometry().intersects(highest->geometry()));
    auto* path = child<QLabel>("lbFileTwo");
    EXPECT_EQ(path->text(), odd);
    EXPECT_LE(path->height(), path->fontMetrics().height() + 4) << "one line";
}

// Write permission is gone while either file is read-only; the mark shows while the
// read-only file is in view, and its cells take no typing.
TEST_F(FileStates, ReadOnlyFileLocksWriting) {
    const QString b = dir.pattern(QStringLiteral("b.bin"), 300);
    TempDir::makeReadOnly(b);
    auto expectLocked = [&](bool bInView) {
        EXPECT_EQ(isEnabled("mnuEdit"), !bInView);
        EXPECT_FALSE(isChecked("mnuEdit") || isEnabled("mnuLoad") || isEnabled("mnuReplace") || isEnabled("mnuFill"));
        EXPECT_TRUE(locked(0) && label("lbInvers").isEmpty());
        EXPECT_EQ(child("lbOnlyRead")->isVisible() && child("lnOnlyRead")->isVisible(), bInView);
    };
    openA(dir.pattern(QStringLiteral("a.bin"), 300));
    EXPECT_FALSE(child("lbOnlyRead")->isVisible());
    trigger("mnuEdit");
    ASSERT_TRUE(isEnabled("mnuReplace"));
    openB(b);
    expectLocked(false);
    trigger("mnuEdit");
    view(2);
    expectLocked(true);
    EXPECT_EQ(label("lbOnlyRead"), QStringLiteral("Только чтение."));
    EXPECT_EQ(labelColor("lbOnlyRead"), GridColors::darkRed());
    editCell(0, QStringLiteral("FF"));
    EXPECT_EQ(cellText(0), QStringLiteral("03"));
    EXPECT_FALSE(button("knRecord")->isEnabled());
    view(1);
    expectLocked(false);
    EXPECT_EQ(TempDir::read(b), TempDir::patternBytes(300));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileStates, CloseAllReturnsToTheStartUpStateWritingNothing) {
    const QByteArray aBytes = TempDir::patternBytes(600);
    QByteArray bBytes = aBytes;
    bBytes[0x101] = '\x00';
    const QString a = dir.write(QStringLiteral("a.bin"), aBytes);
    const QString b = dir.write(QStringLiteral("b.bin"), bBytes);
    const QString ro = dir.pattern(QStringLiteral("ro.bin"), 600);
    TempDir::makeReadOnly(ro);
    auto synchronisedOnB = [&] {
        openA(a);
        openB(b);
        trigger("mnuSynchro");
        view(2);
        pressKey(Qt::Key_PageDown);
        focusCell(1);
    };
    const struct {
        const char* what;
        std::function<void()> make;
    } rows[] = {
        {"file A only", [&] { openA(a); }},
        {"synchronised, B in view on its second screen", synchronisedOnB},
        {"read-only file A", [&] { openA(ro); }},
        {"edits pending, one typed and not yet checked",
         [&] {
             synchronisedOnB();
             trigger("mnuEdit");
             editCell(1, QStringLiteral("7"));
             editCell(2, QStringLiteral("8"));
             focusCell(3);
             typeKeys(QStringLiteral("9"));
             ASSERT_TRUE(window->changesPending());
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restart();
        row.make();
        pressKey(Qt::Key_D, Qt::ControlModifier);
        expectNoFileState();
        EXPECT_FALSE(window->changesPending());
        EXPECT_EQ(TempDir::read(a), aBytes);
        EXPECT_EQ(TempDir::read(b), bBytes);
        // Without a file, paging and the DOS view change nothing.
        pressKey(Qt::Key_PageDown);
        trigger("mnuDOS");
        expectNoFileState();
        EXPECT_TRUE(ui.messages.empty());
        // The next file starts on its first screen, in black, without write permission.
        openA(a);
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 3"));
        EXPECT_TRUE(showsScreen(aBytes, 0));
        EXPECT_EQ(cellsIn(GridColors::black()).size(), 256u);
        EXPECT_FALSE(isChecked("mnuEdit"));
    }
}

}  // namespace
