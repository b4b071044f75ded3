#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;

// "Синхронизировать со сдвигом…": asks where in file B the current address of file A is, or
// how far B is shifted ("+200", "-1F0"), in hexadecimal.
class ShiftDialog : public QDialog {
    Q_OBJECT

public:
    ShiftDialog(std::int64_t addressA, std::int64_t shift, QWidget* parent);

    void knCancel_Click() { reject(); }

    QLineEdit* field = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

    // What the field says: the shift of B against A, or nothing when it is neither an
    // address nor a signed shift.
    static std::optional<std::int64_t> shiftOf(const QString& text, std::int64_t addressA);
};
