#pragma once

#include <QLineEdit>

class ByteGrid;

// A row address that has the keyboard focus: a read-only line edit over the address the
// grid paints, so that it can be selected and copied as the text box it stands for. The
// grid makes it when a row address is clicked and drops it when the focus leaves it.
class RowAddressBox : public QLineEdit {
    Q_OBJECT

public:
    explicit RowAddressBox(ByteGrid* grid);

    int row() const { return row_; }
    void moveTo(int row, const QString& text, const QRect& place);
    void setColors(const QColor& text, const QColor& ground);

private:
    int row_ = -1;
};
