#pragma once

#include <cstdint>
#include <functional>

#include "ChangeScript.h"

class FilePair;

// The changes that turn file A into file B when bytes may have been inserted and deleted,
// not only replaced: an edit script found in about one pass over both files, away from any
// widget, so that a worker thread, the command line and the tests share it.
//
// How: the files are followed from their start while they hold the same bytes. Where they
// part, anchors are laid ahead in both (places cut where a rolling hash of the content says
// so, named by a fingerprint of the bytes around them); pairs of anchors found once on each
// side, kept where they go forward in both files together, say where the files meet again,
// and the search goes on from there. What lies between is compared again with closer
// anchors; where the bytes keep their places (as many on both sides, or one shift between)
// they are compared in place, so that a changed byte is listed as one and a string
// rewritten in a fixed slot as one replacement; small ranges get an exact shortest script
// where that is cheap and not longer than the comparison in place. Every step is linear, or
// bounded per byte, whatever the bytes: a file of one repeated byte or block gives no
// anchor that counts and ends compared in place or as a replacement, never as a stall.
// Holes of sparse files are passed over without being read.
//
// Changes are handed on in address order as soon as they are final: what was handed on is
// never revised, and the progress tells up to where nothing more will come.
namespace ChangeFinder {

// Receives every change, in address order; false stops the search.
using ChangeHandler = std::function<bool(const Change&)>;
// Told now and then how much of the work is done, out of `total`; false stops the search.
using ProgressHandler = std::function<bool(std::int64_t done, std::int64_t total)>;

struct Progress {
    std::int64_t done = 0, total = 0;
    // Every change below these addresses of A and B has been handed on, and none will come
    // there any more: the list so far is the whole script of A's [0, settledA) into B's
    // [0, settledB).
    std::int64_t settledA = 0, settledB = 0;
};
using ProgressWatcher = std::function<bool(const Progress&)>;

// Changes separated by fewer equal bytes than this are given as one: a stretch that short
// inside a changed block is chance, not content both files share.
constexpr std::int64_t kShortestKeptMatch = 8;

// Finds the changes between two blocks of bytes. False when a handler stopped it.
bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressHandler& onProgress = {});
bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressWatcher& onProgress);

enum class Outcome {
    Done,
    Stopped,     // a handler asked to stop
    ReadFailed,  // a file could not be read, or became shorter while it was read
};

// The same over the pair's files, at their sizes as opened: mapped where they can be, read
// whole otherwise.
Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressHandler& onProgress = {});
Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressWatcher& onProgress);

}  // namespace ChangeFinder
