#pragma once

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

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

    RecordingUiServices ui;
    TempDir dir;
    std::unique_ptr<fCompBynF> window;
};
