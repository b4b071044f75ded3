#pragma once

#include <QAbstractTableModel>

#include <memory>
#include <vector>

#include "ChangeScript.h"

class FilePair;

// The rows of the list of changes: what changed ("Замена", "Вставка", "Удаление"), where
// and how long in A and in B, and the first bytes of each side in hexadecimal and as text,
// read from the files the script is of when a row is shown.
class ChangesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        KindColumn, AddressAColumn, LengthAColumn, AddressBColumn, LengthBColumn,
        BytesAColumn, BytesBColumn, TextAColumn, TextBColumn, ColumnCount
    };

    explicit ChangesModel(const std::vector<Change>& changes, QObject* parent = nullptr)
        : QAbstractTableModel(parent), changes_(changes) {}

    // The script was emptied and will grow again, for files of these sizes.
    void restart(std::int64_t sizeA, std::int64_t sizeB, std::shared_ptr<const FilePair> files);
    // The script has grown.
    void changesAdded();
    // The text columns show the DOS code page.
    void setDos(bool dos);
    // The row as the command line writes the change, its bytes and text after it.
    QString rowLine(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString kindText(const Change& change);

private:
    const std::vector<Change>& changes_;
    int shown_ = 0;
    std::int64_t sizeA_ = 0, sizeB_ = 0;
    std::shared_ptr<const FilePair> files_;
    bool dos_ = false;
};
