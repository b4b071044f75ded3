#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "RunScanner.h"

// The runs one scan found, in address order: the first kKeptRuns kept, every run counted.
// Kept in fixed blocks, so that a growing list never holds two copies of itself, and only
// where and how long: the bytes are read back for the rows on screen.
class RunList {
public:
    struct KeptRun {
        std::int64_t address;
        std::int64_t length;
    };

    static constexpr std::int64_t kKeptRuns = 1'000'000;

    void clear();
    void add(const RunScanner::Run& run);
    // Counts a run without keeping it (found beyond what the list keeps).
    void count(std::int64_t length) {
        ++runCount_;
        differingBytes_ += length;
    }

    // The totals of a scan that counted further than this list kept.
    void setTotals(std::int64_t runCount, std::int64_t differingBytes) {
        runCount_ = runCount;
        differingBytes_ = differingBytes;
    }

    std::int64_t kept() const { return kept_; }
    const KeptRun& at(std::int64_t i) const { return (*blocks_[std::size_t(i / kBlock)])[std::size_t(i % kBlock)]; }
    std::int64_t runCount() const { return runCount_; }
    std::int64_t differingBytes() const { return differingBytes_; }
    bool stoppedKeeping() const { return runCount_ > kept_; }

    // Where the kept runs answer "the first run starting after / the last starting before
    // `position`" of a complete scan: the address, -1 for none, kUnknown when the answer
    // lies past the last kept run.
    static constexpr std::int64_t kUnknown = -2;
    std::int64_t nextStart(std::int64_t position) const;
    std::int64_t previousStart(std::int64_t position) const;
    // The index of the kept run that holds `address`, -1 for none.
    std::int64_t indexAt(std::int64_t address) const;
    // Of the kept runs: how many have a byte in [lo, hi), and where the first of them starts
    // (before lo when it began earlier).
    struct Within {
        std::int64_t count = 0;
        std::int64_t first = -1;
    };
    Within within(std::int64_t lo, std::int64_t hi) const;

private:
    static constexpr std::int64_t kBlock = 65536;
    using Block = std::vector<KeptRun>;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::int64_t kept_ = 0;
    std::int64_t runCount_ = 0;
    std::int64_t differingBytes_ = 0;
    // The first kept index whose run starts after `position`.
    std::int64_t firstAfter(std::int64_t position) const;
};

// Which parts of the common length hold runs, at a fixed resolution: complete however
// many runs the list keeps.
class RunMap {
public:
    static constexpr int kBuckets = 4096;
    void reset(std::int64_t commonSize);
    void mark(std::int64_t address, std::int64_t length);
    std::int64_t commonSize() const { return size_; }
    const std::vector<std::uint8_t>& buckets() const { return buckets_; }
    void setBuckets(const std::vector<std::uint8_t>& buckets) { buckets_ = buckets; }
    // Whether any run falls in [from, to) as far as the resolution tells.
    bool marked(std::int64_t from, std::int64_t to) const;

private:
    int bucketOf(std::int64_t address) const;
    std::int64_t size_ = 0;
    std::vector<std::uint8_t> buckets_ = std::vector<std::uint8_t>(kBuckets, 0);
};

namespace DifferenceText {
// "Файл В длиннее на 3 байта", or empty when the files are as long.
QString longerFile(std::int64_t sizeA, std::int64_t sizeB);
// An address as the go-to fields for a file of `fileSize` bytes show it.
QString address(std::int64_t address, std::int64_t fileSize);
// Bytes in hexadecimal, separated by spaces.
QString hexBytes(const std::uint8_t* bytes, int count);
// Said of a list whose files lie where another program's writes are not heard as they
// happen (a file system of another machine): only a look at their dates and lengths checks it.
QString notHeardNote();
// Bytes as the characters of the code page the screen shows (CP866 when `dos`, else
// CP1251), a control character as a middle dot, as the character view draws it.
QString characters(const std::uint8_t* bytes, int count, bool dos);
}  // namespace DifferenceText
