#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

// A buffer for bulk reads and writes that starts on a page boundary. The kernel copies a
// large transfer into a page-aligned buffer about three times as fast as into one that
// starts a few bytes past a boundary, which is where malloc and std::vector put a block of
// a mebibyte. Every chunk that meets a read or write call goes through one of these.
class AlignedBuffer {
public:
    static constexpr std::size_t kAlignment = 4096;

    AlignedBuffer() = default;
    explicit AlignedBuffer(std::int64_t size) { resize(size); }

    // Makes room for `size` bytes; what the buffer held before is not kept. The bytes are
    // zero.
    void resize(std::int64_t size) {
        const auto wanted = std::size_t(size > 0 ? size : 0);
        const std::size_t rounded = (wanted + kAlignment - 1) / kAlignment * kAlignment;
        if (rounded == 0) {
            bytes_.reset();
        } else {
            void* p = std::aligned_alloc(kAlignment, rounded);
            if (!p) throw std::bad_alloc();
            std::memset(p, 0, rounded);
            bytes_.reset(static_cast<std::uint8_t*>(p));
        }
        size_ = std::int64_t(wanted);
    }

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::uint8_t& operator[](std::size_t i) { return bytes_.get()[i]; }
    std::uint8_t operator[](std::size_t i) const { return bytes_.get()[i]; }
    std::int64_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::int64_t size_ = 0;
};
