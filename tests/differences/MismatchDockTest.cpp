// The list of differences, F6 and the status line, driven in the real window.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QAccessible>
#include <QHeaderView>
#include <QTableView>

#include <QStatusBar>

#include "AlignedView.h"
#include "ChangeIndex.h"
#include "ChangesModel.h"
#include "CodePage.h"
#include "ShiftDialog.h"
#include "ValueReadings.h"
#include <QComboBox>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include "FilePair.h"
#include "VcdiffDecoder.h"
#include "ComparedFiles.h"
#include "DifferenceIndex.h"
#include "DifferencesHarness.h"
#include "frpFill.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "BlockDialog.h"
#include "RangeFields.h"
#include "frpReplace.h"
#include "frpSave.h"

namespace {

TEST_F(DifferencesWindow, TheListShowsEveryRunTheLongerFileAndASummary) {
    EXPECT_FALSE(isEnabled("mnuMismatchList"));
    openPair(8000, {{0, 3}, {0x1A35, 20}, {7999, 1}}, 3);
    EXPECT_TRUE(isEnabled("mnuMismatchList") && isEnabled("mnuNextMismatch") && isEnabled("mnuPreviousMismatch"));
    makeList();
    EXPECT_TRUE(dock->isVisible());
    ASSERT_EQ(table()->model()->rowCount(), 4);
    EXPECT_EQ(table()->model()->headerData(0, Qt::Horizontal).toString() + table()->model()->headerData(3, Qt::Horizontal).toString(),
              QStringLiteral("АдресB"));
    const auto hex = [&](const QByteArray& bytes, qsizetype at, int n) {
        QStringList out;
        for (int i = 0; i < n; ++i) out << byteText(quint8(bytes[at + i]));
        return out.join(QLatin1Char(' '));
    };
    // Beside the hex, the bytes as text in the code page of the screen.
    const auto text = [&](const QByteArray& bytes, qsizetype at, int n) {
        return DifferenceText::characters(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + at, n, false);
    };
    EXPECT_EQ(row(0), QStringLiteral("0000000|3|") + hex(a, 0, 3) + '|' + hex(b, 0, 3) + '|' + text(a, 0, 3) + '|' + text(b, 0, 3));
    EXPECT_EQ(row(1), QStringLiteral("0001A35|20|") + hex(a, 0x1A35, 8) + '|' + hex(b, 0x1A35, 8) + '|' + text(a, 0x1A35, 16) +
                          '|' + text(b, 0x1A35, 16));
    EXPECT_EQ(row(3), QStringLiteral("Файл В длиннее на 3 байта|||||"));
    EXPECT_EQ(label("mismatchSummary"),
              QStringLiteral("Всего участков: 3, различающихся байтов: 24. Совпадает 99,70\u00A0% байтов."));
    // What a screen reader is told: a row's cells, the summary and the strip beside the list.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(table());
    ASSERT_TRUE(list && list->tableInterface());
    QAccessibleInterface* cell = list->tableInterface()->cellAt(1, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("0001A35"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child("mismatchSummary"))->text(QAccessible::Name),
              label("mismatchSummary"));
    EXPECT_EQ(child("mismatchMap")->accessibleDescription(), QStringLiteral("Несовпадения: 0 %, 83–84 %, 99 %. Экран: 0 %."));
}

TEST_F(DifferencesWindow, TheListGoesOutOfDateOnWritesAndOnlyOnWrites) {
    struct Case {
        const char* name;
        std::function<void()> command;
        bool writes;
    };
    const std::vector<Case> cases = {
        {"Запись", [this] {
             editCell(5, QStringLiteral("AA"));
             QTest::mouseClick(button("knRecord"), Qt::LeftButton);
         }, true},
        {"Заменить", [this] { play<frpReplace>("mnuReplace", [](frpReplace& d) {
             enter(d.plByt, QStringLiteral("00"));
             enter(d.plBytD, QStringLiteral("01"));
             QTest::mouseClick(d.knOk, Qt::LeftButton);
         }); }, true},
        {"Заполнить", [this] { play<frpFill>("mnuFill", [](frpFill& d) {
             enter(d.plByt, QStringLiteral("07"));
             QTest::mouseClick(d.knOk, Qt::LeftButton);
         }); }, true},
        {"Загрузить блок", [this] { play<frpLoad>("mnuLoad", [this](frpLoad& d) {
             ui.answerNextOpen(dir.write(QStringLiteral("block.bin"), QByteArray(16, 'q')));
             QTest::mouseClick(d.bnSelect, Qt::LeftButton);
             enter(d.plAddresO, QStringLiteral("0"));
             QTest::mouseClick(d.knOk, Qt::LeftButton);
         }); }, true},
        {"Сохранить блок into file B", [this] { play<frpSave>("mnuSave", [this](frpSave& d) {
             ui.answerNextSave(pathB);
             QTest::mouseClick(d.bnSelect, Qt::LeftButton);
             enter(d.plAddresO, QStringLiteral("0"));
             enter(d.plAddresT, QStringLiteral("10"));
             QTest::mouseClick(d.knOk, Qt::LeftButton);
         }); }, true},
        {"Закрыть файл В", [this] { trigger("mnuDelFileB"); }, true},
        // Another program writes; the next redraw finds it.
        {"a write from outside", [this] {
             QFile f(pathB);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.resize(4000);
             f.close();
             pressKey(Qt::Key_PageDown);
         }, true},
        // Commands that write nothing leave a finished list as it is.
        {"Обновить", [this] { trigger("mnuRefresh"); }, false},
        {"Открыть файла B refused: B is open", [this] { openB(pathA); }, false},
        {"Заменить cancelled", [this] { play<frpReplace>("mnuReplace", [](frpReplace& d) {
             QTest::mouseClick(d.knCancel, Qt::LeftButton);
         }); }, false},
        {"Сохранить блок into a new file", [this] { play<frpSave>("mnuSave", [this](frpSave& d) {
             ui.answerNextSave(dir.path(QStringLiteral("new.bin")));
             QTest::mouseClick(d.bnSelect, Qt::LeftButton);
             enter(d.plAddresO, QStringLiteral("0"));
             enter(d.plAddresT, QStringLiteral("10"));
             QTest::mouseClick(d.knOk, Qt::LeftButton);
         }); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        openPair(4096, {{100, 4}});
        trigger("mnuEdit");  // the write commands need it
        makeList();
        focusCell(0);
        c.command();
        QApplication::processEvents();
        if (!c.writes) EXPECT_TRUE(ui.messages.size() <= 1) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(index().state(), c.writes ? DifferenceIndex::State::OutOfDate : DifferenceIndex::State::Complete);
        EXPECT_EQ(table()->model()->rowCount(), c.writes ? 0 : 1) << "no row that may no longer hold";
        EXPECT_TRUE(button("mismatchRefresh")->isVisible());
    }
}

TEST_F(DifferencesWindow, EnterOnARowShowsTheRunInBothFilesWithSynchronisedPaging) {
    openPair(8192, {{17, 2}, {5000, 3}});
    makeList();
    table()->setFocus();
    table()->setCurrentIndex(table()->model()->index(1, 0));
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_TRUE(isChecked("mnuSynchro"));
    EXPECT_EQ(window->screenStartOne(), 5000 / 256 * 256);
    EXPECT_EQ(window->screenStartTwo(), 5000 / 256 * 256);
    EXPECT_EQ(focusedCell(), 5000 % 256);
    EXPECT_EQ(label("lbAddressStatus"), QStringLiteral("Адрес 0001388   A: %1   B: %2")
                                            .arg(byteText(quint8(a[5000])), byteText(quint8(b[5000]))));
}

TEST_F(DifferencesWindow, PagingLaysNothingOutAndTheStatusLineFollows) {
    // Every label that changes with a page keeps its size: a key lays nothing out again.
    openPair(8192, {{17, 2}});
    makeList();
    focusCell(0);
    pressKey(Qt::Key_PageDown);
    QApplication::processEvents();
    struct Layouts : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::LayoutRequest) ++count;
            return false;
        }
    } layouts;
    qApp->installEventFilter(&layouts);
    for (int i = 0; i < 3; ++i) {
        pressKey(Qt::Key_PageDown);
        QApplication::processEvents();
    }
    qApp->removeEventFilter(&layouts);
    EXPECT_EQ(layouts.count, 0);
    EXPECT_EQ(window->screenStartOne(), 0x400);
    EXPECT_TRUE(label("lbAddressStatus").startsWith(QStringLiteral("Адрес 0000400   A: "))) << label("lbAddressStatus").toStdString();
    // Its context menu copies the line.
    window->findChild<QLabel*>(QStringLiteral("lbAddressStatus"))->actions().value(0)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), label("lbAddressStatus"));
    // Another program puts other bytes under A's name: the line tells what the grid shows,
    // as the grid does, until a redraw shows the new file.
    const QString other = dir.write(QStringLiteral("other.bin"), QByteArray(8192, '\x5A'));
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(pathA).constData()), 0);
    focusCell(9);
    EXPECT_EQ(label("lbAddressStatus"), QStringLiteral("Адрес 0000409   A: %1   B: %2").arg(cellText(9), byteText(quint8(b[0x409]))));
    trigger("mnuRefresh");
    EXPECT_EQ(cellText(9), QStringLiteral("5A"));
    EXPECT_EQ(label("lbAddressStatus"), QStringLiteral("Адрес 0000409   A: 5A   B: %1").arg(byteText(quint8(b[0x409]))));
}

TEST_F(DifferencesWindow, F6AndShiftF6WalkTheRunsWithAndWithoutTheList) {
    for (const bool withList : {false, true}) {
        SCOPED_TRACE(withList ? "through the list" : "by scanning");
        SetUp();
        openPair(3 * 1024 * 1024, {{0, 2}, {1024 * 1024 - 1, 2}, {3 * 1024 * 1024 - 1, 1}}, 3);
        if (withList) makeList();
        focusCell(0);  // on the first run
        std::vector<std::int64_t> visited;
        for (int i = 0; i < 2; ++i) {
            step(true);
            visited.push_back(focusedAddress());
        }
        EXPECT_EQ(visited, (std::vector<std::int64_t>{1024 * 1024 - 1, 3 * 1024 * 1024 - 1}));
        if (withList) EXPECT_EQ(table()->currentIndex().row(), 2) << "the list follows";
        step(true);  // past the last run: said in the status line, no box
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Больше несовпадений нет. Файл В длиннее на 3 байта."));
        EXPECT_EQ(focusedAddress(), 3 * 1024 * 1024 - 1);
        visited.clear();
        for (int i = 0; i < 2; ++i) {
            step(false);
            visited.push_back(focusedAddress());
        }
        EXPECT_EQ(visited, (std::vector<std::int64_t>{1024 * 1024 - 1, 0}));
        if (withList) EXPECT_EQ(table()->currentIndex().row(), 0);
        step(false);  // before the first run
        EXPECT_TRUE(window->statusBar()->currentMessage().startsWith(QStringLiteral("Раньше несовпадений нет")));
        EXPECT_EQ(focusedAddress(), 0);
        EXPECT_TRUE(ui.messages.empty());
        // Another program writes a byte far from every run: F6 finds it, not the old list's.
        const int fd = ::open(QFile::encodeName(pathB).constData(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, "\x99", 1, 2 * 1024 * 1024), 1);
        ::close(fd);
        QTest::qWait(50);
        step(true);
        step(true);
        EXPECT_EQ(focusedAddress(), 2 * 1024 * 1024);
    }
}

TEST_F(DifferencesWindow, F6FromTheScreenStartAndTheTailRowOfTheLongerFile) {
    openPair(4096, {{512, 2}, {1000, 1}}, 5);
    makeList();
    // No cell focused: a run that begins at the screen start is the next one.
    window->subShowDate(1);
    std::int64_t at = 512;
    window->subSearchAddr(at, 1);
    window->setFocus();
    QApplication::processEvents();
    ASSERT_LT(focusedCell(), 0);
    step(true);
    EXPECT_EQ(focusedAddress(), 512);
    // Enter on the row of the longer file shows its first byte beyond the shorter one.
    table()->setFocus();
    table()->setCurrentIndex(table()->model()->index(2, 0));
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_EQ(window->view().intShowFile(), 2);
    EXPECT_EQ(focusedAddress(), 4096);
}

TEST_F(DifferencesWindow, StopEndsTheScanAndTheWindowAnswersMeanwhile) {
    // Holes in both files would be passed over at once: this scan meets a run at every
    // other byte of B, against a hole in A.
    a = QByteArray();
    pathA = sparse(QStringLiteral("a.bin"), 16 * 1024 * 1024);
    pathB = dir.write(QStringLiteral("b.bin"), QByteArray("\x01\x00", 2).repeated(8 * 1024 * 1024) + 'z');
    openA(pathA);
    openB(pathB);
    ui.clear();
    trigger("mnuMismatchList");
    ASSERT_EQ(index().state(), DifferenceIndex::State::Scanning);
    EXPECT_TRUE(button("mismatchStop")->isVisible());
    pressKey(Qt::Key_PageDown);  // the window pages while the scan runs
    EXPECT_EQ(window->screenStartOne(), 256);
    QTest::mouseClick(button("mismatchStop"), Qt::LeftButton);
    EXPECT_EQ(index().state(), DifferenceIndex::State::Stopped);
    EXPECT_FALSE(index().upToDate()) << "a stopped list is not a complete one";
    EXPECT_TRUE(label("mismatchSummary").startsWith(QStringLiteral("Остановлено на адресе ")));
    // What was not compared is hatched on the map, not left blank like "no differences".
    QWidget* map = child("mismatchMap");
    const QImage strip = map->grab().toImage();
    int hatched = 0;
    for (int x = 2; x < strip.width() - 2; ++x) hatched += strip.pixel(x, strip.height() - 4) == map->palette().color(QPalette::Dark).rgb();
    EXPECT_GT(hatched, 0);
}

TEST_F(DifferencesWindow, NeverAHundredPercentWhileAByteDiffersAndNoLineForAClosedFile) {
    openPair(1024 * 1024, {{5, 1}});
    makeList();
    EXPECT_EQ(label("mismatchSummary"),
              QStringLiteral("Всего участков: 1, различающихся байтов: 1. Совпадает 99,99\u00A0% байтов."));
    focusCell(3);
    EXPECT_FALSE(label("lbAddressStatus").isEmpty());
    trigger("mnuDelAll");
    EXPECT_EQ(label("lbAddressStatus"), QString());
}

}  // namespace

namespace {

TEST_F(DifferencesWindow, TheListOfChangesShowsEachChangeInBothFilesAndSideBySide) {
    a = screenBytes(8192);
    b = a;
    b.insert(0x1000, QByteArray(16, '\x5A'));  // 16 bytes inserted into B
    b.remove(0x1800 + 16, 4);                  // 4 bytes of A deleted further on
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    openA(pathA);
    openB(pathB);
    trigger("mnuSynchro");
    QTableView* list = child<QTableView>("changesTable");
    pressKey(Qt::Key_K, Qt::ControlModifier);
    for (int i = 0; i < 500 && window->view().changes().state() == ChangeIndex::State::Working; ++i) QTest::qWait(10);
    ASSERT_EQ(list->model()->rowCount(), 2);
    const auto rowText = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c) cells << list->model()->index(r, c).data().toString();
        return cells.join(QLatin1Char('|'));
    };
    EXPECT_EQ(rowText(0), QStringLiteral("Вставка|0001000|0|0001000|16"));
    EXPECT_EQ(rowText(1), QStringLiteral("Удаление|0001800|4|0001810|0"));
    EXPECT_TRUE(label("changesSummary").startsWith(QStringLiteral("Всего изменений: 2 (вставлено байтов: 16, удалено: 4")));
    // The first change is current once found: Enter at once shows it.
    ASSERT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(focusedAddress(), 0x1000);
    // Enter: A from its address, B from its own; paging together is off, and said so.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(isChecked("mnuSynchro"));
    EXPECT_EQ(focusedAddress(), 0x1800);
    EXPECT_EQ(window->screenStartTwo(), 0x1800);
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith(QStringLiteral("Синхронизация выключена")));
    // The aligned view takes the form's place at the list's current change; F6 and the
    // list's row follow each other, Enter shows the cursor's bytes in the grid, Esc goes back.
    list->setCurrentIndex(list->model()->index(0, 0));
    pressKey(Qt::Key_J, Qt::ControlModifier);
    auto* aligned = window->findChild<AlignedView*>();
    ASSERT_TRUE(aligned && aligned->isVisible() && aligned->hasFocus());
    EXPECT_FALSE(child("central")->isVisible());
    EXPECT_TRUE(aligned->readout().contains(QStringLiteral("изменение 1 из 2"))) << aligned->readout().toStdString();
    pressKey(Qt::Key_F6);
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_TRUE(aligned->readout().contains(QStringLiteral("изменение 2 из 2")));
    list->setCurrentIndex(list->model()->index(0, 0));
    EXPECT_EQ(aligned->layout().at(aligned->position()).change, 0) << "the view follows the list";
    aligned->setFocus();
    pressKey(Qt::Key_Return);
    EXPECT_TRUE(child("central")->isVisible());
    EXPECT_EQ(focusedAddress(), 0x1000);
    EXPECT_EQ(window->screenStartTwo(), 0x1000);
    pressKey(Qt::Key_J, Qt::ControlModifier);
    for (AlignedView* shown : window->findChildren<AlignedView*>())
        if (shown->isVisible()) aligned = shown;
    ASSERT_TRUE(aligned && aligned->isVisible());
    // Another program puts another B in place: the view shows no bytes by the old list.
    const QString other = dir.write(QStringLiteral("other.bin"), a);
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(pathB).constData()), 0);
    for (int i = 0; i < 200 && window->view().changes().state() != ChangeIndex::State::OutOfDate; ++i) QTest::qWait(5);
    EXPECT_EQ(window->view().changes().state(), ChangeIndex::State::OutOfDate);
    EXPECT_TRUE(aligned->readout().contains(QStringLiteral("устарел"))) << aligned->readout().toStdString();
    pressKey(Qt::Key_Escape);
    EXPECT_TRUE(child("central")->isVisible());
}

// A translated string reads as text in the row, in the code page the screen shows; the list
// goes out by copy and by file, and Ctrl+F6 steps to the change from the grid.
TEST_F(DifferencesWindow, TheListOfChangesTellsTheTextAndGoesOut) {
    const auto cp1251 = [](const QString& text) {
        QByteArray bytes;
        for (QChar c : text) bytes += char(CodePage::ansiCode(c));
        return bytes;
    };
    a = screenBytes(4096);
    b = a;
    a.replace(0x300, 12, cp1251(QStringLiteral("ОТКРЫТЬ ФАЙЛ")));
    b.replace(0x300, 12, cp1251(QStringLiteral("ЗАКРЫТЬ ФАЙЛ")));
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    openA(pathA);
    openB(pathB);
    pressKey(Qt::Key_F6, Qt::ControlModifier);  // no list yet: it is made
    QTableView* list = child<QTableView>("changesTable");
    for (int i = 0; i < 500 && window->view().changes().state() == ChangeIndex::State::Working; ++i) QTest::qWait(10);
    ASSERT_EQ(list->model()->rowCount(), 1);
    const auto cell = [&](int column) { return list->model()->index(0, column).data().toString(); };
    EXPECT_EQ(cell(ChangesModel::TextAColumn) + '|' + cell(ChangesModel::TextBColumn), QStringLiteral("ОТ|ЗА"));
    trigger("mnuDOS");
    EXPECT_EQ(cell(ChangesModel::TextAColumn), DifferenceText::characters(reinterpret_cast<const std::uint8_t*>(a.constData()) + 0x300, 2, true));
    trigger("mnuDOS");

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("0000300 2 0000300 2\tCE D2\tC7 C0\tОТ\tЗА\n"));
    const QString saved = dir.path(QStringLiteral("list.txt"));
    ui.answerNextSave(saved);
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(TempDir::read(saved), QStringLiteral("0000300 2 0000300 2\tCE D2\tC7 C0\tОТ\tЗА\n").toUtf8());
    ui.answerNextSave(pathB);
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(TempDir::read(pathB), b) << "a loaded file is never written";
    EXPECT_EQ(ui.messages.size(), 1u);

    focusCell(0);
    pressKey(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(focusedAddress(), 0x300);
    pressKey(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Больше изменений нет."));
}

// After bytes put in, the list of runs is all red from there on: it points to the list of
// changes, which explains them.
TEST_F(DifferencesWindow, RunsAfterAnInsertionPointToTheListOfChanges) {
    openPair(8192, {});
    b.insert(1000, QByteArray(300, '\x5A'));
    pathB = dir.write(QStringLiteral("b.bin"), b);
    trigger("mnuRefresh");
    makeList();
    EXPECT_TRUE(label("mismatchSummary").contains(QStringLiteral("Похоже, байты вставлены или удалены")));
    QTest::mouseClick(button("mismatchToChanges"), Qt::LeftButton);
    for (int i = 0; i < 500 && window->view().changes().state() == ChangeIndex::State::Working; ++i) QTest::qWait(10);
    EXPECT_EQ(window->view().changes().changes(), (std::vector<Change>{{1000, 0, 1000, 300}}));
}

// A change taken over to the other file waits there as typed edits: drawn blue, written by
// Запись, dropped by Отмена; the list holds until they are written.
TEST_F(DifferencesWindow, AChangeTakenOverWaitsAsTypedEdits) {
    a = screenBytes(4096);
    b = a;
    b[0x305] = char(~b[0x305]);
    b[0x306] = char(~b[0x306]);
    b.insert(0x800, QByteArray(4, 'x'));
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    openA(pathA);
    openB(pathB);
    pressKey(Qt::Key_K, Qt::ControlModifier);
    QTableView* list = child<QTableView>("changesTable");
    for (int i = 0; i < 500 && window->view().changes().state() == ChangeIndex::State::Working; ++i) QTest::qWait(10);
    ASSERT_EQ(window->view().changes().changes(), (std::vector<Change>{{0x305, 2, 0x305, 2}, {0x800, 0, 0x800, 4}}));
    const auto take = [&](int row, Qt::Key key) {
        ui.clear();
        list->setFocus();
        list->setCurrentIndex(list->model()->index(row, 0));
        QTest::keyClick(list, key, Qt::ControlModifier | Qt::ShiftModifier);
    };
    take(0, Qt::Key_B);
    ASSERT_EQ(ui.messages.size(), 1u) << "no write permission";
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("разрешите запись")));
    trigger("mnuEdit");
    take(1, Qt::Key_B);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("меняет длину")));
    for (bool record : {false, true}) {
        take(0, Qt::Key_B);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(window->view().intShowFile(), 2);
        EXPECT_EQ(cellsIn(GridColors::blue()), (std::vector<int>{5, 6}));
        EXPECT_EQ(cellText(5) + cellText(6), byteText(quint8(a[0x305])) + byteText(quint8(a[0x306])));
        EXPECT_TRUE(window->changesPending());
        EXPECT_EQ(TempDir::read(pathB), b);
        EXPECT_EQ(window->view().changes().state(), ChangeIndex::State::Complete);
        if (record) {
            button("knRecord")->click();
        } else {
            trigger("mnuCanscel");
            EXPECT_EQ(TempDir::read(pathB), b);
        }
    }
    QByteArray taken = b;
    taken[0x305] = a[0x305];
    taken[0x306] = a[0x306];
    EXPECT_EQ(TempDir::read(pathB), taken);
    EXPECT_EQ(window->view().changes().state(), ChangeIndex::State::OutOfDate);
    EXPECT_FALSE(list->isEnabled()) << "no row of the files as they were is taken over again";

    // What cannot be taken over in place goes into a patch, which turns A into B.
    const QString patch = dir.path(QStringLiteral("a.vcdiff")), out = dir.path(QStringLiteral("out.bin"));
    ui.answerNextSave(patch);
    trigger("mnuSavePatch");
    const FilePair sourceAndPatch(pathA, patch);
    ASSERT_EQ(VcdiffDecoder::applyPatch(sourceAndPatch, out).outcome, VcdiffDecoder::Outcome::Applied);
    EXPECT_EQ(TempDir::read(out), taken);
}

// B is A with 512 bytes put in front: at a shift of +200 nothing differs, the information
// line tells the shift, and the status line the compared byte of B at its own address.
TEST_F(DifferencesWindow, AShiftedComparisonMarksWhatDiffersAtTheShift) {
    a = screenBytes(4096);
    b = QByteArray(512, '\x77') + a;
    b[512 + 0x310] = char(~b[512 + 0x310]);
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    openA(pathA);
    openB(pathB);
    const auto shift = [&](const QString& typed) {
        play<ShiftDialog>("mnuSynchroShift", [&](ShiftDialog& d) {
            d.field->setText(typed);
            d.ok->click();
        });
    };
    shift(QStringLiteral("+200"));
    EXPECT_TRUE(isChecked("mnuSynchro"));
    EXPECT_EQ(label("lbInfo2"), QStringLiteral("Синхро. +200"));
    EXPECT_TRUE(cellsIn(GridColors::darkRed()).empty());
    pressKey(Qt::Key_PageDown);
    pressKey(Qt::Key_PageDown);
    pressKey(Qt::Key_PageDown);
    EXPECT_EQ(window->screenStartOne(), 0x300);
    EXPECT_EQ(cellsIn(GridColors::darkRed()), std::vector<int>{0x10});
    focusCell(0x10);
    EXPECT_EQ(label("lbAddressStatus"), QStringLiteral("Адрес 0000310   A: %1   B (0000510): %2")
                                            .arg(byteText(quint8(a[0x310])), byteText(quint8(b[0x510]))));
    view(2);  // B in view, A read 512 bytes before it
    EXPECT_EQ(window->screenStartTwo(), 0x500);
    EXPECT_EQ(cellsIn(GridColors::darkRed()), std::vector<int>{0x10});
    // The list of runs and F6 compare at the shift too, by A's addresses.
    makeList();
    ASSERT_EQ(table()->model()->rowCount(), 1);
    EXPECT_TRUE(row(0).startsWith(QStringLiteral("0000310|1|")));
    focusCell(0);
    step(true);
    EXPECT_EQ(window->view().intShowFile(), 2);
    EXPECT_EQ(focusedAddress(), 0x510) << "B's byte compared with A's 310";
    // Its bytes, and a run taken over, are B's compared ones.
    EXPECT_EQ(row(0).section('|', 3, 3), byteText(quint8(b[0x510])));
    trigger("mnuEdit");
    table()->setFocus();
    table()->setCurrentIndex(table()->model()->index(0, 0));
    QTest::keyClick(table(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->screenStartTwo(), 0x500);
    EXPECT_EQ(cellsIn(GridColors::blue()), std::vector<int>{0x10});
    EXPECT_EQ(cellText(0x10), byteText(quint8(a[0x310])));
    trigger("mnuCanscel");
    trigger("mnuEdit");
    // As an address of B, the same shift; without digits, nothing changes.
    ui.clear();
    shift(QStringLiteral("zz"));
    EXPECT_EQ(ui.messages.size(), 1u);
    trigger("mnuSynchro");
    trigger("mnuSynchro");  // synchronised again: from 0, unshifted
    EXPECT_EQ(label("lbInfo2"), QStringLiteral("Синхро."));
}

// The values under the cursor in both files: a differing float marked, the byte order
// switched, an edit not yet recorded marked, the end of a file told, a row copied.
TEST_F(DifferencesWindow, TheValuesUnderTheCursorReadBothFiles) {
    a = QByteArray(64, '\0');
    b = a;
    const float one = 1.0f, half = -1.5f;
    std::memcpy(a.data() + 0x10, &one, 4);
    std::memcpy(b.data() + 0x10, &half, 4);
    pathA = dir.write(QStringLiteral("a.bin"), a);
    pathB = dir.write(QStringLiteral("b.bin"), b);
    openA(pathA);
    openB(pathB);
    pressKey(Qt::Key_I, Qt::ControlModifier);
    auto* table = child<QTableView>("valuesTable");
    ASSERT_TRUE(table->isVisible());
    EXPECT_EQ(table->accessibleName(), QStringLiteral("Значения"));
    const auto at = [&](int address) {
        focusCell(address);
        QTest::qWait(150);  // the panel follows a cursor once it stops
    };
    const auto value = [&](ValueReadings::Row row, int column, int role = Qt::DisplayRole) {
        return table->model()->index(int(row), column).data(role).toString();
    };
    at(0x10);
    EXPECT_EQ(value(ValueReadings::Row::Float32, 1) + '|' + value(ValueReadings::Row::Float32, 2), QStringLiteral("1|-1.5"));
    EXPECT_EQ(value(ValueReadings::Row::Float32, 0, Qt::AccessibleDescriptionRole), QStringLiteral("отличается"));
    EXPECT_EQ(value(ValueReadings::Row::Int8, 0, Qt::AccessibleDescriptionRole), QString()) << "the first bytes are equal";
    child<QComboBox>("valuesByteOrder")->setCurrentIndex(1);
    EXPECT_EQ(value(ValueReadings::Row::UInt16, 1), QStringLiteral("0"));
    EXPECT_EQ(value(ValueReadings::Row::UInt32, 1), QStringLiteral("32831")) << "00 00 80 3F read from the high byte";
    at(62);
    EXPECT_EQ(value(ValueReadings::Row::UInt32, 1), QStringLiteral("—"));
    EXPECT_FALSE(value(ValueReadings::Row::UInt32, 1, Qt::ToolTipRole).isEmpty()) << "the reason";
    trigger("mnuEdit");
    focusCell(0x10);
    typeKeys(QStringLiteral("7F"));
    focusCell(0x11);
    at(0x10);
    EXPECT_EQ(value(ValueReadings::Row::UInt8, 1), QStringLiteral("127"));
    EXPECT_TRUE(value(ValueReadings::Row::UInt8, 1, Qt::AccessibleDescriptionRole).contains(QStringLiteral("не записано")));
    table->setFocus();
    QTest::qWait(150);
    EXPECT_EQ(value(ValueReadings::Row::UInt8, 1), QStringLiteral("127")) << "the cell the keyboard left is still told of";
    table->setCurrentIndex(table->model()->index(int(ValueReadings::Row::UInt8), 0));
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("uint8\t127 (не записано, отличается)\t0"))) << QGuiApplication::clipboard()->text().toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Ctrl+C there copies, not searches";
}

}  // namespace
