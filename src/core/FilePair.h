#pragma once

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include "InputFile.h"

// Which bytes of the two files a comparison covers: A from `skipA`, B from `skipB`, at
// most `limit` bytes of each. By default both files whole.
struct CompareRange {
    static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t skipA = 0, skipB = 0;
    std::int64_t limit = kNoLimit;
    bool whole() const { return skipA == 0 && skipB == 0 && limit == kNoLimit; }
};

// Both files of a comparison opened read-only for one scan, with their sizes as opened and
// the range of each that the comparison covers. A worker thread uses its own pair: the
// window's file objects are the window's alone.
class FilePair {
public:
    FilePair(const QString& pathA, const QString& pathB, const CompareRange& range = {});
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
    // Where each file's range begins (possibly past its end), and how many bytes of it the
    // range holds: up to the file's end, at most the limit. A byte at A's address
    // originA() + k is compared with B's at originB() + k.
    std::int64_t originA() const { return range_.skipA; }
    std::int64_t originB() const { return range_.skipB; }
    std::int64_t rangeSizeA() const { return rangeSize(sizeA(), range_.skipA); }
    std::int64_t rangeSizeB() const { return rangeSize(sizeB(), range_.skipB); }
    const CompareRange& range() const { return range_; }
    // How many bytes both ranges hold: the whole shorter file when the files are compared whole.
    std::int64_t commonSize() const { return std::min(rangeSizeA(), rangeSizeB()); }
    // A's address past the last byte that both ranges hold.
    std::int64_t commonEndA() const { return originA() + commonSize(); }
    // Both paths still name the files opened, as long and unwritten since: what was read
    // of them holds for the files as they are now.
    bool unchangedOnDisk() const { return !error() && a_.unchangedOnDisk() && b_.unchangedOnDisk(); }
    // The file `identity` stands for is one of the two as opened: what is written there
    // would overwrite an input.
    bool holds(const FileIdentity& identity) const {
        return identity == a_.opened().identity || identity == b_.opened().identity;
    }

private:
    std::int64_t rangeSize(std::int64_t size, std::int64_t origin) const {
        return std::clamp<std::int64_t>(size - origin, 0, range_.limit);
    }

    InputFile a_, b_;
    CompareRange range_;
    const InputFile* failed_ = nullptr;
};
