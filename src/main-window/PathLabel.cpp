#include "PathLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QStringLiteral("⏎"));
    for (QChar& ch : text)
        if (ch == QLatin1Char('\n') || ch == QLatin1Char('\r')) ch = QChar(0x23CE);
        else if (ch.category() == QChar::Other_Control) ch = QChar(0xFFFD);
    return text;
}

}  // namespace

QSize PathLabel::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right() + fontMetrics().horizontalAdvance(QStringLiteral("…")),
                 m.top() + m.bottom() + fontMetrics().height());
}

QSize PathLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right() + fontMetrics().horizontalAdvance(oneLine(text())),
                 m.top() + m.bottom() + fontMetrics().height());
}

QString PathLabel::shownText() const {
    return fontMetrics().elidedText(oneLine(text()), Qt::ElideMiddle, contentsRect().width());
}

bool PathLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), shownText(), foregroundRole());
}
