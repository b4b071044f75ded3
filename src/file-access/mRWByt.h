#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "AlignedBuffer.h"
#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "MappedBytes.h"

class UiServices;

// The binary file object: the one way the program reads and writes the bytes of a file.
// Positions are 1-based (position 1 is the first byte); sizes and positions are 64-bit.
// No member throws: each leaves a code in Error() (0 success, negative codes our own,
// positive codes the file layer's) and reports failures in a message box itself.
//
// While the file is open, single-byte reads and writes go through a window cache that is
// flushed when the window moves and at CloseFile; nothing survives CloseFile, so each
// open sees the file as it is on disk.
class mRWByt {
public:
    explicit mRWByt(UiServices& ui);
    ~mRWByt();
    mRWByt(const mRWByt&) = delete;
    mRWByt& operator=(const mRWByt&) = delete;

    // Whoever keeps something about a file's bytes hears of every write: an object tells,
    // when it closes the file, the stretch [from, to) of it that it wrote or may have written
    // (a write that failed half way included). Observers are called on the thread that
    // closes; the program writes on one.
    using WriteObserver = std::function<void(const FileIdentity& file, std::int64_t from, std::int64_t to)>;
    static int addWriteObserver(WriteObserver observer);
    static void removeWriteObserver(int id);

    void MsgView(bool messageView);
    void MsgTitle(const QString& title);
    QString MsgTitle() const { return msgTitle_; }

    // Assigning a path refreshes size, name, date, time and attributes when the file
    // exists (or the path is empty); otherwise only the path changes.
    void Path(const QString& strPath);
    QString Path() const { return path_; }
    std::int64_t Size() const { return size_; }
    QString Name() const { return name_; }
    QDate DateFile() const;
    QTime TimeFile() const;
    QString DateText() const { return dateText_; }  // "dd.MM.yyyy"
    QString TimeText() const { return timeText_; }  // "HH:mm:ss"

    // 0..255, or -1 on failure. A byte inside the cached window is answered here, inline,
    // so a byte loop runs near the speed of a buffered read; everything else takes the
    // checked way.
    int GetByt(std::int64_t item) {
        // Unsigned, so a position before the window (or no window) is out of range too.
        const std::uint64_t at = std::uint64_t(item) - std::uint64_t(windowFirstItem_);
        if (at < std::uint64_t(windowReadable_)) {
            error_ = 0;
            return window_[at];
        }
        return getBytChecked(item);
    }
    // 0 on success, -1 on failure. AddByt writes anywhere from position 1 on (extending the
    // file); PutByt only inside 1..Size. Neither changes Size.
    int AddByt(int byt, std::int64_t item);
    int PutByt(int byt, std::int64_t item);

    // Opens the file for reading; the first write through the object reopens the same
    // file (same device and inode) for writing, so a file that may only be read is still
    // shown. A path that named no file when it was assigned is created, for writing.
    void OpenFileRW();
    void CloseFile();
    // The file as the last successful OpenFileRW found it: its identity and its length
    // then (which another program may have changed since Size was read).
    FileIdentity OpenedIdentity() const { return openedIdentity_; }
    std::int64_t OpenedSize() const { return openedSize_; }
    // Takes size, date and time from a look at the file (its size, and its modification
    // time in ns since the epoch) when it has been written since they were read (by us or by
    // another program); true when they changed. Quiet, and the attributes and name stay.
    bool RefreshStamp(std::int64_t size, std::int64_t modifiedNs);
    int Error() const { return error_; }
    std::uint8_t FileAttr() const { return fileAttr_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Bulk members for the loops. Positions are 1-based as above.
    // ReadSpan reads up to `count` bytes that lie inside 1..Size into `out` and returns how
    // many it read (fewer at the end of the file), or -1 on a failure it has reported.
    // Without read-ahead (for a screen of a few hundred bytes) it reads just the bytes asked
    // for, unless the window holds them already; with it, a span smaller than the window
    // fills the window for the reads that follow.
    enum class ReadAhead { Window, None };
    std::int64_t ReadSpan(std::int64_t item, std::uint8_t* out, std::int64_t count,
                          ReadAhead ahead = ReadAhead::Window);
    // WriteSpan / FillSpan write anywhere from position 1 on, like AddByt; 0 or -1.
    int WriteSpan(std::int64_t item, const std::uint8_t* data, std::int64_t count);
    int FillSpan(std::int64_t item, std::int64_t count, std::uint8_t value);
    // Sets disk space aside for the `count` bytes from `item` that are about to be written,
    // where they lie past the file's end as opened and the file is open for writing; the
    // size stays. Quiet: it only helps the writes that follow, which report what they meet.
    void Reserve(std::int64_t item, std::int64_t count);
    // Copies up to `count` bytes from `item` of this file to position `to` of `target` inside
    // the kernel, with no buffer of ours: only bytes inside 1..Size and inside the file as it
    // was opened, only into a target already open for writing, and only while neither object
    // holds bytes waiting to be written. Returns the bytes copied; what it could not copy
    // (all of them, when it declined) the caller copies through a buffer, which meets and
    // reports whatever stopped the kernel. Quiet.
    std::int64_t CopyTo(mRWByt& target, std::int64_t to, std::int64_t item, std::int64_t count);
    // The `count` bytes from `item`, mapped for reading through MappedBytes::read, when all
    // of them lie inside 1..Size and inside the file as it was opened and none waits in the
    // window to be written; otherwise an empty view, and ReadSpan reads them. Quiet: a
    // mapping that cannot be made is no failure.
    MappedBytes MapSpan(std::int64_t item, std::int64_t count) const;
    // The stretch of the file from `item` on that is all data or all hole, as
    // FileLayer::extentAt tells it, so that a loop can pass over what the file never held.
    // Quiet; data for ever when the file is not open or bytes wait in the window to be
    // written (they are not on the file yet).
    FileLayer::Extent ExtentAt(std::int64_t item) const;

private:
    void subFileInfo();
    void subErrMessage(int code);
    std::uint8_t funAttrCode(const QString& path);
    void reportLayerError(int err, FileErrors::Access access = FileErrors::Access::Write);
    int getBytChecked(std::int64_t item);
    int checkedWrite(int byt, std::int64_t item, std::int64_t last);
    int writeByte(std::uint8_t value, std::int64_t offset);
    bool reopenForWriting();
    int writeSpan(std::int64_t item, std::int64_t count, const std::uint8_t* data,
                  std::uint8_t fill);
    bool writeCached(std::int64_t offset, std::int64_t count, const std::uint8_t* data,
                     std::uint8_t fill);
    bool writeDirect(std::int64_t offset, const std::uint8_t* data, std::int64_t count);
    bool fillDirect(std::int64_t offset, std::int64_t count, std::uint8_t fill);
    bool ensureWindow(std::int64_t offset);
    bool hasPendingWrites() const { return dirtyLastWord_ >= dirtyFirstWord_; }
    bool flushWindow();
    void dropWindow();
    void dropWindowOver(std::int64_t offset, std::int64_t count);
    void markDirty(std::int64_t begin, std::int64_t end);
    void syncReadable();
    // A write of [offset, offset + count) was attempted: told at CloseFile.
    void noteWrite(std::int64_t offset, std::int64_t count);

    UiServices& ui_;
    bool msgView_ = true;
    QString path_;
    QString name_;
    std::int64_t size_ = 0;
    QString dateText_;
    QString timeText_;
    std::uint8_t byteBuffer_ = 0;
    int fd_ = -1;
    bool writable_ = false;   // the descriptor is open for writing
    bool mayWrite_ = false;   // the file is not read-only: a write may reopen it for writing
    FileIdentity openedIdentity_;
    std::int64_t openedSize_ = 0;
    std::int64_t stampModified_ = -1;   // ns since the epoch, of the date and time the object holds
    bool existedAtPath_ = false;  // the path named a regular file when it was assigned
    int error_ = 0;
    int lastErrno_ = 0;  // of the last file-layer failure, for its description
    QString msgTitle_ = QStringLiteral("mRWByt");
    std::uint8_t fileAttr_ = 0;

    // Window cache, valid only while open. Bytes of window_ past windowLength_ are zero,
    // which is what the file reads there once a write beyond its end has been flushed.
    AlignedBuffer window_;
    std::vector<std::uint64_t> dirtyBits_;  // one bit per byte of window_
    std::int64_t windowOffset_ = -1;  // 0-based file offset of window_[0], -1 none
    std::int64_t windowLength_ = 0;   // bytes of window_ that hold file data
    std::int64_t windowReadable_ = 0;  // of those, the bytes inside 1..Size (syncReadable)
    std::int64_t windowFirstItem_ = 0;  // the position of window_[0] (syncReadable)
    std::int64_t dirtyFirstWord_ = 0;  // words of dirtyBits_ that may hold set bits,
    std::int64_t dirtyLastWord_ = -1;  // [first, last]; none when last < first
    std::int64_t writtenFrom_ = 0, writtenTo_ = 0;  // what the open file was written, [from, to)
};
