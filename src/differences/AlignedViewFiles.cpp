// The aligned view over two files it opens itself: the list of changes shows it in a window
// of its own until the main window hosts it over the readers of the pair in view.
#include "AlignedView.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

#include "FileLayer.h"
#include "FilePair.h"

namespace {

AlignedLayout::Read readerOf(const std::shared_ptr<const FilePair>& files) {
    return [files](int side, std::int64_t address, std::uint8_t* into, std::int64_t count) {
        return std::max<std::int64_t>(0, FileLayer::pread(side == 0 ? files->fdA() : files->fdB(), into, count, address));
    };
}

}  // namespace

AlignedView::AlignedView(const QString& pathA, const QString& pathB, std::vector<Change> changes, QWidget* parent)
    : AlignedView(AlignedLayout(std::move(changes), QFileInfo(pathA).size(), QFileInfo(pathB).size()),
                  readerOf(std::make_shared<const FilePair>(pathA, pathB)), parent) {
    setWindowTitle(accessibleName());
    connect(this, &AlignedView::closeRequested, this, &QWidget::close);
}
