#include "ValuesDock.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>


#include "DockRoom.h"
#include "MismatchTable.h"
#include "PairView.h"
#include "ValuesModel.h"

namespace {

// A cursor that moves again within this time is followed once it stops.
constexpr int kSettleMs = 120;

// The table: Ctrl+C copies the current row's values, here rather than finding mismatches.
// Its columns are as wide as their longest values usually are, so that the panel asks the
// window for the room they need; a longer one is cut with an ellipsis and read whole by a
// screen reader and a copy.
class ValuesTable : public MismatchTable {
public:
    ValuesTable(ValuesModel* model, QWidget* parent)
        : MismatchTable(model, QStringLiteral("valuesTable"), QStringLiteral("Значения"),
                        {QStringLiteral("дата и время DOS"), QStringLiteral("-2.2250738585072014e-308")}, parent),
          model_(model) {
        // The window lets this widget have Ctrl+C.
        setProperty("bivexOwnKeys", QStringList{QStringLiteral("Ctrl+C")});
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
        return MismatchTable::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            const int row = currentIndex().isValid() ? currentIndex().row() : 0;
            QApplication::clipboard()->setText(model_->rowLine(row));
            return;
        }
        MismatchTable::keyPressEvent(event);
    }

private:
    ValuesModel* model_;
};

}  // namespace

ValuesDock::ValuesDock(QMainWindow& window, PairView& view)
    : QDockWidget(QStringLiteral("Значения под курсором"), &window), window_(window), view_(view) {
    setObjectName(QStringLiteral("valuesDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 4, 4, 4);
    auto* orderRow = new QHBoxLayout;
    auto* orderLabel = new QLabel(QStringLiteral("Порядок байтов:"), body);
    order_ = new QComboBox(body);
    order_->setObjectName(QStringLiteral("valuesByteOrder"));
    order_->setAccessibleName(QStringLiteral("Порядок байтов"));
    order_->addItem(QStringLiteral("от младшего (little-endian)"));
    order_->addItem(QStringLiteral("от старшего (big-endian)"));
    orderLabel->setBuddy(order_);
    orderRow->addWidget(orderLabel);
    orderRow->addWidget(order_, 1);
    column->addLayout(orderRow);
    model_ = new ValuesModel(this);
    table_ = new ValuesTable(model_, body);
    column->addWidget(table_, 1);
    setWidget(body);

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &ValuesDock::refresh);
    connect(order_, &QComboBox::currentIndexChanged, this, &ValuesDock::refresh);
    connect(&view_, &PairView::screenShown, this, &ValuesDock::follow);
    connect(&view_, &PairView::focusedAddressChanged, this, &ValuesDock::follow);
    connect(&view_, &PairView::modesChanged, this, &ValuesDock::follow);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) refresh();
    });
}

void ValuesDock::toggle() {
    if (isVisible()) {
        hide();
        return;
    }
    if (!isFloating()) makeRoomFor(window_, *this, *table_, 0);
    show();
    raise();
    refresh();
    table_->setFocus(Qt::OtherFocusReason);
}

void ValuesDock::followAligned(std::int64_t addressA, std::int64_t addressB) {
    alignedA_ = addressA;
    alignedB_ = addressB;
    follow();
}

void ValuesDock::follow() {
    if (!isVisible()) return;
    // A move soon after the last one is part of a run of moves: told once they stop.
    const bool running = lastMove_.isValid() && lastMove_.elapsed() < kSettleMs;
    lastMove_.start();
    if (running) {
        settle_->start();
        return;
    }
    refresh();
}

void ValuesDock::refresh() {
    settle_->stop();
    ValuesModel::Side sides[2];
    const int shown = view_.intShowFile();
    // The cell the keyboard left for this panel is still the one it tells of.
    if (view_.focusedAddress() >= 0 || shown == 0) lastFocused_ = view_.focusedAddress();
    const std::int64_t focused = lastFocused_;
    const bool aligned = alignedA_ >= 0 || alignedB_ >= 0;
    for (int number : {1, 2}) {
        std::int64_t address = -1;
        if (aligned)
            address = number == 1 ? alignedA_ : alignedB_;
        else if (shown != 0 && focused >= 0)
            address = number == shown || !view_.synchronised() ? focused : view_.comparedAddress(shown, focused);
        ValuesModel::Side& side = sides[number - 1];
        if (address < 0 || number > view_.intLoadFile()) continue;
        side.present = true;
        side.bytes.count = view_.shownBytes(number, address, 8, side.bytes.data.data(), &side.edited);
    }
    const auto order = order_->currentIndex() == 1 ? ValueReadings::ByteOrder::BigEndian : ValueReadings::ByteOrder::LittleEndian;
    model_->show(sides[0], sides[1], order, view_.dosView());
}
