#pragma once

#include <QString>

#include <cstdint>

// Both files of a comparison opened read-only for one scan, with their sizes as opened. A
// worker thread uses its own pair: the window's file objects are the window's alone.
class FilePair {
public:
    FilePair(const QString& pathA, const QString& pathB);
    ~FilePair();
    FilePair(const FilePair&) = delete;
    FilePair& operator=(const FilePair&) = delete;

    // 0, or the -errno of the first file that could not be opened (`failedPath` names it).
    int error() const { return error_; }
    QString failedPath() const { return failedPath_; }
    int fdA() const { return fdA_; }
    int fdB() const { return fdB_; }
    std::int64_t sizeA() const { return sizeA_; }
    std::int64_t sizeB() const { return sizeB_; }
    std::int64_t commonSize() const { return sizeA_ < sizeB_ ? sizeA_ : sizeB_; }

private:
    int open(const QString& path, std::int64_t& size);
    int fdA_ = -1, fdB_ = -1;
    std::int64_t sizeA_ = 0, sizeB_ = 0;
    int error_ = 0;
    QString failedPath_;
};
