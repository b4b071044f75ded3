#pragma once

#include <QTableView>

class QAbstractItemModel;

// The list's table. One Tab stop: the arrows move inside it. Its rows and columns take
// fixed sizes from its font, so that a million rows are never measured, and take them
// again when the font changes.
class MismatchTable : public QTableView {
    Q_OBJECT

public:
    MismatchTable(QAbstractItemModel* model, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitFont();
};
