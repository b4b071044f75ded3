#include "ChangesModel.h"

#include <algorithm>

#include "FilePair.h"
#include "RowBytes.h"
#include "RunList.h"

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
    case BytesBColumn:
    case TextAColumn:
    case TextBColumn: {
        const bool sideA = index.column() == BytesAColumn || index.column() == TextAColumn;
        const std::int64_t length = sideA ? change.lengthA : change.lengthB;
        const std::int64_t address = sideA ? change.addressA : change.addressB;
        const int fd = !files_ || files_->error() != 0 ? -1 : sideA ? files_->fdA() : files_->fdB();
        if (index.column() == BytesAColumn || index.column() == BytesBColumn) return RowBytes::hex(fd, address, length);
        return RowBytes::text(fd, address, length, dos_);
    }
    default:
        return {};
    }
}

void ChangesModel::setDos(bool dos) {
    if (dos == dos_) return;
    dos_ = dos;
    if (shown_ > 0) {
        emit dataChanged(index(0, TextAColumn), index(shown_ - 1, TextAColumn));
        emit dataChanged(index(0, TextBColumn), index(shown_ - 1, TextBColumn));
    }
}

QString ChangesModel::rowLine(int row) const {
    QStringList fields;
    for (int column : {AddressAColumn, LengthAColumn, AddressBColumn, LengthBColumn})
        fields << index(row, column).data().toString();
    QString line = fields.join(QLatin1Char(' '));
    for (int column : {BytesAColumn, BytesBColumn, TextAColumn, TextBColumn})
        line += QLatin1Char('\t') + index(row, column).data().toString();
    return line;
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kHeaders[ColumnCount] = {"Изменение", "Адрес А", "Длина А", "Адрес В", "Длина В",
                                                      "A", "B", "Текст А", "Текст В"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}
