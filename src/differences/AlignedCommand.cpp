#include "AlignedCommand.h"

#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>

#include <algorithm>

#include "AlignedView.h"
#include "ChangeIndex.h"
#include "ChangesDock.h"
#include "ComparedFiles.h"
#include "FilePair.h"
#include "PairView.h"
#include "ValuesDock.h"
#include "WindowPort.h"

namespace {

class AlignedCommand : public QObject {
public:
    AlignedCommand(WindowPort& port, ChangesDock& changes, ValuesDock& values)
        : QObject(&port.host()), port_(port), view_(port.view()), index_(view_.changes()), changes_(changes), values_(values) {
        connect(port.command(WindowPort::Command::AlignedView), &QAction::triggered, this, &AlignedCommand::open);
        changes_.onAligned = [this] { open(); };
        connect(&index_, &ChangeIndex::changed, this, &AlignedCommand::indexChanged);
        connect(&view_, &PairView::modesChanged, this, [this] {
            if (aligned_) aligned_->setDos(view_.dosView());
        });
        changes_.onCurrentChange = [this](std::size_t change) {
            if (aligned_ && !following_) aligned_->showChange(change);
        };
    }

private:
    // The list is of the very files the window reads: the same files, unwritten since.
    bool listOfShownFiles() const {
        const std::shared_ptr<const FilePair> files = index_.files();
        const ComparedFiles& shown = view_.files();
        const bool listed = index_.state() == ChangeIndex::State::Complete || index_.state() == ChangeIndex::State::Stopped;
        return listed && files && files->unchangedOnDisk() &&
               files->a().opened() == shown.reader(0).stamp() && files->b().opened() == shown.reader(1).stamp();
    }

    void open() {
        if (view_.intLoadFile() < 2 || view_.editsPending()) return;
        if (aligned_) {
            aligned_->setFocus(Qt::OtherFocusReason);
            return;
        }
        // A look at the disk first: a file written or replaced since the screen was drawn
        // is drawn again, and its list goes out of date.
        view_.files().checkDisk();
        if (!listOfShownFiles()) {
            waiting_ = true;
            changes_.showList();
            port_.host().statusBar()->showMessage(QStringLiteral("Список изменений составляется; выровненный вид откроется, когда он будет готов."),
                                                  8000);
            return;
        }
        waiting_ = false;
        port_.host().statusBar()->clearMessage();
        const ComparedFiles& shown = view_.files();
        // A stopped list is shown as far as it is whole.
        std::vector<Change> changes = index_.changes();
        std::erase_if(changes, [&](const Change& c) { return c.endA() > index_.settledA() || c.endB() > index_.settledB(); });
        AlignedLayout layout(std::move(changes), index_.settledA(), index_.settledB());
        aligned_ = new AlignedView(std::move(layout), [&shown](int side, std::int64_t address, std::uint8_t* into, std::int64_t count) {
            return std::max<std::int64_t>(0, shown.reader(side).read(address, into, count));
        });
        aligned_->setDos(view_.dosView());
        connect(aligned_, &AlignedView::positionChanged, this, &AlignedCommand::cursorMoved);
        connect(aligned_, &AlignedView::activated, this, [this](std::int64_t addressA, std::int64_t addressB) {
            close();
            view_.showAtAddresses(addressA, addressB);
        });
        connect(aligned_, &AlignedView::closeRequested, this, &AlignedCommand::close);
        port_.showInPlaceOfForm(aligned_);
        if (!index_.changes().empty()) aligned_->showChange(std::min(changes_.currentChange(), index_.changes().size() - 1));
    }

    void close() {
        if (!aligned_) return;
        AlignedView* gone = aligned_;
        aligned_ = nullptr;
        port_.showInPlaceOfForm(nullptr);
        values_.followAligned(-1, -1);
        gone->deleteLater();
    }

    void cursorMoved(std::int64_t position, std::int64_t change) {
        following_ = true;
        if (change >= 0) changes_.selectChange(std::size_t(change));
        following_ = false;
        const AlignedLayout::Row row = aligned_->layout().at(position);
        const auto address = [](const AlignedLayout::Place& place) {
            return place.mark == AlignedLayout::Mark::Gap ? -1 : place.address;
        };
        values_.followAligned(address(row.a), address(row.b));
    }

    void indexChanged() {
        if (aligned_ && index_.state() != ChangeIndex::State::Complete && index_.state() != ChangeIndex::State::Stopped)
            // Never bytes laid out by a list that no longer holds.
            aligned_->setOutOfDate(QStringLiteral("Список изменений устарел: файлы изменились. Esc — к экрану байтов."));
        else if (waiting_ && (index_.state() == ChangeIndex::State::Complete || index_.state() == ChangeIndex::State::Stopped))
            open();
        else if (index_.state() != ChangeIndex::State::Working)
            waiting_ = false;
    }

    WindowPort& port_;
    PairView& view_;
    ChangeIndex& index_;
    ChangesDock& changes_;
    ValuesDock& values_;
    QPointer<AlignedView> aligned_;
    bool waiting_ = false;    // the list is being made for the view
    bool following_ = false;  // the list's row follows the view's cursor
};

}  // namespace

void installAlignedCommand(WindowPort& window, ChangesDock& changes, ValuesDock& values) {
    new AlignedCommand(window, changes, values);
}
