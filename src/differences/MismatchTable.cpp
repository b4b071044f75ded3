#include "MismatchTable.h"

#include <QEvent>
#include <QHeaderView>


MismatchTable::MismatchTable(QAbstractItemModel* model, QWidget* parent)
    : MismatchTable(model, QStringLiteral("mismatchTable"), QStringLiteral("Список несовпадений"),
                    {QStringLiteral("000000000"), QStringLiteral("Длина"), QStringLiteral("DD DD DD DD DD DD DD DD"),
                     QStringLiteral("DD DD DD DD DD DD DD DD"), textSample()},
                    parent) {}

QString MismatchTable::textSample() { return QStringLiteral("ОТКРЫТЬ ФАЙЛ...."); }

MismatchTable::MismatchTable(QAbstractItemModel* model, const QString& objectName, const QString& name,
                             const QStringList& samples, QWidget* parent)
    : QTableView(parent), samples_(samples) {
    setObjectName(objectName);
    setAccessibleName(name);
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
    for (int column = 0; column < samples_.size(); ++column)
        setColumnWidth(column, metrics.horizontalAdvance(samples_[column]) + padding);
}
