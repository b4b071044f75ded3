#include "FilePair.h"

FilePair::FilePair(const QString& pathA, const QString& pathB) : a_(pathA), b_(pathB) {
    if (!a_.isOpen())
        failed_ = &a_;
    else if (!b_.isOpen())
        failed_ = &b_;
}
