#pragma once

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "InputFile.h"

// Both files of a comparison opened read-only for one scan, with their sizes as opened. A
// worker thread uses its own pair: the window's file objects are the window's alone.
class FilePair {
public:
    FilePair(const QString& pathA, const QString& pathB);
    FilePair(const FilePair&) = delete;
    FilePair& operator=(const FilePair&) = delete;

    // 0, or the -errno of the first file that could not be opened (`failedPath` names it,
    // `failure` says why).
    int error() const { return failed_ ? (failed_->error() != 0 ? failed_->error() : -EBADF) : 0; }
    QString failedPath() const { return failed_ ? failed_->path() : QString(); }
    QString failure() const { return failed_ ? failed_->reason() : QString(); }
    const InputFile& a() const { return a_; }
    const InputFile& b() const { return b_; }
    int fdA() const { return a_.fd(); }
    int fdB() const { return b_.fd(); }
    std::int64_t sizeA() const { return error() ? 0 : a_.size(); }
    std::int64_t sizeB() const { return error() ? 0 : b_.size(); }
    std::int64_t commonSize() const { return std::min(sizeA(), sizeB()); }
    // Both paths still name the files opened, as long and unwritten since: what was read
    // of them holds for the files as they are now.
    bool unchangedOnDisk() const { return !error() && a_.unchangedOnDisk() && b_.unchangedOnDisk(); }
    // The file `identity` stands for is one of the two as opened: what is written there
    // would overwrite an input.
    bool holds(const FileIdentity& identity) const {
        return identity == a_.opened().identity || identity == b_.opened().identity;
    }

private:
    InputFile a_, b_;
    const InputFile* failed_ = nullptr;
};
