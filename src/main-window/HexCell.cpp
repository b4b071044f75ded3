#include "HexCell.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ByteGrid.h"
#include "CodePage.h"
#include "GridAccessibility.h"
#include "GridColors.h"

HexCell::HexCell(int index, ByteGrid* grid)
    : QLineEdit(grid), grid_(grid), index_(index), text_(QStringLiteral("00")),
      foreground_(GridColors::black()), background_(GridColors::buttonFace()) {
    setObjectName(QStringLiteral("plByt0_%1").arg(index));
    setMaxLength(2);
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    QLineEdit::setText(text_);
    applyPalette();
}

QPalette HexCell::palette() const {
    QPalette p = QLineEdit::palette();
    if (editing_) return p;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Text, foreground_);
        p.setColor(g, QPalette::Base, background_);
    }
    return p;
}

void HexCell::applyPalette() {
    QPalette p = QLineEdit::palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Text, foreground_);
        p.setColor(g, QPalette::Base, background_);
    }
    setPalette(p);
}

// A parked cell is drawn by the grid; the editor draws itself.
void HexCell::changed() {
    if (editing_)
        applyPalette();
    else
        grid_->cellChanged();
}

void HexCell::setForeground(const QColor& color) {
    if (color == foreground_) return;
    foreground_ = color;
    changed();
}

void HexCell::setBackground(const QColor& color) {
    if (color == background_) return;
    background_ = color;
    changed();
}

void HexCell::setText(const QString& text) {
    if (editing_) {
        QLineEdit::setText(text);
        return;
    }
    if (text == text_) return;
    const QString before = text_;
    text_ = text;
    grid_->cellChanged();
    GridAccessibility::textChanged(this, before, text_);
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
    if (!editing_) return;
    if (length > 0)
        setSelection(0, length);
    else {
        deselect();
        setCursorPosition(0);
    }
}

void HexCell::setPlace(const QRect& place) {
    place_ = place;
    setGeometry(editing_ ? place_ : QRect(place_.topLeft(), QSize(0, 0)));
}

void HexCell::focusInEvent(QFocusEvent* event) {
    if (!editing_) {
        editing_ = true;
        QLineEdit::setText(text_);
        applyPalette();
        setGeometry(place_);
    }
    QLineEdit::focusInEvent(event);
    focusByMouse_ = event->reason() == Qt::MouseFocusReason;
    if (onFocusIn) onFocusIn(index_);
}

void HexCell::focusOutEvent(QFocusEvent* event) {
    focusByMouse_ = false;
    QLineEdit::focusOutEvent(event);
    // The window judges the text while the cell still edits it.
    if (onFocusOut) onFocusOut(index_);
    if (editing_ && !hasFocus()) {
        text_ = QLineEdit::text();
        editing_ = false;
        setGeometry(QRect(place_.topLeft(), QSize(0, 0)));
        grid_->cellChanged();
    }
}

void HexCell::mousePressEvent(QMouseEvent* event) {
    // Parked, the cell has no room for the application to see the click land in it.
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
    if (keyAscii >= 0 && onKeyPress && onKeyPress(index_, keyAscii)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
