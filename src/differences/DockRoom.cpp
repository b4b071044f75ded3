#include "DockRoom.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <climits>

void makeRoomFor(QMainWindow& window, QDockWidget& dock, const QTableView& table, int extraWidth) {
    for (const QDockWidget* other : window.tabifiedDockWidgets(&dock))
        if (other->isVisible()) return;
    // The last column stretches to whatever room there is; it needs as much as the one before.
    const int columns = table.model()->columnCount();
    const int bytesWidth = columns > 1 ? table.columnWidth(columns - 2) : 0;
    int wanted = extraWidth + 2 * table.frameWidth() + 24 + bytesWidth;
    for (int column = 0; column + 1 < columns; ++column) wanted += table.columnWidth(column);
    // Beside the form where the screen holds both with half of the last column at least; else
    // below it, and the form keeps its width (a large font or scale, a small screen).
    const QRect screen = window.screen() ? window.screen()->availableGeometry() : QRect(0, 0, INT_MAX, INT_MAX);
    const bool beside = window.width() + wanted - bytesWidth / 2 <= screen.width();
    const bool below = window.dockWidgetArea(&dock) == Qt::BottomDockWidgetArea;
    if (beside == below) window.addDockWidget(beside ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, &dock);
    if (window.isMaximized() || window.isFullScreen()) return;
    // Once the window has its new size: the list takes what was added (its table scrolls
    // when the screen had less to give), the form keeps its own.
    const int separator = window.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &window);
    const QSize size = beside ? QSize(std::min(window.width() + wanted, screen.width()), window.height())
                              : QSize(window.width(), std::min(window.height() + separator + dock.sizeHint().height(), screen.height()));
    const int added = beside ? std::max(size.width() - window.width() - separator, dock.minimumWidth())
                             : std::max(size.height() - window.height() - separator, dock.minimumHeight());
    window.resize(size);
    const Qt::Orientation grown = beside ? Qt::Horizontal : Qt::Vertical;
    QDockWidget* panel = &dock;
    QMainWindow* host = &window;
    if (added > 0) QTimer::singleShot(0, panel, [host, panel, added, grown] { host->resizeDocks({panel}, {added}, grown); });
}
