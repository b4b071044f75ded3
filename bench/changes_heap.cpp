// The most heap the list of changes holds at once: `bivex --list-changes` run in this
// process, every operator new counted (the containers of the search and of the list all
// allocate through it; the mapped pages of the files are not heap and do not count).
// Prints the peak in MiB; fails when the list fails.
//   changes_heap FILE_A FILE_B OUT
#include <QString>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "FileLayer.h"
#include "ListChanges.h"

namespace {

std::atomic<std::size_t> inUse{0}, peak{0};
// Room before each block for its size, kept aligned for any type.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* take(std::size_t n) {
    auto* block = static_cast<unsigned char*>(std::malloc(n + kHeader));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = n;
    const std::size_t now = inUse.fetch_add(n, std::memory_order_relaxed) + n;
    std::size_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
    return block + kHeader;
}

void give(void* p) {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    inUse.fetch_sub(*reinterpret_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t n) { return take(n); }
void* operator new[](std::size_t n) { return take(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return take(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept { return operator new(n, tag); }
void operator delete(void* p) noexcept { give(p); }
void operator delete[](void* p) noexcept { give(p); }
void operator delete(void* p, std::size_t) noexcept { give(p); }
void operator delete[](void* p, std::size_t) noexcept { give(p); }

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: changes_heap FILE_A FILE_B OUT\n");
        return 2;
    }
    const std::size_t before = inUse.load();
    peak = before;
    const int status = runListChanges(FileLayer::decodeName(argv[1]), FileLayer::decodeName(argv[2]),
                                      FileLayer::decodeName(argv[3]));
    if (status == 2) return 1;
    std::printf("%.3f\n", double(peak.load() - before) / (1024.0 * 1024.0));
    return 0;
}
