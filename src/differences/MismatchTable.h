#pragma once

#include <QStringList>
#include <QTableView>

class QAbstractItemModel;

// A table of the difference lists. One Tab stop: the arrows move inside it. Its rows and
// columns take fixed sizes from its font, so that a million rows are never measured, and
// take them again when the font changes.
class MismatchTable : public QTableView {
    Q_OBJECT

public:
    // The list of runs.
    MismatchTable(QAbstractItemModel* model, QWidget* parent);
    // Another list: `name` for tests and screen readers; every column but the last (which
    // stretches) as wide as its sample text.
    MismatchTable(QAbstractItemModel* model, const QString& objectName, const QString& name, const QStringList& samples,
                  QWidget* parent);

    // How wide a column of a row's text is made: as wide as this.
    static QString textSample();

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitFont();
    QStringList samples_;
};
