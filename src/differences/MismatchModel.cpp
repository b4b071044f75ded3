#include "MismatchModel.h"

#include <algorithm>

#include "FileLayer.h"

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
    case BytesBColumn: {
        if (!files_ || files_->error() != 0) return {};
        std::uint8_t bytes[RunScanner::kShownBytes];
        const int fd = index.column() == BytesAColumn ? files_->fdA() : files_->fdB();
        const std::int64_t got =
            FileLayer::pread(fd, bytes, std::min<std::int64_t>(run.length, RunScanner::kShownBytes), run.address);
        return got > 0 ? DifferenceText::hexBytes(bytes, int(got)) : QString();
    }
    default:
        return {};
    }
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
    default:
        return {};
    }
}
