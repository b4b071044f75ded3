#include "FileLayer.h"


#include <QDir>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace FileLayer {

namespace {

struct FaultState {
    bool armed = false;
    Fault fault;
    int seen = 0;
    bool failing = false;  // the trigger has passed: matching calls fail
};
FaultState faultState;

// Decides the fate of one system call: 0 lets it run, a positive errno fails it. For a
// write, `limit` may be lowered to make it short.
int faultFor(Op op, std::int64_t* limit = nullptr) {
    FaultState& s = faultState;
    if (!s.armed || (s.fault.op != Op::Any && s.fault.op != op)) return 0;
    ++s.seen;
    if (s.failing) {
        if (!s.fault.persistent) s.armed = false;
        return s.fault.err;
    }
    if (s.seen < s.fault.nth) return 0;
    if (s.fault.partialBytes > 0 && limit && *limit > s.fault.partialBytes) {
        *limit = s.fault.partialBytes;
        s.failing = true;
        return 0;
    }
    s.failing = s.fault.persistent;
    if (!s.fault.persistent) s.armed = false;
    return s.fault.err;
}

QByteArray encoded(const QString& path) { return encodeName(path); }

// The length of the valid UTF-8 sequence at `at` (1..4), or 0 when the byte there starts
// none (overlong forms, surrogates and values past U+10FFFF are not valid).
int utf8Length(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? std::uint8_t(bytes[i]) : 0; };
    const std::uint8_t b0 = byte(at);
    const auto cont = [&](qsizetype i) { return (byte(i) & 0xC0) == 0x80; };
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) return cont(at + 1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const std::uint8_t b1 = byte(at + 1);
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0)) return 0;
        return cont(at + 1) && cont(at + 2) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const std::uint8_t b1 = byte(at + 1);
        if ((b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 >= 0x90)) return 0;
        return cont(at + 1) && cont(at + 2) && cont(at + 3) ? 4 : 0;
    }
    return 0;
}

constexpr char16_t kEscapeBase = 0xDC00;

// Makes `once(done, chunk)` write the next `chunk` bytes, after the `done` already
// written, until all `count` have gone. A short write is continued, EINTR retried; an
// armed write fault takes the place of the system call. Returns count or -errno.
template <typename WriteOnce>
std::int64_t writeAll(std::int64_t count, WriteOnce once) {
    std::int64_t done = 0;
    while (done < count) {
        std::int64_t chunk = count - done;
        ssize_t n;
        if (int err = faultFor(Op::Write, &chunk)) {
            n = -1;
            errno = err;
        } else {
            n = once(done, chunk);
        }
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            return -EIO;  // no progress and no reason given: do not spin
        } else if (errno != EINTR) {
            return -errno;
        }
    }
    return done;
}

}  // namespace

QString decodeName(const QByteArray& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype at = 0; at < name.size();) {
        const int n = utf8Length(name, at);
        if (n == 0) {
            out += QChar(char16_t(kEscapeBase + std::uint8_t(name[at])));
            ++at;
        } else {
            out += QString::fromUtf8(name.constData() + at, n);
            at += n;
        }
    }
    return out;
}

QByteArray encodeName(const QString& name) {
    QByteArray out;
    out.reserve(name.size());
    qsizetype plain = 0;  // start of the run not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool lone = c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
                          (i == 0 || !name[i - 1].isHighSurrogate());
        if (!lone) continue;
        out += QStringView(name).mid(plain, i - plain).toUtf8();
        out += char(c - kEscapeBase);
        plain = i + 1;
    }
    out += QStringView(name).mid(plain).toUtf8();
    return out;
}

QString nameFromUrl(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    return decodeName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString recoverDialogName(const QString& path) {
    constexpr QChar kReplacement(0xFFFD);
    if (!path.contains(kReplacement)) return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString recovered;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString part = parts[i];
        if (part.contains(kReplacement)) {
            const QByteArray folder = encodeName(recovered.isEmpty() && i > 0 ? QStringLiteral("/") : recovered);
            if (DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData())) {
                int matches = 0;
                QString match;
                while (const dirent* entry = ::readdir(dir))
                    if (QString::fromUtf8(entry->d_name) == part) {
                        ++matches;
                        match = decodeName(QByteArray(entry->d_name));
                    }
                ::closedir(dir);
                if (matches == 1) part = match;
            }
        }
        recovered += (i > 0 ? QStringLiteral("/") : QString()) + part;
    }
    return recovered;
}

QString absolutePath(const QString& path) {
    if (path.startsWith(QLatin1Char('/'))) return QDir::cleanPath(path);
    QByteArray folder(4096, Qt::Uninitialized);
    while (::getcwd(folder.data(), std::size_t(folder.size())) == nullptr) {
        if (errno != ERANGE) return QDir::cleanPath(path);
        folder.resize(folder.size() * 2);
    }
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return QDir::cleanPath(decodeName(folder) + QLatin1Char('/') + path);
}

void injectFault(const Fault& fault) { faultState = FaultState{true, fault, 0, false}; }
void clearFault() { faultState = FaultState{}; }
int faultCallsSeen() { return faultState.seen; }
bool faultArmed(Op op) { return faultState.armed && (faultState.fault.op == op || faultState.fault.op == Op::Any); }

int open(const QString& path, int flags, mode_t mode) {
    const QByteArray name = encoded(path);
    for (;;) {
        if (int err = faultFor(Op::Open)) {
            if (err == EINTR) continue;
            return -err;
        }
        int fd = ::open(name.constData(), flags | O_CLOEXEC | O_NONBLOCK, mode);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return -errno;
        }
        struct stat info;
        int r = ::fstat(fd, &info) == 0 ? 0 : -errno;
        if (r == 0 && !S_ISREG(info.st_mode)) r = S_ISDIR(info.st_mode) ? -EISDIR : -EBADF;
        if (r < 0) {
            ::close(fd);
            return r;
        }
        return fd;
    }
}

int openOutput(const QString& path, int flags, bool waitForReader, mode_t mode) {
    const QByteArray name = encoded(path);
    bool blocking = false;
    for (;;) {
        if (int err = faultFor(Op::Open)) {
            if (err == EINTR) continue;
            return -err;
        }
        int fd = ::open(name.constData(), flags | O_CLOEXEC | (blocking ? 0 : O_NONBLOCK), mode);
        if (fd < 0) {
            if (errno == EINTR) continue;
            struct stat info;
            if (errno == ENXIO && waitForReader && !blocking && ::stat(name.constData(), &info) == 0 &&
                S_ISFIFO(info.st_mode)) {
                blocking = true;  // as a shell's redirection does: the reader may come later
                continue;
            }
            return -errno;
        }
        struct stat info;
        int r = ::fstat(fd, &info) == 0 ? 0 : -errno;
        if (r == 0 && !S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode))
            r = S_ISDIR(info.st_mode) ? -EISDIR : -EBADF;
        // A device or pipe is written like a terminal: a full pipe waits for its reader.
        if (r == 0 && !S_ISREG(info.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) < 0)
            r = -errno;
        if (r < 0) {
            ::close(fd);
            return r;
        }
        return fd;
    }
}

int close(int fd) {
    if (int err = faultFor(Op::Close)) {
        ::close(fd);
        return err == EINTR ? 0 : -err;
    }
    // On Linux the descriptor is gone after close() whatever it returns; retrying after
    // EINTR could close a descriptor another part of the process has just been given.
    if (::close(fd) == 0 || errno == EINTR) return 0;
    return -errno;
}

std::int64_t pread(int fd, void* buffer, std::int64_t count, std::int64_t offset) {
    auto* out = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        ssize_t n;
        if (int err = faultFor(Op::Read)) {
            n = -1;
            errno = err;
        } else {
            n = ::pread(fd, out + done, size_t(count - done), off_t(offset + done));
        }
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return -errno;
        }
    }
    return done;
}

std::int64_t pwrite(int fd, const void* buffer, std::int64_t count, std::int64_t offset) {
    const auto* in = static_cast<const char*>(buffer);
    return writeAll(count, [&](std::int64_t done, std::int64_t chunk) {
        return ::pwrite(fd, in + done, size_t(chunk), off_t(offset + done));
    });
}

std::int64_t read(int fd, void* buffer, std::int64_t count) {
    for (;;) {
        ssize_t n;
        if (int err = faultFor(Op::Read)) {
            n = -1;
            errno = err;
        } else {
            n = ::read(fd, buffer, size_t(count));
        }
        if (n >= 0) return n;
        if (errno != EINTR) return -errno;
    }
}

std::int64_t write(int fd, const void* buffer, std::int64_t count) {
    const auto* in = static_cast<const char*>(buffer);
    return writeAll(count, [&](std::int64_t done, std::int64_t chunk) {
        return ::write(fd, in + done, size_t(chunk));
    });
}

int reserve(int fd, std::int64_t offset, std::int64_t count) {
    for (;;) {
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, off_t(offset), off_t(count)) == 0) return 0;
        if (errno != EINTR) return -errno;
    }
}

std::int64_t copyRange(int in, std::int64_t inOffset, int out, std::int64_t outOffset, std::int64_t count) {
    loff_t from = inOffset, to = outOffset;
    std::int64_t done = 0;
    while (done < count) {
        std::int64_t chunk = count - done;
        ssize_t n;
        if (int err = faultFor(Op::Copy, &chunk)) {
            n = -1;
            errno = err;
        } else {
            n = ::copy_file_range(in, &from, out, &to, std::size_t(chunk), 0);
        }
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return done > 0 ? done : -errno;
        }
    }
    return done;
}

Extent extentAt(int fd, std::int64_t offset) {
    const Extent data{false, std::numeric_limits<std::int64_t>::max() - std::max<std::int64_t>(offset, 0)};
    if (offset < 0 || faultArmed(Op::Read)) return data;
    const off_t next = ::lseek(fd, off_t(offset), SEEK_DATA);
    if (next < 0) {
        // No data from the offset on: a hole up to the end, when the offset lies before it.
        struct stat info;
        if (errno == ENXIO && ::fstat(fd, &info) == 0 && offset < info.st_size) return {true, info.st_size - offset};
        return data;
    }
    if (next > offset) return {true, next - offset};
    const off_t hole = ::lseek(fd, off_t(offset), SEEK_HOLE);
    return hole > offset ? Extent{false, hole - offset} : data;
}

int stat(const QString& path, struct stat& info) {
    const QByteArray name = encoded(path);
    for (;;) {
        if (int err = faultFor(Op::Stat)) {
            if (err == EINTR) continue;
            return -err;
        }
        if (::stat(name.constData(), &info) == 0) return 0;
        if (errno != EINTR) return -errno;
    }
}

int fstat(int fd, struct stat& info) {
    for (;;) {
        if (int err = faultFor(Op::Stat)) {
            if (err == EINTR) continue;
            return -err;
        }
        if (::fstat(fd, &info) == 0) return 0;
        if (errno != EINTR) return -errno;
    }
}

int access(const QString& path, int mode) {
    if (int err = faultFor(Op::Access)) return -err;
    if (::access(encoded(path).constData(), mode) == 0) return 0;
    return -errno;
}

int unlink(const QString& path) {
    if (int err = faultFor(Op::Unlink)) return -err;
    if (::unlink(encoded(path).constData()) == 0) return 0;
    return -errno;
}

void ignoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace FileLayer
