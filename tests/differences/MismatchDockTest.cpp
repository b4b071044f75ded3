// The list of differences, F6 and the status line, driven in the real window.
#include <QAccessible>
#include <QHeaderView>
#include <QTableView>

#include "BlockTransferCommands.h"
#include "DifferenceCommands.h"
#include "MainWindowHarness.h"
#include "MismatchDock.h"
#include "RangeCommands.h"
#include "frpFill.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpReplace.h"

namespace {

class DifferencesWindow : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        installRangeCommands(*window);
        installBlockTransferCommands(*window);
        dock = installDifferenceCommands(*window);
    }
    // A and B of `size` bytes differing in `runs`, B `extra` bytes longer; both loaded.
    void openPair(qint64 size, const std::vector<std::pair<qint64, qint64>>& runs, qint64 extra = 0) {
        a = screenBytes(size);
        b = a + QByteArray(extra, 'z');
        for (auto [address, length] : runs)
            for (qsizetype i = address; i < address + length; ++i) b[i] = char(~b[i]);
        pathA = dir.write(QStringLiteral("a.bin"), a);
        pathB = dir.write(QStringLiteral("b.bin"), b);
        openA(pathA);
        openB(pathB);
        view(1);
        ui.clear();
    }
    void makeList() {
        trigger("mnuMismatchList");
        for (int i = 0; i < 500 && dock->state() == MismatchDock::State::Scanning; ++i) QTest::qWait(10);
        ASSERT_EQ(dock->state(), MismatchDock::State::Complete);
    }
    QTableView* table() const { return child<QTableView>("mismatchTable"); }
    QString row(int r) const {
        QStringList cells;
        for (int c = 0; c < table()->model()->columnCount(); ++c) cells << table()->model()->index(r, c).data().toString();
        return cells.join(QLatin1Char('|'));
    }
    std::int64_t focusedAddress() const { return window->inView().screenStart + focusedCell(); }

    MismatchDock* dock = nullptr;
    QByteArray a, b;
    QString pathA, pathB;
};

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
    EXPECT_EQ(row(0), QStringLiteral("0000000|3|") + hex(a, 0, 3) + QLatin1Char('|') + hex(b, 0, 3));
    EXPECT_EQ(row(1), QStringLiteral("0001A35|20|") + hex(a, 0x1A35, 8) + QLatin1Char('|') + hex(b, 0x1A35, 8));
    EXPECT_EQ(row(3), QStringLiteral("Файл В длиннее на 3 байта|||"));
    EXPECT_EQ(label("mismatchSummary"),
              QStringLiteral("Всего участков: 3, различающихся байтов: 24. Совпадает 99,70 % байтов."));
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

TEST_F(DifferencesWindow, EveryCommandThatMayChangeBytesMarksTheListOutOfDate) {
    struct Case {
        const char* name;
        std::function<void()> command;
    };
    const std::vector<Case> cases = {
        {"Запись", [this] {
             trigger("mnuEdit");
             editCell(5, QStringLiteral("AA"));
             QTest::mouseClick(button("knRecord"), Qt::LeftButton);
         }},
        {"Заменить", [this] { play<frpReplace>("mnuReplace", [](frpReplace&) {}); }},
        {"Заполнить", [this] { play<frpFill>("mnuFill", [](frpFill&) {}); }},
        {"Загрузить блок", [this] { play<frpLoad>("mnuLoad", [](frpLoad&) {}); }},
        {"Создать файл", [this] { play<frpNew>("mnuNew", [](frpNew&) {}); }},
        {"Обновить", [this] { trigger("mnuRefresh"); }},
        {"Закрыть файл В", [this] { trigger("mnuDelFileB"); }},
        {"Открыть файла B", [this] { openB(pathA); }},
        // Another program writes; the next redraw finds it.
        {"a write from outside", [this] {
             QFile f(pathB);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.seek(600);
             f.write("\x01\x02", 2);
             f.close();
             pressKey(Qt::Key_PageDown);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        openPair(4096, {{100, 4}});
        if (std::string(c.name) != "Запись") trigger("mnuEdit");  // the write commands need it
        makeList();
        focusCell(0);
        c.command();
        QApplication::processEvents();
        EXPECT_EQ(dock->state(), MismatchDock::State::OutOfDate);
        EXPECT_EQ(table()->model()->rowCount(), 0) << "no row that may no longer hold";
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

TEST_F(DifferencesWindow, F6AndShiftF6WalkTheRunsWithAndWithoutTheList) {
    for (const bool withList : {false, true}) {
        SCOPED_TRACE(withList ? "through the list" : "by scanning");
        SetUp();
        openPair(3 * 1024 * 1024, {{0, 2}, {1024 * 1024 - 1, 2}, {3 * 1024 * 1024 - 1, 1}}, 3);
        if (withList) makeList();
        focusCell(0);  // on the first run
        std::vector<std::int64_t> visited;
        for (int i = 0; i < 2; ++i) {
            pressKey(Qt::Key_F6);
            visited.push_back(focusedAddress());
        }
        EXPECT_EQ(visited, (std::vector<std::int64_t>{1024 * 1024 - 1, 3 * 1024 * 1024 - 1}));
        EXPECT_TRUE(ui.messages.empty());
        pressKey(Qt::Key_F6);  // past the last run
        EXPECT_TRUE(shownOnce(QStringLiteral("Сообщение"), QStringLiteral("Больше несовпадений нет.\nФайл В длиннее на 3 байта."),
                              MessageIcon::Information));
        EXPECT_EQ(focusedAddress(), 3 * 1024 * 1024 - 1);
        ui.clear();
        visited.clear();
        for (int i = 0; i < 2; ++i) {
            pressKey(Qt::Key_F6, Qt::ShiftModifier);
            visited.push_back(focusedAddress());
        }
        EXPECT_EQ(visited, (std::vector<std::int64_t>{1024 * 1024 - 1, 0}));
        pressKey(Qt::Key_F6, Qt::ShiftModifier);  // before the first run
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(focusedAddress(), 0);
    }
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
    ASSERT_EQ(dock->state(), MismatchDock::State::Scanning);
    EXPECT_TRUE(button("mismatchStop")->isVisible());
    pressKey(Qt::Key_PageDown);  // the window pages while the scan runs
    EXPECT_EQ(window->screenStartOne(), 256);
    QTest::mouseClick(button("mismatchStop"), Qt::LeftButton);
    EXPECT_EQ(dock->state(), MismatchDock::State::Stopped);
    EXPECT_TRUE(label("mismatchSummary").startsWith(QStringLiteral("Остановлено на адресе ")));
}

}  // namespace
