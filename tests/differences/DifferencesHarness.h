#pragma once

#include <QTableView>

#include "BlockTransferCommands.h"
#include "DifferenceCommands.h"
#include "DifferenceIndex.h"
#include "DumpCommands.h"
#include "MainWindowHarness.h"
#include "MismatchDock.h"
#include "PatchCommand.h"
#include "RangeCommands.h"

// The whole window as the program puts it together: the range and block dialogs, the list
// of differences and its map.
class DifferencesWindow : public MainWindowTest {
protected:
    // Put together before it is shown, as the program does.
    void SetUp() override {
        assemble = [this] {
            installRangeCommands(*window);
            installBlockTransferCommands(*window);
            installDumpCommands(*window);
            dock = installDifferenceCommands(*window);
            installPatchCommand(*window);
        };
        MainWindowTest::SetUp();
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
    DifferenceIndex& index() const { return window->view().differences(); }
    void makeList() {
        trigger("mnuMismatchList");
        for (int i = 0; i < 500 && index().state() == DifferenceIndex::State::Scanning; ++i) QTest::qWait(10);
        ASSERT_EQ(index().state(), DifferenceIndex::State::Complete);
    }
    // F6 or Shift+F6, and the answer, which may come from a worker.
    void step(bool forward) {
        pressKey(Qt::Key_F6, forward ? Qt::NoModifier : Qt::ShiftModifier);
        for (int i = 0; i < 500 && index().seeking(); ++i) QTest::qWait(5);
        ASSERT_FALSE(index().seeking());
    }
    // Types into a field as the user would after moving to it.
    static void enter(QLineEdit* field, const QString& text) {
        field->setFocus(Qt::TabFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    QTableView* table() const { return child<QTableView>("mismatchTable"); }
    QString row(int r) const {
        QStringList cells;
        for (int c = 0; c < table()->model()->columnCount(); ++c) cells << table()->model()->index(r, c).data().toString();
        return cells.join(QLatin1Char('|'));
    }
    std::int64_t focusedAddress() const { return window->view().screenStart(window->view().intShowFile()) + focusedCell(); }

    MismatchDock* dock = nullptr;
    QByteArray a, b;
    QString pathA, pathB;
};
