#include "mRWByt.h"

#include "FileErrors.h"
#include "FileLayer.h"
#include "FileStamp.h"
#include "UiServices.h"

#include <QDateTime>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

std::int64_t modifiedNs(const struct stat& info) {
    return std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

constexpr std::int64_t kWindowSize = 256 * 1024;  // a power of two: windows are aligned to it
constexpr std::int64_t kFillChunk = 1024 * 1024;

bool isExistingFile(const QString& path) {
    struct stat info;
    return FileLayer::stat(path, info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

namespace {

std::vector<std::pair<int, mRWByt::WriteObserver>>& writeObservers() {
    static std::vector<std::pair<int, mRWByt::WriteObserver>> observers;
    return observers;
}

}  // namespace

int mRWByt::addWriteObserver(WriteObserver observer) {
    static int next = 0;
    writeObservers().emplace_back(++next, std::move(observer));
    return next;
}

void mRWByt::removeWriteObserver(int id) {
    auto& observers = writeObservers();
    observers.erase(std::remove_if(observers.begin(), observers.end(), [id](const auto& o) { return o.first == id; }),
                    observers.end());
}

void mRWByt::noteWrite(std::int64_t offset, std::int64_t count) {
    if (count <= 0) return;
    if (writtenTo_ <= writtenFrom_) {
        writtenFrom_ = offset;
        writtenTo_ = offset + count;
        return;
    }
    writtenFrom_ = std::min(writtenFrom_, offset);
    writtenTo_ = std::max(writtenTo_, offset + count);
}

mRWByt::mRWByt(UiServices& ui) : ui_(ui) {}

mRWByt::~mRWByt() {
    // Callers close what they open; should one not, its writes still reach the file.
    if (fd_ >= 0) CloseFile();
}

void mRWByt::MsgView(bool messageView) { msgView_ = messageView; }

void mRWByt::MsgTitle(const QString& title) { msgTitle_ = title; }

void mRWByt::Path(const QString& strPath) {
    // A new path while a file is open would leak the descriptor and lose cached writes.
    if (fd_ >= 0) CloseFile();
    path_ = strPath;
    existedAtPath_ = !path_.isEmpty() && isExistingFile(path_);
    if (path_.isEmpty() || existedAtPath_) subFileInfo();
}

QDate mRWByt::DateFile() const {
    if (path_.isEmpty()) return QDate();
    return FileStamp::toDate(dateText_);
}

QTime mRWByt::TimeFile() const {
    if (path_.isEmpty()) return QTime();
    return FileStamp::toTime(timeText_);
}

void mRWByt::subFileInfo() {
    error_ = 0;
    if (path_.isEmpty()) {
        size_ = 0;
        syncReadable();
        const QDateTime now = QDateTime::currentDateTime();
        dateText_ = FileStamp::dateText(now);
        timeText_ = FileStamp::timeText(now);
        name_.clear();
        fileAttr_ = 0;
        return;
    }
    struct stat info;
    if (int r = FileLayer::stat(path_, info); r < 0) {
        reportLayerError(-r, FileErrors::Access::Read);
        return;
    }
    size_ = info.st_size;
    syncReadable();
    stampModified_ = modifiedNs(info);
    if (size_ == 0) {
        // Name, date, time and attributes keep what they held: only the length is new.
        subErrMessage(FileErrors::EmptyFile);
        return;
    }
    const QDateTime modified = FileStamp::modified(info);
    dateText_ = FileStamp::dateText(modified);
    timeText_ = FileStamp::timeText(modified);
    fileAttr_ = funAttrCode(path_);
    if (error_ != 0) return;
    name_ = FileStamp::nameOf(path_);
}

// Bit 0 read-only, bit 1 hidden; the system and archive bits have no meaning here.
std::uint8_t mRWByt::funAttrCode(const QString& path) {
    if (path.isEmpty()) return 0;
    struct stat info;
    if (int r = FileLayer::stat(path, info); r < 0) {
        reportLayerError(-r, FileErrors::Access::Read);
        return 0;
    }
    if (!S_ISREG(info.st_mode)) return 0;
    // The mode bits count even for root, whom access() would let write anything.
    const bool readOnly = (info.st_mode & 0222) == 0 || FileLayer::access(path, W_OK) != 0;
    const bool hidden = FileStamp::nameOf(path).startsWith(QLatin1Char('.'));
    return std::uint8_t((readOnly ? 1 : 0) | (hidden ? 2 : 0));
}

void mRWByt::subErrMessage(int code) {
    error_ = code;
    if (msgView_)
        FileErrors::showFailure(ui_, msgTitle_, FileErrors::Reporter::BinaryFile, code, lastErrno_);
}

void mRWByt::reportLayerError(int err, FileErrors::Access access) {
    lastErrno_ = err;
    subErrMessage(FileErrors::codeForErrno(err, access));
}

void mRWByt::OpenFileRW() {
    error_ = 0;
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::NoPath);
        return;
    }
    if (fd_ >= 0) {
        subErrMessage(FileErrors::AlreadyOpen);
        return;
    }
    // Reading never needs write access: a file that lost its write permission since it
    // was opened is still shown. Only a path that named no file when it was assigned is
    // opened for writing now, to create it (a new file to be written). A file that
    // existed then and has gone since is not silently replaced by an empty one.
    const int flags = existedAtPath_ ? O_RDONLY : (O_RDWR | O_CREAT);
    const int fd = FileLayer::open(path_, flags);
    if (fd < 0) {
        reportLayerError(-fd, existedAtPath_ ? FileErrors::Access::Read : FileErrors::Access::Create);
        return;
    }
    struct stat info;
    if (const int r = FileLayer::fstat(fd, info); r < 0) {
        FileLayer::close(fd);
        reportLayerError(-r, FileErrors::Access::Read);
        return;
    }
    fd_ = fd;
    writable_ = !existedAtPath_;
    mayWrite_ = (fileAttr_ & 1) == 0;
    openedIdentity_ = FileIdentity::ofDescriptor(fd);
    openedSize_ = info.st_size;
    if (window_.empty()) {
        window_.resize(kWindowSize);
        dirtyBits_.assign(kWindowSize / 64, 0);
    }
    dropWindow();
}

bool mRWByt::RefreshStamp(std::int64_t size, std::int64_t modifiedNs) {
    if (path_.isEmpty() || size < 0) return false;
    if (modifiedNs == stampModified_ && size == size_) return false;
    size_ = size;
    syncReadable();
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(modifiedNs / 1000000000);
    dateText_ = FileStamp::dateText(modified);
    timeText_ = FileStamp::timeText(modified);
    stampModified_ = modifiedNs;
    return true;
}

void mRWByt::CloseFile() {
    if (fd_ < 0) {
        error_ = 0;
        return;
    }
    const bool flushed = flushWindow();
    dropWindow();
    // The descriptor is released whatever close() says, so the object never stays open.
    const int r = FileLayer::close(fd_);
    fd_ = -1;
    writable_ = false;
    mayWrite_ = false;
    if (writtenTo_ > writtenFrom_) {
        const std::int64_t from = writtenFrom_, to = writtenTo_;
        writtenFrom_ = writtenTo_ = 0;
        // A copy: an observer may add or remove observers.
        const auto observers = writeObservers();
        for (const auto& [id, observer] : observers) observer(openedIdentity_, from, to);
    }
    if (!flushed) return;  // that failure has been reported and stays in Error
    if (r < 0) {
        reportLayerError(-r);
        return;
    }
    error_ = 0;
}

int mRWByt::getBytChecked(std::int64_t item) {
    const std::int64_t offset = item - 1;
    if (path_.isEmpty()) {
        subErrMessage(-1);
        return -1;
    }
    if (item < 1 || item > size_) {
        error_ = -2;
        return -1;
    }
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return -1;
    }
    if (!ensureWindow(offset)) return -1;
    if (offset - windowOffset_ >= windowLength_) {
        // The file has become shorter than it was when the path was assigned: there is
        // no byte to give, rather than an invented one.
        error_ = -2;
        return -1;
    }
    byteBuffer_ = window_[std::size_t(offset - windowOffset_)];
    error_ = 0;
    return byteBuffer_;
}

int mRWByt::PutByt(int byt, std::int64_t item) { return checkedWrite(byt, item, size_); }

int mRWByt::AddByt(int byt, std::int64_t item) {
    return checkedWrite(byt, item, std::numeric_limits<std::int64_t>::max());
}

// The checks both byte writes make, in their order: path, position (1..last), value.
int mRWByt::checkedWrite(int byt, std::int64_t item, std::int64_t last) {
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::NoPath);
        return -1;
    }
    if (item < 1 || item > last) {
        error_ = FileErrors::OutOfRange;
        return -1;
    }
    if (byt < 0 || byt > 255) {
        subErrMessage(FileErrors::BadValue);
        return -1;
    }
    return writeByte(std::uint8_t(byt), item - 1);
}

int mRWByt::writeByte(std::uint8_t value, std::int64_t offset) {
    byteBuffer_ = value;
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return -1;
    }
    if (!writable_ && mayWrite_ && !reopenForWriting()) return -1;
    if (!writable_) {
        // A read-only file refuses the write now, once per call; cached it would only
        // fail later, and at another call.
        noteWrite(offset, 1);
        const std::int64_t r = FileLayer::pwrite(fd_, &value, 1, offset);
        if (r < 0) {
            reportLayerError(int(-r));
            return -1;
        }
        error_ = 0;
        return 0;
    }
    if (!ensureWindow(offset)) return -1;
    const std::int64_t at = offset - windowOffset_;
    window_[std::size_t(at)] = value;
    markDirty(at, at + 1);
    windowLength_ = std::max(windowLength_, at + 1);
    syncReadable();
    error_ = 0;
    return 0;
}

std::int64_t mRWByt::ReadSpan(std::int64_t item, std::uint8_t* out, std::int64_t count,
                              ReadAhead ahead) {
    if (path_.isEmpty()) {
        subErrMessage(-1);
        return -1;
    }
    if (item < 1 || item > size_) {
        error_ = -2;
        return 0;
    }
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return -1;
    }
    count = std::min(count, size_ - item + 1);
    if (count <= 0) {
        error_ = 0;
        return 0;
    }
    const std::int64_t offset = item - 1;
    const bool inWindow = windowOffset_ >= 0 && offset >= windowOffset_ &&
                          offset + count <= windowOffset_ + windowLength_;
    if (count >= kWindowSize || (ahead == ReadAhead::None && !inWindow)) {
        // Large spans, and spans wanted without read-ahead, go straight to the caller's
        // buffer; the window stays valid once its pending writes are on the file.
        if (!flushWindow()) return -1;
        const std::int64_t n = FileLayer::pread(fd_, out, count, offset);
        if (n < 0) {
            reportLayerError(int(-n), FileErrors::Access::Read);
            return -1;
        }
        error_ = 0;
        return n;
    }
    std::int64_t done = 0;
    while (done < count) {
        if (!ensureWindow(offset + done)) return -1;
        const std::int64_t at = offset + done - windowOffset_;
        const std::int64_t n = std::min(windowLength_ - at, count - done);
        if (n <= 0) break;  // the file now ends before Size
        std::memcpy(out + done, window_.data() + at, std::size_t(n));
        done += n;
    }
    error_ = 0;
    return done;
}

void mRWByt::Reserve(std::int64_t item, std::int64_t count) {
    const std::int64_t from = std::max(item - 1, openedSize_);
    const std::int64_t end = item - 1 + count;
    // Until the first write has reopened the file for writing there is nothing to ask with.
    if (fd_ < 0 || !writable_ || item < 1 || end <= from) return;
    FileLayer::reserve(fd_, from, end - from);
}

std::int64_t mRWByt::CopyTo(mRWByt& target, std::int64_t to, std::int64_t item, std::int64_t count) {
    const bool faulted = FileLayer::faultArmed(FileLayer::Op::Read) || FileLayer::faultArmed(FileLayer::Op::Write);
    if (faulted || &target == this || fd_ < 0 || target.fd_ < 0 || !target.writable_ || hasPendingWrites() ||
        target.hasPendingWrites() || item < 1 || to < 1)
        return 0;
    count = std::min(count, std::min(size_, openedSize_) - item + 1);
    if (count <= 0) return 0;
    target.noteWrite(to - 1, count);
    const std::int64_t n = FileLayer::copyRange(fd_, item - 1, target.fd_, to - 1, count);
    if (n <= 0) return 0;
    // A window over the bytes just copied holds what was there before.
    target.dropWindowOver(to - 1, n);
    return n;
}

MappedBytes mRWByt::MapSpan(std::int64_t item, std::int64_t count) const {
    if (fd_ < 0 || hasPendingWrites() || item < 1 || count <= 0 || count > std::min(size_, openedSize_) - item + 1)
        return {};
    return MappedBytes::map(fd_, item - 1, count);
}

FileLayer::Extent mRWByt::ExtentAt(std::int64_t item) const {
    // No descriptor to ask is a system that cannot tell.
    return FileLayer::extentAt(fd_ >= 0 && !hasPendingWrites() ? fd_ : -1, item - 1);
}

int mRWByt::WriteSpan(std::int64_t item, const std::uint8_t* data, std::int64_t count) {
    return writeSpan(item, count, data, 0);
}

int mRWByt::FillSpan(std::int64_t item, std::int64_t count, std::uint8_t value) {
    return writeSpan(item, count, nullptr, value);
}

// Writes `data`, or `count` copies of `fill` when data is null: into the window when the
// span lies inside one, else straight to the file.
int mRWByt::writeSpan(std::int64_t item, std::int64_t count, const std::uint8_t* data,
                      std::uint8_t fill) {
    if (path_.isEmpty()) {
        subErrMessage(FileErrors::NoPath);
        return -1;
    }
    if (item < 1 || count > std::numeric_limits<std::int64_t>::max() - item) {
        error_ = FileErrors::OutOfRange;
        return -1;
    }
    if (count <= 0) {
        error_ = 0;
        return 0;
    }
    if (fd_ < 0) {
        subErrMessage(FileErrors::BadHandle);
        return -1;
    }
    if (!writable_ && mayWrite_ && !reopenForWriting()) return -1;
    const std::int64_t offset = item - 1;
    const std::int64_t end = offset + count;
    const bool oneWindow = (offset & ~(kWindowSize - 1)) == ((end - 1) & ~(kWindowSize - 1));
    bool written;
    if (writable_ && count < kWindowSize && oneWindow)
        written = writeCached(offset, count, data, fill);
    else if (data)
        written = writeDirect(offset, data, count);
    else
        written = fillDirect(offset, count, fill);
    if (!written) return -1;
    error_ = 0;
    return 0;
}

// The span lies inside one window: it waits there, with the single-byte writes, for the
// next flush.
bool mRWByt::writeCached(std::int64_t offset, std::int64_t count, const std::uint8_t* data,
                         std::uint8_t fill) {
    if (!ensureWindow(offset)) return false;
    const std::int64_t at = offset - windowOffset_;
    if (data)
        std::memcpy(window_.data() + at, data, std::size_t(count));
    else
        std::memset(window_.data() + at, fill, std::size_t(count));
    markDirty(at, at + count);
    windowLength_ = std::max(windowLength_, at + count);
    syncReadable();
    return true;
}

// Writes the span to the file at once. Pending bytes go first, so the file sees the writes
// in the order they were made; a window the span overlaps is dropped, to be read again.
bool mRWByt::writeDirect(std::int64_t offset, const std::uint8_t* data, std::int64_t count) {
    if (!flushWindow()) return false;
    dropWindowOver(offset, count);
    noteWrite(offset, count);
    if (const std::int64_t r = FileLayer::pwrite(fd_, data, count, offset); r < 0) {
        reportLayerError(int(-r));
        return false;
    }
    return true;
}

// A fill too large for the window, written a chunk at a time; the last chunk is cut to
// what is left of the span.
bool mRWByt::fillDirect(std::int64_t offset, std::int64_t count, std::uint8_t fill) {
    AlignedBuffer chunk(std::min(count, kFillChunk));
    std::memset(chunk.data(), fill, std::size_t(chunk.size()));
    for (std::int64_t done = 0; done < count;) {
        const std::int64_t n = std::min(count - done, chunk.size());
        if (!writeDirect(offset + done, chunk.data(), n)) return false;
        done += n;
    }
    return true;
}

// The first write: the file is opened again, for writing, and used only when it is still
// the file that was opened for reading (another program may have put a new file under the
// name since). The window and its bytes stay valid: it is the same file.
bool mRWByt::reopenForWriting() {
    const int fd = FileLayer::open(path_, O_RDWR);
    if (fd < 0) {
        reportLayerError(-fd);
        return false;
    }
    if (FileIdentity::ofDescriptor(fd) != openedIdentity_) {
        FileLayer::close(fd);
        reportLayerError(ESTALE);
        return false;
    }
    FileLayer::close(fd_);
    fd_ = fd;
    writable_ = true;
    return true;
}

// Makes the window hold `offset`, writing out the pending bytes of the window it leaves.
bool mRWByt::ensureWindow(std::int64_t offset) {
    if (windowOffset_ >= 0 && offset >= windowOffset_ && offset < windowOffset_ + kWindowSize)
        return true;
    if (!flushWindow()) return false;
    const std::int64_t start = offset & ~(kWindowSize - 1);
    const std::int64_t n = FileLayer::pread(fd_, window_.data(), kWindowSize, start);
    if (n < 0) {
        dropWindow();
        reportLayerError(int(-n), FileErrors::Access::Read);
        return false;
    }
    std::memset(window_.data() + n, 0, std::size_t(kWindowSize - n));
    windowOffset_ = start;
    windowLength_ = n;
    syncReadable();
    return true;
}

void mRWByt::markDirty(std::int64_t begin, std::int64_t end) {
    for (std::int64_t i = begin; i < end;) {
        const std::int64_t word = i >> 6;
        const int bit = int(i & 63);
        const int span = int(std::min<std::int64_t>(64 - bit, end - i));
        const std::uint64_t mask = span == 64 ? ~0ull : ((1ull << span) - 1) << bit;
        dirtyBits_[std::size_t(word)] |= mask;
        dirtyFirstWord_ = dirtyLastWord_ < dirtyFirstWord_ ? word : std::min(dirtyFirstWord_, word);
        dirtyLastWord_ = std::max(dirtyLastWord_, word);
        i += span;
    }
}

// Writes each run of changed bytes, and nothing else: a byte never asked for (the gap
// between two changes, the zeros past the end of the file) is never written. A failure
// is reported once; the bytes not yet written are dropped with the window.
bool mRWByt::flushWindow() {
    if (!hasPendingWrites()) return true;
    const std::int64_t limit = (dirtyLastWord_ + 1) * 64;
    // The next position from i whose dirty bit equals `set`, or limit.
    auto nextWith = [&](std::int64_t i, bool set) -> std::int64_t {
        while (i < limit) {
            const std::int64_t wordStart = i & ~std::int64_t(63);
            std::uint64_t word = dirtyBits_[std::size_t(i >> 6)];
            if (!set) word = ~word;
            word &= ~0ull << (i & 63);
            if (word) return std::min(limit, wordStart + std::countr_zero(word));
            i = wordStart + 64;
        }
        return limit;
    };
    for (std::int64_t begin = nextWith(dirtyFirstWord_ * 64, true); begin < limit;) {
        const std::int64_t end = nextWith(begin, false);
        noteWrite(windowOffset_ + begin, end - begin);
        const std::int64_t r =
            FileLayer::pwrite(fd_, window_.data() + begin, end - begin, windowOffset_ + begin);
        if (r < 0) {
            dropWindow();
            reportLayerError(int(-r));
            return false;
        }
        begin = end < limit ? nextWith(end, true) : limit;
    }
    std::fill(dirtyBits_.begin() + dirtyFirstWord_, dirtyBits_.begin() + dirtyLastWord_ + 1, 0);
    dirtyFirstWord_ = 0;
    dirtyLastWord_ = -1;
    return true;
}

// Forgets the window when it holds any of the `count` bytes from `offset`, which are
// written to the file without it (its pending bytes have gone first).
void mRWByt::dropWindowOver(std::int64_t offset, std::int64_t count) {
    if (windowOffset_ >= 0 && offset < windowOffset_ + kWindowSize && offset + count > windowOffset_) dropWindow();
}

void mRWByt::dropWindow() {
    if (hasPendingWrites())
        std::fill(dirtyBits_.begin() + dirtyFirstWord_, dirtyBits_.begin() + dirtyLastWord_ + 1, 0);
    dirtyFirstWord_ = 0;
    dirtyLastWord_ = -1;
    windowOffset_ = -1;
    windowLength_ = 0;
    syncReadable();
}

// GetByt answers inline from the window only what lies inside the file's size as known.
void mRWByt::syncReadable() {
    windowFirstItem_ = windowOffset_ + 1;
    windowReadable_ = windowOffset_ < 0 ? 0 : std::clamp<std::int64_t>(size_ - windowOffset_, 0, windowLength_);
}
