#pragma once

#include <QString>
#include <QUrl>

#include <sys/stat.h>
#include <cerrno>
#include <sys/types.h>

#include <cstdint>

// The thin POSIX layer under the file objects. Every call returns a non-negative result on
// success and -errno on failure; EINTR is retried and short transfers are continued, so a
// caller sees either the whole transfer or a failure.
namespace FileLayer {

// File names as the system stores them, any byte string, and back, without loss: valid
// UTF-8 reads as its characters, every other byte b as the lone surrogate U+DC00 + b
// (which no valid name decodes to). Every path that goes to or comes from the system
// passes here.
QString decodeName(const QByteArray& name);
QByteArray encodeName(const QString& name);
// The local file a dropped or pasted URL names, its percent-encoded bytes taken as they are.
QString nameFromUrl(const QUrl& url);
// A path read back from a toolkit file dialog, which shows names that are not UTF-8 with
// U+FFFD in place of their odd bytes: each such component is given back its real bytes
// when exactly one entry of its folder reads that way. Other paths come back unchanged.
QString recoverDialogName(const QString& path);
// `path` made absolute against the working folder, "." and ".." resolved as text.
QString absolutePath(const QString& path);

// Opens with O_CLOEXEC and O_NONBLOCK added to `flags`, so that a FIFO or device put where
// a file was expected can never block the program; anything but a regular file is then
// refused (-EISDIR for a folder, -EBADF otherwise). Returns the descriptor.
int open(const QString& path, int flags, mode_t mode = 0666);
// Opens a target to write a stream into: a regular file as open() does, and also a
// character device or a FIFO (/dev/null, a pipe to a reader), which are then written
// blocking. A FIFO without a reader fails with ENXIO, unless `waitForReader`; a folder
// gives -EISDIR, anything else -EBADF.
int openOutput(const QString& path, int flags, bool waitForReader = false, mode_t mode = 0666);
// Releases the descriptor even when it reports a failure (as Linux does); never retried.
int close(int fd);
// Reads at `offset` until `count` bytes or the end of the file; returns the bytes read.
std::int64_t pread(int fd, void* buffer, std::int64_t count, std::int64_t offset);
// Writes all `count` bytes at `offset`; returns count. On a failure the bytes before the
// failing call have been written.
std::int64_t pwrite(int fd, const void* buffer, std::int64_t count, std::int64_t offset);
// Sequential counterparts: read returns what one read call gives (0 at the end of file);
// write writes everything or fails.
std::int64_t read(int fd, void* buffer, std::int64_t count);
std::int64_t write(int fd, const void* buffer, std::int64_t count);
// Sets disk space aside for [offset, offset + count) without changing the file's size, so
// that a large write past the end finds it in one piece. 0 or -errno (a file system may not
// offer it). Not seen by the failure injection below: it writes no byte.
int reserve(int fd, std::int64_t offset, std::int64_t count);
// Copies up to `count` bytes inside the kernel, from `inOffset` of `in` to `outOffset` of
// `out`, until the source ends; returns the bytes copied, or -errno when it failed before
// copying any (EXDEV, EINVAL and the like: the caller copies through a buffer instead).
std::int64_t copyRange(int in, std::int64_t inOffset, int out, std::int64_t outOffset, std::int64_t count);
// A stretch of a file that is all data or all hole (never written: it reads as zeros and
// takes no room on the disk), from the offset asked about on.
struct Extent {
    bool hole = false;
    std::int64_t length = 0;
};
// The stretch at 0-based `offset` of the open file `fd`; a hole never reaches past the
// file's end. Data that goes on for ever where the system cannot tell, at or past the end,
// and while a read fault is armed (every byte must then go through the read calls). Moves
// the descriptor's file position.
Extent extentAt(int fd, std::int64_t offset);
int stat(const QString& path, struct stat& info);
int fstat(int fd, struct stat& info);
int access(const QString& path, int mode);
int unlink(const QString& path);

// A write past the process's file-size limit then fails with EFBIG (reported as a full
// disk) instead of the signal ending the program. Called once at start.
void ignoreFileSizeSignal();

// ---- Failure injection, for tests ----
// Read and Write cover the positioned and the sequential calls alike; Copy is the copy
// inside the kernel, which a Read or Write fault turns off instead.
enum class Op { Open, Close, Read, Write, Stat, Access, Unlink, Copy, Any };
struct Fault {
    Op op = Op::Write;
    int nth = 1;                    // the nth matching system call from now (1-based) fails
    int err = ENOSPC;
    std::int64_t partialBytes = 0;  // >0: that call of a write (or copy) first moves this many bytes
                                    // and returns short; the next matching call fails
    bool persistent = false;        // every later matching call fails too (a disk that stays full)
};
// Arms one fault, replacing any armed before. Counting starts now.
void injectFault(const Fault& fault);
void clearFault();
// Matching system calls made since the fault was armed.
int faultCallsSeen();
// A fault is armed for `op` (or for any call). Mapped bytes and copies inside the kernel
// take no read or write call, so the file objects use the calls instead while one is armed.
bool faultArmed(Op op);

}  // namespace FileLayer
