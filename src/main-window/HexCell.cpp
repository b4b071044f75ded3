#include "HexCell.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ByteGrid.h"
#include "CodePage.h"

HexCell::HexCell(ByteGrid* grid) : QLineEdit(grid), grid_(grid) {
    setMaxLength(2);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HexCell::moveTo(int index, const QString& text, const QRect& place) {
    if (index != index_) {
        index_ = index;
        setObjectName(QStringLiteral("plByt0_%1").arg(index));
    }
    if (text != QLineEdit::text()) setText(text);
    setGeometry(place);
}

void HexCell::setColors(const QColor& foreground, const QColor& background) {
    if (foreground == foreground_ && background == background_) return;
    foreground_ = foreground;
    background_ = background;
    QPalette p = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Text, foreground);
        p.setColor(g, QPalette::Base, background);
    }
    setPalette(p);
}

void HexCell::setCellText(const QString& text) {
    if (text == this->text()) return;
    setText(text);
    // Replaced under the focus, the cell keeps the selection it was entered with, so
    // typing still replaces the byte.
    if (hasFocus()) selectOnEntry(entrySelection_);
}

void HexCell::selectOnEntry(int length) {
    entrySelection_ = length;
    if (length > 0)
        setSelection(0, length);
    else {
        deselect();
        setCursorPosition(0);
    }
}

void HexCell::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    focusByMouse_ = event->reason() == Qt::MouseFocusReason;
    grid_->editorEntered();
}

void HexCell::focusOutEvent(QFocusEvent* event) {
    focusByMouse_ = false;
    QLineEdit::focusOutEvent(event);
    // The window judges the text while the cell still edits it.
    grid_->editorLeft();
}

void HexCell::mousePressEvent(QMouseEvent* event) {
    if (!hasFocus() && focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    QLineEdit::mousePressEvent(event);
    if (focusByMouse_) selectOnEntry(entrySelection_);
}

void HexCell::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (focusByMouse_) {
        selectOnEntry(entrySelection_);
        focusByMouse_ = false;
    }
}

// Up and Down walk the grid by rows as "K" and "M" do; Left and Right move the caret and,
// at the cell's edge, walk on as "," and "." do. Both go through the same checks.
int HexCell::arrowAsKey(const QKeyEvent* event) const {
    if (event->modifiers() & ~Qt::KeypadModifier) return -1;
    const bool whole = hasSelectedText() && selectedText().size() == text().size();
    switch (event->key()) {
    case Qt::Key_Up: return 75;
    case Qt::Key_Down: return 77;
    case Qt::Key_Left: return whole || (!hasSelectedText() && cursorPosition() == 0) ? 44 : -1;
    case Qt::Key_Right: return whole || (!hasSelectedText() && cursorPosition() == text().size()) ? 46 : -1;
    default: return -1;
    }
}

void HexCell::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier) {
        grid_->copyFocusedByte();
        event->accept();
        return;
    }
    int keyAscii = arrowAsKey(event);
    if (keyAscii < 0 && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        keyAscii = 13;
    else if (keyAscii < 0 && !event->text().isEmpty() && !(event->modifiers() & Qt::ControlModifier))
        keyAscii = CodePage::ansiCode(event->text().at(0));
    if (keyAscii >= 0 && grid_->onCellKey && grid_->onCellKey(index_, keyAscii)) {
        event->accept();
        return;
    }
    pressedKey_ = event->key();
    QLineEdit::keyPressEvent(event);
}

void HexCell::keyReleaseEvent(QKeyEvent* event) {
    // The release of a key the window took (PageDown, F6): the line edit would only show its
    // caret again, a paint of the cell for each key.
    if (event->key() != pressedKey_) {
        event->ignore();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}
