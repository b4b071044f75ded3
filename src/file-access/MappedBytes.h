#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

// A read-only view of a stretch of an open file, straight from the page cache, for loops
// that only look at bytes (comparing two files needs no copy of either). Empty when the
// stretch could not be mapped; the caller then reads it the ordinary way.
//
// Another program may cut the file short while it is mapped. Touching a page past the new
// end then raises SIGBUS instead of returning a short read, so every access to the bytes
// goes through MappedBytes::read, which turns that signal into a `false` result.
class MappedBytes {
public:
    MappedBytes() = default;
    ~MappedBytes();
    MappedBytes(MappedBytes&& other) noexcept { *this = std::move(other); }
    MappedBytes& operator=(MappedBytes&& other) noexcept;
    MappedBytes(const MappedBytes&) = delete;
    MappedBytes& operator=(const MappedBytes&) = delete;

    // Maps `count` bytes from 0-based `offset` of the open descriptor `fd`. Not every
    // descriptor can be mapped; the view is then empty.
    static MappedBytes map(int fd, std::int64_t offset, std::int64_t count);

    explicit operator bool() const { return data_ != nullptr; }
    const std::uint8_t* data() const { return data_; }
    std::int64_t size() const { return size_; }

    // Runs work(context) and returns true, or returns false when work touched a page of one
    // of `views` that the file no longer holds, or when a file has become shorter than its
    // view by the time work is done (the page holding the new end reads as zeros past it
    // without a fault, so what work saw there was not the file). `work` must own nothing that
    // needs destroying: it is left without unwinding when that happens.
    static bool read(std::initializer_list<const MappedBytes*> views, void (*work)(void*), void* context);
    template <typename Work>
    static bool read(std::initializer_list<const MappedBytes*> views, Work& work) {
        return read(views, [](void* w) { (*static_cast<Work*>(w))(); }, &work);
    }

private:
    void release();

    void* base_ = nullptr;       // the mapping as mmap gave it (page-aligned)
    std::size_t length_ = 0;
    const std::uint8_t* data_ = nullptr;  // the first byte asked for
    std::int64_t size_ = 0;
    int fd_ = -1;
    std::int64_t end_ = 0;  // the file offset just past the view
};
