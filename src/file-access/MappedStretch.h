#pragma once

#include "MappedBytes.h"
#include "mRWByt.h"

#include <algorithm>
#include <cstdint>

// Stretches of a file looked at where they lie in the page cache, with no copy. One mapping
// covers many chunks, so that making it costs little beside the bytes it shows.
class MappedStretch {
public:
    explicit MappedStretch(mRWByt& file) : file_(file) {}

    // The `count` bytes from 0-based `pos` in a mapping, or null when they cannot be
    // mapped (the caller reads them instead).
    const std::uint8_t* cover(std::int64_t pos, std::int64_t count) {
        if (count <= 0) return nullptr;
        if (!map_ || pos < start_ || pos + count > start_ + map_.size()) {
            map_ = MappedBytes();
            const std::int64_t available = std::min(file_.Size(), file_.OpenedSize()) - pos;
            if (count > available) return nullptr;
            map_ = file_.MapSpan(pos + 1, std::min(available, std::max(count, kMapBytes)));
            start_ = pos;
            if (!map_) return nullptr;
        }
        return map_.data() + (pos - start_);
    }
    // Whether the file still holds the last of the `count` bytes from `pos` after they were
    // looked at. A file cut short under a mapping faults on the pages past its new end, but
    // the page its end falls in reads as zeros past it; one byte read settles that.
    bool stillHolds(std::int64_t pos, std::int64_t count) {
        std::uint8_t last = 0;
        return file_.ReadSpan(pos + count, &last, 1, mRWByt::ReadAhead::None) == 1;
    }
    // The mapping the last covered bytes lie in, for MappedBytes::read.
    const MappedBytes& view() const { return map_; }

private:
    static constexpr std::int64_t kMapBytes = 64 * 1024 * 1024;
    mRWByt& file_;
    MappedBytes map_;
    std::int64_t start_ = 0;
};

