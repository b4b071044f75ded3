#pragma once

#include "FileLayer.h"

// Makes the file layer fail on demand for the life of the object, e.g.
//   ScopedFileFault full({FileLayer::Op::Write, 2, ENOSPC});  // the 2nd write fails
class ScopedFileFault {
public:
    explicit ScopedFileFault(const FileLayer::Fault& fault) { FileLayer::injectFault(fault); }
    ~ScopedFileFault() { FileLayer::clearFault(); }
    ScopedFileFault(const ScopedFileFault&) = delete;
    ScopedFileFault& operator=(const ScopedFileFault&) = delete;
};
