#include "MismatchTable.h"

#include <QEvent>
#include <QHeaderView>

#include "MismatchModel.h"

MismatchTable::MismatchTable(QAbstractItemModel* model, QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("mismatchTable"));
    setAccessibleName(QStringLiteral("Список несовпадений"));
    setModel(model);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(true);
    fitFont();
}

void MismatchTable::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitFont();
}

void MismatchTable::fitFont() {
    const QFontMetrics metrics = fontMetrics();
    verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    setColumnWidth(MismatchModel::AddressColumn, metrics.horizontalAdvance(QStringLiteral("000000000")) + padding);
    setColumnWidth(MismatchModel::LengthColumn, metrics.horizontalAdvance(QStringLiteral("Длина")) + padding);
    setColumnWidth(MismatchModel::BytesAColumn, metrics.horizontalAdvance(QStringLiteral("DD DD DD DD DD DD DD DD")) + padding);
}
