#include "ChangesModel.h"

#include <algorithm>

#include "FileLayer.h"
#include "FilePair.h"
#include "RunList.h"
#include "RunScanner.h"

void ChangesModel::restart(std::int64_t sizeA, std::int64_t sizeB, std::shared_ptr<const FilePair> files) {
    beginResetModel();
    files_ = std::move(files);
    sizeA_ = sizeA;
    sizeB_ = sizeB;
    shown_ = int(changes_.size());
    endResetModel();
}

void ChangesModel::changesAdded() {
    const int count = int(changes_.size());
    if (count <= shown_) return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

int ChangesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QString ChangesModel::kindText(const Change& change) {
    switch (change.kind()) {
    case Change::Kind::Insertion:
        return QStringLiteral("Вставка");
    case Change::Kind::Deletion:
        return QStringLiteral("Удаление");
    case Change::Kind::Replacement:
        break;
    }
    return QStringLiteral("Замена");
}

QVariant ChangesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return {};
    const bool number = index.column() == LengthAColumn || index.column() == LengthBColumn;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    const Change& change = changes_[std::size_t(index.row())];
    const std::int64_t widest = std::max(sizeA_, sizeB_);
    switch (index.column()) {
    case KindColumn:
        return kindText(change);
    case AddressAColumn:
        return DifferenceText::address(change.addressA, widest);
    case LengthAColumn:
        return QString::number(change.lengthA);
    case AddressBColumn:
        return DifferenceText::address(change.addressB, widest);
    case LengthBColumn:
        return QString::number(change.lengthB);
    case BytesAColumn:
    case BytesBColumn: {
        const bool sideA = index.column() == BytesAColumn;
        const std::int64_t length = sideA ? change.lengthA : change.lengthB;
        if (!files_ || files_->error() != 0 || length == 0) return QString();
        std::uint8_t bytes[RunScanner::kShownBytes];
        const std::int64_t got = FileLayer::pread(sideA ? files_->fdA() : files_->fdB(), bytes,
                                                  std::min<std::int64_t>(length, RunScanner::kShownBytes),
                                                  sideA ? change.addressA : change.addressB);
        return got > 0 ? DifferenceText::hexBytes(bytes, int(got)) : QString();
    }
    default:
        return {};
    }
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kHeaders[ColumnCount] = {"Изменение", "Адрес А", "Длина А", "Адрес В", "Длина В", "A", "B"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}
