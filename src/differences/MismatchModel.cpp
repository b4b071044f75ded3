#include "MismatchModel.h"

#include <algorithm>

#include "RowBytes.h"

void MismatchModel::restart(std::int64_t sizeA, std::int64_t sizeB, std::shared_ptr<const RunScanner::FilePair> files) {
    beginResetModel();
    files_ = std::move(files);
    shownRuns_ = int(runs_.kept());
    sizeA_ = sizeA;
    sizeB_ = sizeB;
    longer_.clear();
    endResetModel();
}

void MismatchModel::runsAdded() {
    const int kept = int(runs_.kept());
    if (kept <= shownRuns_) return;
    beginInsertRows({}, shownRuns_, kept - 1);
    shownRuns_ = kept;
    endInsertRows();
}

void MismatchModel::finish() {
    runsAdded();
    const QString longer = DifferenceText::longerFile(sizeA_, sizeB_);
    if (longer.isEmpty() || !longer_.isEmpty()) return;
    beginInsertRows({}, shownRuns_, shownRuns_);
    longer_ = longer;
    endInsertRows();
}

int MismatchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRuns_ + (longer_.isEmpty() ? 0 : 1);
}

QVariant MismatchModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::TextAlignmentRole))
        return {};
    if (index.row() >= shownRuns_) {
        if (role == Qt::TextAlignmentRole) return {};
        return index.column() == 0 ? QVariant(longer_) : QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(index.column() == LengthColumn ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    const RunList::KeptRun& run = runs_.at(index.row());
    switch (index.column()) {
    case AddressColumn:
        return DifferenceText::address(run.address, std::max(sizeA_, sizeB_));
    case LengthColumn:
        return QString::number(run.length);
    case BytesAColumn:
    case BytesBColumn:
    case TextAColumn:
    case TextBColumn: {
        const bool sideA = index.column() == BytesAColumn || index.column() == TextAColumn;
        const int fd = !files_ || files_->error() != 0 ? -1 : sideA ? files_->fdA() : files_->fdB();
        // Runs go by A's addresses; B's bytes compared with them may stand elsewhere.
        const std::int64_t at = sideA || !files_ ? run.address : run.address + files_->originB() - files_->originA();
        if (index.column() == BytesAColumn || index.column() == BytesBColumn) return RowBytes::hex(fd, at, run.length);
        return RowBytes::text(fd, at, run.length, dos_);
    }
    default:
        return {};
    }
}

void MismatchModel::setDos(bool dos) {
    if (dos == dos_) return;
    dos_ = dos;
    if (shownRuns_ > 0) {
        emit dataChanged(index(0, TextAColumn), index(shownRuns_ - 1, TextAColumn));
        emit dataChanged(index(0, TextBColumn), index(shownRuns_ - 1, TextBColumn));
    }
}

QString MismatchModel::rowLine(int row) const {
    if (row >= shownRuns_) return longer_;
    QString line = index(row, AddressColumn).data().toString() + QLatin1Char(' ') + index(row, LengthColumn).data().toString();
    for (int column : {BytesAColumn, BytesBColumn, TextAColumn, TextBColumn})
        line += QLatin1Char('\t') + index(row, column).data().toString();
    return line;
}

QVariant MismatchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case AddressColumn:
        return QStringLiteral("Адрес");
    case LengthColumn:
        return QStringLiteral("Длина");
    case BytesAColumn:
        return QStringLiteral("A");
    case BytesBColumn:
        return QStringLiteral("B");
    case TextAColumn:
        return QStringLiteral("Текст А");
    case TextBColumn:
        return QStringLiteral("Текст В");
    default:
        return {};
    }
}
