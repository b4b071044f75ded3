#include "MappedBytes.h"

#include "FileLayer.h"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <mutex>

namespace {

// The stretches a running MappedBytes::read covers, and where to go back to when one of
// them faults.
struct Guard {
    sigjmp_buf resume;
    std::array<const std::uint8_t*, 8> bounds{};  // [begin, end) pairs
    std::size_t count = 0;                        // pairs in use

    bool covers(const void* address) const {
        const auto* at = static_cast<const std::uint8_t*>(address);
        for (std::size_t i = 0; i < count; ++i)
            if (at >= bounds[2 * i] && at < bounds[2 * i + 1]) return true;
        return false;
    }
};

thread_local Guard* activeGuard = nullptr;
struct sigaction previousAction {};

// A fault inside a guarded stretch goes back to its read; any other SIGBUS is handled as
// it would have been without us.
void onBusError(int signal, siginfo_t* info, void* context) {
    Guard* guard = activeGuard;
    if (guard && info && guard->covers(info->si_addr)) {
        activeGuard = nullptr;
        siglongjmp(guard->resume, 1);
    }
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // The default action: a fault happens again when the instruction is retried; a signal
    // sent by someone is sent once more.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
    if (!info || info->si_code <= 0) raise(signal);
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousAction);
    });
}

}  // namespace

MappedBytes::~MappedBytes() { release(); }

MappedBytes& MappedBytes::operator=(MappedBytes&& other) noexcept {
    if (this != &other) {
        release();
        base_ = std::exchange(other.base_, nullptr);
        length_ = std::exchange(other.length_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        fd_ = std::exchange(other.fd_, -1);
        end_ = std::exchange(other.end_, 0);
    }
    return *this;
}

void MappedBytes::release() {
    if (base_) munmap(base_, length_);
    if (fd_ >= 0) close(fd_);
    base_ = nullptr;
    length_ = 0;
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
    end_ = 0;
}

MappedBytes MappedBytes::map(int fd, std::int64_t offset, std::int64_t count) {
    MappedBytes view;
    // A test that makes read calls fail wants every byte to go through them.
    if (fd < 0 || offset < 0 || count <= 0 || FileLayer::faultArmed(FileLayer::Op::Read)) return view;
    static const std::int64_t page = sysconf(_SC_PAGESIZE);
    const std::int64_t aligned = offset - offset % page;
    const auto length = std::size_t(offset - aligned + count);
    // A descriptor of the view's own: the caller may close or reopen its file while the
    // view lives, and the look at the file's size afterwards must be at this file.
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return view;
    void* base = mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, off_t(aligned));
    if (base == MAP_FAILED) {
        close(own);
        return view;
    }
    view.base_ = base;
    view.length_ = length;
    view.data_ = static_cast<const std::uint8_t*>(base) + (offset - aligned);
    view.size_ = count;
    view.fd_ = own;
    view.end_ = offset + count;
    return view;
}

bool MappedBytes::read(std::initializer_list<const MappedBytes*> views, void (*work)(void*), void* context) {
    installHandler();
    Guard guard;
    for (const MappedBytes* view : views) {
        if (!view || !view->base_ || guard.count * 2 >= guard.bounds.size()) continue;
        const auto* begin = static_cast<const std::uint8_t*>(view->base_);
        guard.bounds[2 * guard.count] = begin;
        guard.bounds[2 * guard.count + 1] = begin + view->length_;
        ++guard.count;
    }
    Guard* const outer = activeGuard;
    if (sigsetjmp(guard.resume, 1) != 0) {
        activeGuard = outer;
        return false;
    }
    activeGuard = &guard;
    work(context);
    activeGuard = outer;
    for (const MappedBytes* view : views) {
        struct stat now {};
        if (view && view->base_ && (fstat(view->fd_, &now) != 0 || now.st_size < view->end_)) return false;
    }
    return true;
}
