#include "ValuesModel.h"

#include <QColor>

#include "GridColors.h"

using ValueReadings::Row;

int ValuesModel::width(Row row) {
    switch (row) {
    case Row::Int8: case Row::UInt8: case Row::Character: case Row::Bits: return 1;
    case Row::Int16: case Row::UInt16: return 2;
    case Row::Int32: case Row::UInt32: case Row::Float32: case Row::UnixTime32: case Row::DosDateTime: return 4;
    case Row::Utf8: return 4;
    case Row::Int64: case Row::UInt64: case Row::Float64: case Row::UnixTime64: case Row::FileTime: return 8;
    }
    return 8;
}

void ValuesModel::show(const Side& a, const Side& b, ValueReadings::ByteOrder order, bool dos) {
    for (int r = 0; r < ValueReadings::kRowCount; ++r) {
        const Row row = Row(r);
        const std::uint32_t mask = (1u << width(row)) - 1;
        int s = 0;
        for (const Side* side : {&a, &b}) {
            Cell& cell = cells_[std::size_t(r)][std::size_t(s++)];
            cell.reading = side->present ? ValueReadings::read(row, side->bytes, order, dos) : ValueReadings::Reading{};
            cell.edited = side->present && (side->edited & mask) != 0 && cell.reading.value.has_value();
        }
        differ_[std::size_t(r)] = a.present && b.present &&
                                  ValueReadings::differ(cells_[std::size_t(r)][0].reading, cells_[std::size_t(r)][1].reading);
    }
    emit dataChanged(index(0, FileAColumn), index(ValueReadings::kRowCount - 1, FileBColumn));
}

QString ValuesModel::description(int row, int side) const {
    const Cell& cell = cells_[std::size_t(row)][std::size_t(side)];
    QStringList parts;
    if (!cell.reading.reason.isEmpty()) parts << cell.reading.reason;
    if (cell.edited) parts << QStringLiteral("не записано");
    if (differ_[std::size_t(row)]) parts << QStringLiteral("отличается");
    return parts.join(QStringLiteral(", "));
}

QVariant ValuesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    if (index.column() == LabelColumn) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return ValueReadings::label(Row(row));
        if (role == Qt::AccessibleDescriptionRole && differ_[std::size_t(row)]) return QStringLiteral("отличается");
        if (role == Qt::ForegroundRole && differ_[std::size_t(row)]) return GridColors::darkRed();
        return {};
    }
    const int side = index.column() == FileAColumn ? 0 : 1;
    const Cell& cell = cells_[std::size_t(row)][std::size_t(side)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cell.reading.text;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return description(row, side);
    case Qt::ForegroundRole:
        // An edit not yet recorded is blue, as in its cell; a difference dark red.
        if (cell.edited) return GridColors::blue();
        if (differ_[std::size_t(row)]) return GridColors::darkRed();
        return {};
    default:
        return {};
    }
}

QVariant ValuesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case LabelColumn: return QStringLiteral("Значение");
    case FileAColumn: return QStringLiteral("Файл А");
    case FileBColumn: return QStringLiteral("Файл В");
    default: return {};
    }
}

QString ValuesModel::rowLine(int row) const {
    QString line = ValueReadings::label(Row(row));
    for (int side : {0, 1}) {
        line += QLatin1Char('\t') + cells_[std::size_t(row)][std::size_t(side)].reading.text;
        if (const QString told = description(row, side); !told.isEmpty()) line += QStringLiteral(" (") + told + QLatin1Char(')');
    }
    return line;
}
