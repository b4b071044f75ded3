#pragma once

#include <QAbstractTableModel>

#include <array>

#include "ValueReadings.h"

// The table of "Значения под курсором": a row per reading of the bytes at the cursor
// (int8 … биты), a column per file after the row's label. A reading either file's bytes
// cannot give is "—" with its reason; rows whose values differ are marked, and so are the
// values read from edits not yet recorded.
class ValuesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LabelColumn, FileAColumn, FileBColumn, ColumnCount };

    explicit ValuesModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The bytes at the cursor in each file; `edited` has a bit per byte read from an edit
    // waiting to be recorded. A file with no cursor (none loaded) gives none.
    struct Side {
        ValueReadings::Bytes bytes;
        std::uint32_t edited = 0;
        bool present = false;
    };
    void show(const Side& a, const Side& b, ValueReadings::ByteOrder order, bool dos);

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ValueReadings::kRowCount; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The row's label, both values and what marks them, as one line.
    QString rowLine(int row) const;

private:
    struct Cell {
        ValueReadings::Reading reading;
        bool edited = false;  // read from an edit not yet recorded
    };
    // How many of the first bytes a row reads.
    static int width(ValueReadings::Row row);
    QString description(int row, int side) const;

    std::array<std::array<Cell, 2>, ValueReadings::kRowCount> cells_{};
    std::array<bool, ValueReadings::kRowCount> differ_{};
};
