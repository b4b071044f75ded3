// The least a Qt Widgets window does for a key: a label shows how many keys came. The bench
// times it as it times the hex editors, for the part of a key's cost that is the toolkit's
// and the display's, whatever the window does with the key.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace {

class Counter : public QLabel {
public:
    Counter() : QLabel(QStringLiteral("0")) {
        QFont big = font();
        big.setPixelSize(96);  // large enough that each number changes many pixels
        setFont(big);
        setAlignment(Qt::AlignCenter);
        setFixedSize(760, 560);
    }

protected:
    void keyPressEvent(QKeyEvent*) override { setText(QString::number(++keys_)); }

private:
    int keys_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Counter counter;
    counter.show();
    return app.exec();
}
