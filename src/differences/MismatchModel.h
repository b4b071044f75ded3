#pragma once

#include <QAbstractTableModel>

#include <memory>

#include "RunList.h"

// The rows of the list of differences: one per kept run ("Адрес", "Длина", and the first
// bytes of A and B in hexadecimal and as text), then, once the scan is over and the files
// differ in length, the row saying which is longer.
class MismatchModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { AddressColumn, LengthColumn, BytesAColumn, BytesBColumn, TextAColumn, TextBColumn, ColumnCount };

    explicit MismatchModel(const RunList& runs, QObject* parent = nullptr) : QAbstractTableModel(parent), runs_(runs) {}

    // The list was emptied (kept() is 0) and runs will come for files of these sizes;
    // the first bytes of the rows are read from `files`.
    void restart(std::int64_t sizeA, std::int64_t sizeB, std::shared_ptr<const RunScanner::FilePair> files = {});
    // The list has grown from `shownRuns` kept runs to runs.kept().
    void runsAdded();
    // The scan is over: the longer-file row appears.
    void finish();
    // The text columns show the DOS code page.
    void setDos(bool dos);
    // The row as the command line writes the run, its bytes and text after it; the row of
    // the longer file as it reads.
    QString rowLine(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const RunList& runs_;
    int shownRuns_ = 0;
    std::int64_t sizeA_ = 0, sizeB_ = 0;
    QString longer_;  // the last row's text, once shown
    std::shared_ptr<const RunScanner::FilePair> files_;
    bool dos_ = false;
};
