#include "HexCell.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "CodePage.h"
#include "GridColors.h"

HexCell::HexCell(int index, QWidget* parent)
    : QLineEdit(parent), index_(index), foreground_(GridColors::black()),
      background_(GridColors::buttonFace()) {
    setObjectName(QStringLiteral("plByt0_%1").arg(index));
    setMaxLength(2);
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setText(QStringLiteral("00"));
    applyPalette();
}

void HexCell::applyPalette() {
    QPalette p = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Text, foreground_);
        p.setColor(g, QPalette::Base, background_);
    }
    setPalette(p);
}

void HexCell::setForeground(const QColor& color) {
    if (color == foreground_) return;
    foreground_ = color;
    applyPalette();
}

void HexCell::setBackground(const QColor& color) {
    if (color == background_) return;
    background_ = color;
    applyPalette();
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
    if (onFocusIn) onFocusIn(index_);
}

void HexCell::focusOutEvent(QFocusEvent* event) {
    focusByMouse_ = false;
    QLineEdit::focusOutEvent(event);
    if (onFocusOut) onFocusOut(index_);
}

void HexCell::mousePressEvent(QMouseEvent* event) {
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

void HexCell::keyPressEvent(QKeyEvent* event) {
    int keyAscii = -1;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        keyAscii = 13;
    else if (!event->text().isEmpty() && !(event->modifiers() & Qt::ControlModifier))
        keyAscii = CodePage::ansiCode(event->text().at(0));
    if (keyAscii >= 0 && onKeyPress && onKeyPress(index_, keyAscii)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
