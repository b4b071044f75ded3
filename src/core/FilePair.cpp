#include "FilePair.h"

FilePair::FilePair(const QString& pathA, const QString& pathB, const CompareRange& range)
    : a_(pathA), b_(pathB), range_(range) {
    if (!a_.isOpen())
        failed_ = &a_;
    else if (!b_.isOpen())
        failed_ = &b_;
}
