#pragma once

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ByteGrid.h"
#include "GridColors.h"
#include "HexCell.h"
#include "RecordingUiServices.h"
#include "TempDir.h"
#include "PairView.h"
#include "fCompBynF.h"

// Space-separated names, sorted, so that lists of controls compare in any order.
inline std::string names(const QString& list) {
    QStringList out = list.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    out.sort();
    return out.join(QLatin1Char(' ')).toStdString();
}

// A shown, active main window with scripted answers and a temporary folder, driven as a
// user would: menu actions by name, keys into the focused widget, clicks.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override { window.reset(); QApplication::processEvents(); }
    // A new window, as after starting the program again; the files in `dir` stay.
    void restart() {
        window.reset();
        ui.clear();
        window = std::make_unique<fCompBynF>(ui);
        if (assemble) assemble();
        if (screen) {
            window->setScreen(screen);
            window->move(screen->availableGeometry().topLeft());
        }
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QAction* action(const char* name) const {
        auto* a = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // As a click would: a disabled item does nothing.
    void trigger(const char* name) const {
        if (QAction* a = action(name); a && a->isEnabled()) a->trigger();
    }
    bool isChecked(const char* name) const { return action(name)->isChecked(); }
    bool isEnabled(const char* name) const { return action(name)->isEnabled(); }
    template <typename T = QWidget>
    T* child(const char* name) const {
        auto* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    // The texts of several labels, joined by '|'.
    QString labels(std::initializer_list<const char*> list) const {
        QStringList texts;
        for (const char* name : list) texts << label(name);
        return texts.join(QLatin1Char('|'));
    }
    QColor labelColor(const char* name) const { return child<QLabel>(name)->palette().color(QPalette::WindowText); }
    // The grid's cells as the user sees them; the one being edited, as its line edit shows it.
    ByteGrid& grid() const { return window->grid(); }
    HexCell* editorAt(int i) const { return grid().editor() && grid().editor()->index() == i ? grid().editor() : nullptr; }
    QString cellText(int i) const { return grid().cellText(i); }
    QString symbolText(int i) const { return grid().symbolText(i); }
    QString rowLabel(int r) const { return grid().rowText(r); }
    QColor textColor(int i) const {
        return editorAt(i) ? editorAt(i)->palette().color(QPalette::Active, QPalette::Text) : grid().cellForeground(i);
    }
    QColor baseColor(int i) const {
        return editorAt(i) ? editorAt(i)->palette().color(QPalette::Active, QPalette::Base) : grid().cellBackground(i);
    }
    QColor symbolBaseColor(int i) const { return grid().symbolBackground(i); }
    bool locked(int i) const { return grid().cellLocked(i); }
    QString selectedText(int i) const { return editorAt(i) ? editorAt(i)->selectedText() : QString(); }
    int focusedCell() const { return window->grid().focusedCell(); }
    // Clicks where the grid paints a cell or a character.
    void clickCell(int i) { QTest::mouseClick(&grid(), Qt::LeftButton, Qt::NoModifier, grid().cellPlace(i).center()); }
    void clickSymbol(int i) { QTest::mouseClick(&grid(), Qt::LeftButton, Qt::NoModifier, grid().symbolPlace(i).center()); }
    // The keyboard goes to a row address, out of the cells.
    void leaveGrid() { grid().focusRowAddress(0); }

    void openA(const QString& path) { ui.answerNextOpen(path); trigger("mnuLoadFileA"); }
    void openB(const QString& path) { ui.answerNextOpen(path); trigger("mnuLoadFileB"); }
    void view(int file) { QTest::mouseClick(child<QRadioButton>(file == 1 ? "knViweOne" : "knViweTwo"), Qt::LeftButton); }
    void focusCell(int i) { grid().focusCell(i, Qt::MouseFocusReason); QApplication::processEvents(); }
    // Into the focused control, or the window when nothing has the focus.
    void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), key, mods);
    }
    // One key per character as a keyboard layout sends it (key code and text), so Cyrillic
    // letters arrive as they would. The focus may move between characters.
    void typeKeys(const QString& text) {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
    }
    void editCell(int i, const QString& text) { focusCell(i); typeKeys(text); pressKey(Qt::Key_Return); }
    // Runs the menu command and plays `steps` on its modal dialog while it is shown.
    // Returns whether the dialog was still shown afterwards; it is then cancelled, so that
    // the command returns. The busy pointer must be back by then.
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
        EXPECT_TRUE(ran) << command << ": no dialog was shown";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy pointer stayed";
        QApplication::setActiveWindow(window.get());
        return stillOpen;
    }
    // Shows the screen holding `address` (type 0) or the block starting there (type -1), as
    // the go-to dialog does.
    void goTo(std::int64_t address, int type = 0) { window->subSearchAddr(address, type); }

    // A file whose screens all differ: the byte at a is (a * 7 + (a / 256) * 101 + 3) mod 256.
    static QByteArray screenBytes(qint64 size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 a = 0; a < size; ++a) bytes[a] = char((a * 7 + (a / 256) * 101 + 3) % 256);
        return bytes;
    }
    static QString byteText(int value) { return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper(); }
    // A sparse file of `size` bytes, all 00 but the last, 5A.
    QString sparse(const QString& name, qint64 size) const {
        QFile f(dir.path(name));
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size) || !f.seek(size - 1) || f.write("\x5A", 1) != 1)
            ADD_FAILURE() << "cannot make a sparse file of " << size << " bytes";
        return f.fileName();
    }

    // The screen shows `bytes` from `start` on: each cell its byte and character, both
    // empty past the end.
    ::testing::AssertionResult showsScreen(const QByteArray& bytes, qint64 start) const {
        for (int i = 0; i < GridGeometry::kCells; ++i) {
            const QString expected = start + i < bytes.size() ? byteText(quint8(bytes[start + i])) : QString();
            if (cellText(i) != expected || symbolText(i).isEmpty() != expected.isEmpty())
                return ::testing::AssertionFailure() << "cell " << i << " shows \"" << cellText(i).toStdString()
                                                     << "\", the byte is \"" << expected.toStdString() << "\"";
        }
        return ::testing::AssertionSuccess();
    }
    // Puts a file's modification time a day back, so that a write shows in its date label.
    static void ageFile(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite) ||
            !f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime))
            ADD_FAILURE() << "cannot set the time of " << path.toStdString();
    }
    // The size and date labels of file A (1) or B (2) show the file at `path` as it now is.
    ::testing::AssertionResult showsStampOf(int slot, const QString& path) const {
        const QFileInfo info(path);
        const QString expected = QStringLiteral("%1 byte|").arg(info.size()) +
                                 info.lastModified().toString(QStringLiteral("dd.MM.yyyy / HH:mm:ss"));
        const QString shown = slot == 1 ? labels({"lbSizeOne", "lbDateTime1"}) : labels({"lbSizeTwo", "lbDateTime2"});
        if (shown == expected) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "file " << slot << " shows \"" << shown.toStdString() << "\", the file is \""
                                             << expected.toStdString() << "\"";
    }
    // Exactly one message was shown since ui.clear(): this one, with an Ok button.
    ::testing::AssertionResult shownOnce(const QString& title, const QString& text,
                                         MessageIcon icon = MessageIcon::Critical) const {
        const bool same = ui.messages.size() == 1 && ui.messages[0].title == title && ui.messages[0].text == text &&
                          ui.messages[0].icon == icon && ui.messages[0].buttons == MessageButtons::Ok;
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << ui.messages.size() << " messages: "
                                             << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    }

    // Every menu command and button the user can choose now. The items of
    // "Сохранить как ..." count only while their submenu can be opened.
    std::string enabledControls() const {
        QString on;
        for (QAction* a : window->findChildren<QAction*>()) {
            const QString name = a->objectName();
            const bool saveItem = name == QLatin1String("mnuSaveBlock") || name == QLatin1String("mnuSaveFile") ||
                                  name == QLatin1String("mnuSaveNoByt");
            if (name.startsWith(QLatin1String("mnu")) && !name.endsWith(QLatin1String("Action")) && a->isEnabled() &&
                (!saveItem || isEnabled("mnuSaveList")))
                on += QLatin1Char(' ') + name;
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (b->objectName().startsWith(QLatin1String("kn")) && b->isEnabled()) on += QLatin1Char(' ') + b->objectName();
        return names(on);
    }
    // The cells whose text is drawn in `colour`.
    std::vector<int> cellsIn(const QColor& colour) const {
        std::vector<int> found;
        for (int i = 0; i < GridGeometry::kCells; ++i)
            if (textColor(i) == colour) found.push_back(i);
        return found;
    }

    // The window as right after start-up; the check mark of the DOS view is the user's.
    void expectNoFileState() const {
        EXPECT_TRUE(window->windowTitle().isEmpty()) << window->windowTitle().toStdString();
        EXPECT_TRUE(showsScreen(QByteArray(), 0));
        for (int r = 0; r < GridGeometry::kRows; ++r) EXPECT_EQ(rowLabel(r), byteText(r).rightJustified(6, '0'));
        EXPECT_EQ(enabledControls(), names("mnuNew mnuLoadFileA mnuExit mnuDOS mnuHelp mnuAbout"));
        EXPECT_FALSE(isChecked("mnuSynchro") || isChecked("mnuEdit"));
        EXPECT_FALSE(child<QRadioButton>("knViweOne")->isChecked() || child<QRadioButton>("knViweTwo")->isChecked());
        EXPECT_EQ(labels({"lbFileOne", "lbFileTwo", "lbSizeOne", "lbSizeTwo", "lbDateTime1", "lbDateTime2", "lbSynchro",
                          "lbInfo1", "lbInfo2", "lbInvers", "lbStatusBarText"}),
                  QStringLiteral("Не загружен|Не загружен|0 byte|0 byte|||||||1 из 1"));
        EXPECT_TRUE(labelColor("lbFile1") == GridColors::black() && labelColor("lbFile2") == GridColors::black());
        EXPECT_FALSE(child("lbOnlyRead")->isVisible() || child("lnOnlyRead")->isVisible());
        EXPECT_EQ(child<QProgressBar>("conProgressBar")->value(), 0) << "the position bar is empty";
    }

    RecordingUiServices ui;
    QScreen* screen = nullptr;  // where restart() opens the window; the primary screen if none
    std::function<void()> assemble;  // what restart() adds to a new window before showing it
    TempDir dir;
    std::unique_ptr<fCompBynF> window;
};
