#include "RangeScanners.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

#include "AlignedBuffer.h"
#include "PairReader.h"
#include "mRWByt.h"

namespace RangeScanners {

namespace {

// Reads of at least the file object's window size go straight into our buffer.
static_assert(kChunkBytes >= 256 * 1024);

// Opens the file for the length of a scope and closes it on every way out.
class OpenFile {
public:
    explicit OpenFile(mRWByt& file) : file_(file) {
        file_.OpenFileRW();
        ok_ = file_.Error() == 0 && file_.IsOpen();
    }
    ~OpenFile() {
        if (file_.IsOpen()) file_.CloseFile();
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    bool ok() const { return ok_; }
    // Closes now; false when the pending writes could not be put on the file.
    bool close() {
        file_.CloseFile();
        return file_.Error() == 0;
    }

private:
    mRWByt& file_;
    bool ok_ = false;
};

// The first i < examined at which the `length` bytes of `pattern` stand in data, which holds
// `got` readable bytes (a pattern that would need a byte at or past got does not match).
std::int64_t findInChunk(const std::uint8_t* data, std::int64_t examined, std::int64_t got,
                         const std::uint8_t* pattern, int length) {
    if (length == 1) {
        const void* hit = std::memchr(data, pattern[0], std::size_t(examined));
        return hit ? static_cast<const std::uint8_t*>(hit) - data : -1;
    }
    std::int64_t i = 0;
#if defined(__SSE2__)
    // Sixty-four candidates at a time, tested on their first two bytes at once; only a block
    // where some candidate passes is looked at byte by byte. One memchr per occurrence of the
    // first byte would stop every few hundred bytes.
    const auto pairs = [data, first = _mm_set1_epi8(char(pattern[0])),
                        second = _mm_set1_epi8(char(pattern[1]))](std::int64_t k) {
        const auto* p = reinterpret_cast<const __m128i*>(data + k);
        const auto* q = reinterpret_cast<const __m128i*>(data + k + 1);
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(p), first), _mm_cmpeq_epi8(_mm_loadu_si128(q), second));
    };
    for (; i + 64 <= examined && i + 65 <= got; i += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(pairs(i), pairs(i + 16)), _mm_or_si128(pairs(i + 32), pairs(i + 48)));
        if (_mm_movemask_epi8(any) == 0) continue;
        for (std::int64_t k = i; k < i + 64; ++k) {
            int n = 0;
            while (n < length && k + n < got && data[k + n] == pattern[n]) ++n;
            if (n == length) return k;
        }
    }
#endif
    for (; i < examined; ++i) {
        int k = 0;
        while (k < length && i + k < got && data[i + k] == pattern[k]) ++k;
        if (k == length) return i;
    }
    return -1;
}

// from -> to over buf[0, n), without a branch per byte; fixed-size blocks let the
// compiler vectorise the inner loop.
void substitute(std::uint8_t* buf, std::int64_t n, std::uint8_t from, std::uint8_t to) {
    constexpr std::int64_t kBlock = 64;
    std::int64_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        std::uint8_t* p = buf + i;
        for (int k = 0; k < kBlock; ++k) p[k] = p[k] == from ? to : p[k];
    }
    for (; i < n; ++i) buf[i] = buf[i] == from ? to : buf[i];
}

}  // namespace

ScanResult findPattern(mRWByt& file, std::int64_t start, std::int64_t end, const std::uint8_t* pattern,
                       int length, StepCounter& steps) {
    ScanResult result;
    if (length < 1 || start > end) return result;
    OpenFile open(file);
    if (!open.ok()) {
        result.failed = true;
        result.error = file.Error();
        return result;
    }
    const std::int64_t size = file.Size();
    // Each chunk holds the addresses it examines and the pattern's tail behind the last. Read
    // into a page-aligned buffer and looked at while it is still in the cache, the bytes cost
    // less than looked at in a mapping, whose page tables are made and taken down per page.
    AlignedBuffer buffer(kChunkBytes + length - 1);
    for (std::int64_t pos = start; pos <= end && pos < size;) {
        const std::int64_t span = std::min(kChunkBytes, end - pos + 1);
        const std::int64_t got = file.ReadSpan(pos + 1, buffer.data(), span + length - 1);
        if (got < 0) {
            result.failed = true;
            result.error = file.Error();
            return result;
        }
        // Fewer bytes than the chunk's addresses: the file ends here (or has become
        // shorter than its size said); nothing lies behind this chunk.
        const std::int64_t examined = std::min(span, got);
        // A byte past what could be read is past the end of the file: it matches nothing.
        const std::int64_t at = findInChunk(buffer.data(), examined, got, pattern, length);
        if (at >= 0) {
            steps.count(at + 1);
            result.found = pos + at;
            return result;
        }
        steps.count(examined);
        if (examined < span) break;
        pos += span;
    }
    return result;
}

ScanResult findMismatch(mRWByt& fileA, mRWByt& fileB, std::int64_t start, std::int64_t end, StepCounter& steps) {
    ScanResult result;
    OpenFile openA(fileA);
    if (!openA.ok()) {
        result.failed = true;
        return result;
    }
    OpenFile openB(fileB);
    if (!openB.ok()) {
        result.failed = true;
        return result;
    }
    const std::int64_t last = std::min({end, fileA.Size() - 1, fileB.Size() - 1});
    PairReader reader(fileA, fileB);
    for (std::int64_t pos = start; pos <= last;) {
        std::int64_t found = -1;
        const auto work = [&](std::int64_t at, const std::uint8_t* a, const std::uint8_t* b, std::int64_t n) {
            const std::int64_t k = a ? PairReader::findFirst(a, b, 0, n, true) : n;
            if (k == n) return true;
            found = at + k;
            return false;
        };
        const PairReader::Step step = reader.forward(pos, last + 1, kChunkBytes, work, [&] { found = -1; });
        if (step.failed) {
            result.failed = true;
            return result;
        }
        if (found >= 0) {
            steps.count(found - pos);
            result.found = found;
            return result;
        }
        steps.count(step.end - pos);
        if (step.cutShort) break;  // one of the files ends here now
        pos = step.end;
    }
    return result;
}

bool replaceBytes(mRWByt& file, std::int64_t start, std::int64_t end, std::uint8_t from, std::uint8_t to) {
    OpenFile open(file);
    if (!open.ok()) return false;
    const std::int64_t last = std::min(end, file.Size() - 1);
    AlignedBuffer buffer(kChunkBytes);
    for (std::int64_t pos = start; pos <= last;) {
        const std::int64_t span = std::min(kChunkBytes, last - pos + 1);
        const std::int64_t got = file.ReadSpan(pos + 1, buffer.data(), span);
        if (got < 0) return false;
        const std::int64_t examined = std::min(span, got);
        std::uint8_t* data = buffer.data();
        // Only the stretch from the first to the last matching byte is written back.
        if (auto* first = static_cast<std::uint8_t*>(std::memchr(data, from, std::size_t(examined)))) {
            const auto* lastHit = static_cast<const std::uint8_t*>(
                memrchr(first, from, std::size_t(data + examined - first)));
            const std::int64_t begin = first - data;
            const std::int64_t count = lastHit - first + 1;
            substitute(first, count, from, to);
            if (file.WriteSpan(pos + begin + 1, first, count) != 0) return false;
        }
        if (examined < span) break;
        pos += span;
    }
    return open.close();
}

bool fillBytes(mRWByt& file, std::int64_t start, std::int64_t end, std::uint8_t value) {
    OpenFile open(file);
    if (!open.ok()) return false;
    // A file cut short since its size was taken is filled to its real end, not lengthened.
    const std::int64_t last = std::min({end, file.Size() - 1, file.OpenedSize() - 1});
    if (last >= start && file.FillSpan(start + 1, last - start + 1, value) != 0) return false;
    return open.close();
}

}  // namespace RangeScanners
