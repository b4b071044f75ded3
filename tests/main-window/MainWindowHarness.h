#pragma once

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "ByteGrid.h"
#include "GridColors.h"
#include "HexCell.h"
#include "RecordingUiServices.h"
#include "SymbolCell.h"
#include "TempDir.h"
#include "fCompBynF.h"

// A shown, active main window with scripted answers and a temporary folder, driven as a
// user would: menu actions by name, keys into the focused widget, clicks.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<fCompBynF>(ui);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        window.reset();
        QApplication::processEvents();
    }

    QAction* action(const char* name) const {
        auto* a = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // Triggers a menu item as a click would; a disabled item does nothing.
    void trigger(const char* name) const {
        QAction* a = action(name);
        if (a && a->isEnabled()) a->trigger();
    }
    template <typename T>
    T* child(const QString& name) const {
        auto* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    HexCell* cell(int i) const { return window->grid().cell(i); }
    SymbolCell* symbol(int i) const { return window->grid().symbol(i); }
    QString cellText(int i) const { return cell(i)->text(); }
    QString label(const char* name) const { return child<QLabel>(QString::fromLatin1(name))->text(); }
    QString rowLabel(int r) const { return window->grid().rowAddress(r)->text(); }
    QPushButton* button(const char* name) const { return child<QPushButton>(QString::fromLatin1(name)); }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(QString::fromLatin1(name)); }

    void openA(const QString& path) {
        ui.answerNextOpen(path);
        trigger("mnuLoadFileA");
    }
    void openB(const QString& path) {
        ui.answerNextOpen(path);
        trigger("mnuLoadFileB");
    }
    // Focus a cell as a click would, then type into it.
    void focusCell(int i) {
        cell(i)->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void typeIntoFocused(const QString& text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    int focusedCell() const { return window->grid().focusedCell(); }

    // Types `text` into whatever has the focus, one key per character, as a keyboard
    // layout sends it (key code and text), so Cyrillic letters arrive as they would.
    // The focus may move between characters.
    void typeKeys(const QString& text) {
        for (QChar ch : text) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                                Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
        }
    }
    // Focuses cell i, types `text` over it and leaves it with Enter.
    void editCell(int i, const QString& text) {
        focusCell(i);
        typeKeys(text);
        pressKey(Qt::Key_Return);
    }

    // What the user sees of a hex cell: its text colour and its background.
    QColor textColor(int i) const { return cell(i)->palette().color(QPalette::Text); }
    QColor baseColor(int i) const { return cell(i)->palette().color(QPalette::Base); }

    // A file whose screens all differ (the pattern file repeats every 256 bytes): the
    // byte at address a is (a * 7 + (a / 256) * 101 + 3) mod 256.
    static QByteArray screenBytes(qint64 size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 a = 0; a < size; ++a) bytes[a] = char((a * 7 + (a / 256) * 101 + 3) % 256);
        return bytes;
    }
    static QString byteText(int value) {
        return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    // The screen shows `bytes` from `start` on: each cell its byte, empty past the end.
    ::testing::AssertionResult showsScreen(const QByteArray& bytes, qint64 start) const {
        for (int i = 0; i < GridGeometry::kCells; ++i) {
            const qint64 a = start + i;
            const QString expected =
                a < bytes.size() ? byteText(static_cast<unsigned char>(bytes[a])) : QString();
            if (cellText(i) != expected) {
                return ::testing::AssertionFailure()
                       << "cell " << i << " shows \"" << cellText(i).toStdString()
                       << "\", the byte at " << a << " is \"" << expected.toStdString() << "\"";
            }
        }
        return ::testing::AssertionSuccess();
    }

    // Enabled state of every named menu command and button of the window.
    std::map<QString, bool> enabledControls() const {
        std::map<QString, bool> states;
        for (QAction* a : window->findChildren<QAction*>()) {
            const QString name = a->objectName();
            if (name.startsWith(QLatin1String("mnu")) && !name.endsWith(QLatin1String("Action")))
                states[name] = a->isEnabled();
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
            if (b->objectName().startsWith(QLatin1String("kn"))) states[b->objectName()] = b->isEnabled();
        }
        return states;
    }
    // Names whose enabled state differs between two snapshots, as "+name" (enabled since)
    // and "-name" (disabled since), sorted.
    static QStringList enabledChanges(const std::map<QString, bool>& before,
                                      const std::map<QString, bool>& after) {
        QStringList changes;
        for (const auto& [name, on] : after) {
            auto it = before.find(name);
            if (it == before.end() || it->second != on)
                changes << (on ? QStringLiteral("+") : QStringLiteral("-")) + name;
        }
        changes.sort();
        return changes;
    }
    QStringList enabledNames() const {
        QStringList names;
        for (const auto& [name, on] : enabledControls())
            if (on) names << name;
        return names;
    }


    // Every command of the menu tree, by objectName.
    static QStringList commandNames() {
        return {QStringLiteral("mnuNew"),       QStringLiteral("mnuLoadFileA"), QStringLiteral("mnuLoadFileB"),
                QStringLiteral("mnuLoad"),      QStringLiteral("mnuSave"),      QStringLiteral("mnuSaveList"),
                QStringLiteral("mnuSaveBlock"), QStringLiteral("mnuSaveFile"),  QStringLiteral("mnuSaveNoByt"),
                QStringLiteral("mnuDelFileB"),  QStringLiteral("mnuDelAll"),    QStringLiteral("mnuExit"),
                QStringLiteral("mnuRec"),       QStringLiteral("mnuCanscel"),   QStringLiteral("mnuReplace"),
                QStringLiteral("mnuFill"),      QStringLiteral("mnuRefresh"),   QStringLiteral("mnuNext"),
                QStringLiteral("mnuSearch"),    QStringLiteral("mnuChSearch"),  QStringLiteral("mnuSynchro"),
                QStringLiteral("mnuEdit"),      QStringLiteral("mnuDOS"),       QStringLiteral("mnuHelp"),
                QStringLiteral("mnuAbout")};
    }
    // The commands of commandNames() that can be chosen now, in that order. The items of
    // "Сохранить как ..." count as enabled only while their submenu can be opened.
    QStringList enabledCommands() const {
        const QAction* saveList = action("mnuSaveList");
        QStringList on;
        for (const QString& name : commandNames()) {
            const QAction* a = action(name.toLatin1().constData());
            bool enabled = a && a->isEnabled();
            if (name == QLatin1String("mnuSaveBlock") || name == QLatin1String("mnuSaveFile") ||
                name == QLatin1String("mnuSaveNoByt"))
                enabled = enabled && saveList && saveList->isEnabled();
            if (enabled) on << name;
        }
        return on;
    }
    bool isChecked(const char* name) const { return action(name) && action(name)->isChecked(); }
    bool isEnabled(const char* name) const { return action(name) && action(name)->isEnabled(); }
    QColor labelColor(const char* name) const {
        return child<QLabel>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
    }
    // What the user sees as the text colour of a hex cell.
    QColor cellColor(int i) const { return cell(i)->palette().color(QPalette::Active, QPalette::Text); }
    // The cells drawn dark red on the screen.
    std::vector<int> darkRedCells() const {
        std::vector<int> red;
        for (int i = 0; i < GridGeometry::kCells; ++i)
            if (cellColor(i) == GridColors::darkRed()) red.push_back(i);
        return red;
    }
    // PageUp / PageDown as the user presses them: into the focused control, or the window.
    void pageKey(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), key);
    }
    // Shows the screen holding `address` as the go-to dialog does.
    void goToAddress(std::int64_t address) { window->subSearchAddr(address, 0); }


    // The window as it is right after start-up (and after "Закрыть Всё"); the check mark
    // of "Формат файла - DOS" is the user's and is not looked at.
    void expectNoFileState() const {
        EXPECT_TRUE(window->windowTitle().isEmpty()) << window->windowTitle().toStdString();
        int filledCells = 0;
        int filledSymbols = 0;
        for (int i = 0; i < GridGeometry::kCells; ++i) {
            filledCells += !cell(i)->text().isEmpty();
            filledSymbols += !symbol(i)->text().isEmpty();
        }
        EXPECT_EQ(filledCells, 0);
        EXPECT_EQ(filledSymbols, 0);
        for (int r = 0; r < GridGeometry::kRows; ++r)
            EXPECT_EQ(rowLabel(r), QStringLiteral("%1").arg(r, 6, 16, QLatin1Char('0')).toUpper());
        EXPECT_EQ(enabledCommands(),
                  (QStringList{QStringLiteral("mnuNew"), QStringLiteral("mnuLoadFileA"),
                               QStringLiteral("mnuExit"), QStringLiteral("mnuDOS"),
                               QStringLiteral("mnuHelp"), QStringLiteral("mnuAbout")}));
        EXPECT_FALSE(isChecked("mnuSynchro"));
        EXPECT_FALSE(isChecked("mnuEdit"));
        for (const char* name : {"knUp", "knDown", "knNextScreen", "knRecord"})
            EXPECT_FALSE(button(name)->isEnabled()) << name;
        for (const char* name : {"knViweOne", "knViweTwo"}) {
            EXPECT_FALSE(radio(name)->isEnabled()) << name;
            EXPECT_FALSE(radio(name)->isChecked()) << name;
        }
        for (const char* name : {"lbFileOne", "lbFileTwo"})
            EXPECT_EQ(label(name), QStringLiteral("Не загружен")) << name;
        for (const char* name : {"lbSizeOne", "lbSizeTwo"})
            EXPECT_EQ(label(name), QStringLiteral("0 byte")) << name;
        for (const char* name : {"lbDateTime1", "lbDateTime2", "lbSynchro", "lbInfo1", "lbInfo2", "lbInvers"})
            EXPECT_TRUE(label(name).isEmpty()) << name << ": " << label(name).toStdString();
        EXPECT_EQ(label("lbStatusBarText"), QStringLiteral("1 из 1"));
        EXPECT_EQ(labelColor("lbFile1"), GridColors::black());
        EXPECT_EQ(labelColor("lbFile2"), GridColors::black());
        EXPECT_FALSE(child<QLabel>(QStringLiteral("lbOnlyRead"))->isVisible());
        EXPECT_FALSE(child<QWidget>(QStringLiteral("lnOnlyRead"))->isVisible());
    }

    RecordingUiServices ui;
    TempDir dir;
    std::unique_ptr<fCompBynF> window;
};
