#include "ChangeFinder.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "ChangeSearch.h"
#include "FileLayer.h"
#include "FilePair.h"
#include "MappedBytes.h"

namespace ChangeFinder {

namespace {

using Byte = std::uint8_t;

// Where an empty file's bytes are: nowhere, but not a null pointer.
const Byte kNothing[1] = {0};

// Files this large together give the second thread enough to do to be worth starting.
constexpr std::int64_t kSplitFrom = 64 << 20;

// A second thread for the search's work that splits in two (hashing both files, comparing
// the next step of a long equal stretch), its reading guarded like the search's own.
class Helper {
public:
    Helper(const MappedBytes* a, const MappedBytes* b) : a_(a), b_(b), thread_([this] { serve(); }) {}
    ~Helper() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    // What the thread does each time it is asked: set once, before the search starts.
    void setTask(std::function<void()> task) { task_ = std::move(task); }
    bool both(void (*here)(void*), void* context) {
        {
            std::lock_guard lock(mutex_);
            ready_ = true;
            done_ = false;
        }
        wake_.notify_all();
        here(context);
        return finish();
    }
    // Waits for the task in hand, if any (the search may have been left in the middle of one).
    bool finish() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return done_; });
        return !faulted_;
    }

private:
    void serve() {
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return ready_ || quit_; });
                if (!ready_) return;
                ready_ = false;
            }
            const bool read = MappedBytes::read({a_, b_}, task_);
            {
                std::lock_guard lock(mutex_);
                faulted_ = !read;
                done_ = true;
            }
            wake_.notify_all();
        }
    }

    const MappedBytes* a_;
    const MappedBytes* b_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::function<void()> task_;
    bool ready_ = false, done_ = true, faulted_ = false, quit_ = false;
    std::thread thread_;  // last: it starts once the rest is ready
};

// Runs a search over two files' bytes (mapped, read, or in memory): false when a mapped
// page vanished under it.
bool search(const ChangeBytes::Side& a, const ChangeBytes::Side& b, const MappedBytes* mapA, const MappedBytes* mapB,
            const ChangeHandler& onChange, const ProgressWatcher& onProgress, bool& stopped) {
    std::unique_ptr<Helper> helper;
    if (a.size() + b.size() >= kSplitFrom && std::thread::hardware_concurrency() > 1)
        helper = std::make_unique<Helper>(mapA, mapB);
    ChangeSearch::Split split;
    if (helper) split = [&helper](void (*here)(void*), void* context) { return helper->both(here, context); };
    // Everything the search owns lives out here: a page that vanishes under it leaves the
    // search without unwinding.
    ChangeSearch changes(a, b, onChange, onProgress, split);
    if (helper) helper->setTask([&changes] { changes.otherWork(); });
    auto work = [&] { changes.run(); };
    const bool read = MappedBytes::read({mapA, mapB}, work);
    if (helper) {
        changes.stopOtherThread();
        helper->finish();
    }
    stopped = changes.stopped();
    return read && !changes.failed();
}

ProgressWatcher watcher(const ProgressHandler& onProgress) {
    if (!onProgress) return {};
    return [&onProgress](const Progress& progress) { return onProgress(progress.done, progress.total); };
}

}  // namespace

bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressHandler& onProgress) {
    return findChanges(a, sizeA, b, sizeB, onChange, watcher(onProgress));
}

bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressWatcher& onProgress) {
    bool stopped = false;
    search({a ? a : kNothing, sizeA, -1}, {b ? b : kNothing, sizeB, -1}, nullptr, nullptr, onChange, onProgress, stopped);
    return !stopped;
}

Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressHandler& onProgress) {
    return findChanges(files, onChange, watcher(onProgress));
}

Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressWatcher& onProgress) {
    if (files.error() != 0) return Outcome::ReadFailed;
    // Mapped whole: the search jumps about both files, and where a file has holes it never
    // touches them. A file that cannot be mapped (a test's read failures, an odd file
    // system) is read into memory instead.
    // Each file's range (the whole file unless a range was asked for): its bytes from the
    // range's origin, which the changes' addresses are counted from again on the way out.
    struct Side {
        MappedBytes map;
        std::vector<Byte> copy;
        const Byte* bytes = kNothing;
        bool read(int fd, std::int64_t origin, std::int64_t size) {
            if (size == 0) return true;
            map = MappedBytes::map(fd, origin, size);
            if (map) {
                bytes = map.data();
                return true;
            }
            try {
                copy.resize(std::size_t(size));
            } catch (const std::bad_alloc&) {
                return false;
            }
            bytes = copy.data();
            return FileLayer::pread(fd, copy.data(), size, origin) == size;
        }
    } sideA, sideB;
    const std::int64_t originA = files.originA(), originB = files.originB();
    if (!sideA.read(files.fdA(), originA, files.rangeSizeA()) || !sideB.read(files.fdB(), originB, files.rangeSizeB()))
        return Outcome::ReadFailed;
    const ChangeBytes::Side a(sideA.bytes, files.rangeSizeA(), sideA.map ? files.fdA() : -1, originA);
    const ChangeBytes::Side b(sideB.bytes, files.rangeSizeB(), sideB.map ? files.fdB() : -1, originB);
    const bool whole = originA == 0 && originB == 0;
    const ChangeHandler placed = whole ? onChange : ChangeHandler([&](const Change& change) {
        return onChange({change.addressA + originA, change.lengthA, change.addressB + originB, change.lengthB});
    });
    const ProgressWatcher told = whole || !onProgress ? onProgress : ProgressWatcher([&](const Progress& progress) {
        return onProgress({progress.done, progress.total, progress.settledA + originA, progress.settledB + originB});
    });
    bool stopped = false;
    if (!search(a, b, &sideA.map, &sideB.map, placed, told, stopped)) return Outcome::ReadFailed;
    return stopped ? Outcome::Stopped : Outcome::Done;
}

}  // namespace ChangeFinder
