#pragma once

#include <cstdint>
#include <functional>

#include "ChangeScript.h"

class FilePair;

// The changes that turn file A into file B when bytes may have been inserted and deleted,
// not only replaced: an edit script found in about one pass over both files, away from any
// widget, so that a worker thread, the command line and the tests share it.
//
// How: stretches both files share are found from anchors, cut where a rolling hash of the
// content says so (the same places in both files, wherever the content has moved) and
// matched by a fingerprint of the bytes around the cut. Only fingerprints found once in
// each file count; the longest chain of them in order on both sides is kept and every
// anchor is grown byte by byte to the true ends of its stretch. What lies between two
// stretches is compared again with closer anchors, then with an exact shortest difference
// where it is small; what still costs too much becomes one replacement. Every step is
// linear, or bounded per byte, whatever the bytes: a file of one repeated byte or block
// gives no anchor that counts and ends as a replacement, never as a stall.
namespace ChangeFinder {

// Receives every change, in address order; false stops the search.
using ChangeHandler = std::function<bool(const Change&)>;
// Told now and then how much of the work is done, out of `total`; false stops the search.
using ProgressHandler = std::function<bool(std::int64_t done, std::int64_t total)>;

// Changes separated by fewer equal bytes than this are given as one: a stretch that short
// inside a changed block is chance, not content both files share.
constexpr std::int64_t kShortestKeptMatch = 8;

// Finds the changes between two blocks of bytes. False when a handler stopped it.
bool findChanges(const std::uint8_t* a, std::int64_t sizeA, const std::uint8_t* b, std::int64_t sizeB,
                 const ChangeHandler& onChange, const ProgressHandler& onProgress = {});

enum class Outcome {
    Done,
    Stopped,     // a handler asked to stop
    ReadFailed,  // a file could not be read, or became shorter while it was read
};

// The same over the pair's files, at their sizes as opened: mapped where they can be, read
// whole otherwise.
Outcome findChanges(const FilePair& files, const ChangeHandler& onChange, const ProgressHandler& onProgress = {});

}  // namespace ChangeFinder
