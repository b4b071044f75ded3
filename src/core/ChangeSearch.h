#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "ChangeAnchors.h"
#include "ChangeBytes.h"
#include "ChangeFinder.h"
#include "ExactDifference.h"

// One search for the changes between two files' bytes (see ChangeFinder.h for how). It
// reads the bytes only: whoever runs it guards the reading of mapped pages.
class ChangeSearch {
public:
    // Runs here(context) on this thread while another runs the search's otherWork() under
    // the same guard of the mapped bytes; false when the other met a page that vanished.
    // (Nothing of it is on the heap: a jump out of the guarded work leaves nothing behind.)
    using Split = std::function<bool(void (*here)(void*), void* context)>;

    ChangeSearch(const ChangeBytes::Side& a, const ChangeBytes::Side& b, const ChangeFinder::ChangeHandler& onChange,
                 const ChangeFinder::ProgressWatcher& onProgress, Split split = {});
    ChangeSearch(const ChangeSearch&) = delete;
    ChangeSearch& operator=(const ChangeSearch&) = delete;

    void run();
    bool stopped() const { return stopped_; }
    // The other thread met a page that vanished: the files changed under the search.
    bool failed() const { return failed_; }
    // Asks work on the other thread to end soon.
    void stopOtherThread() { stopping_ = true; }
    // What the other thread was asked to do.
    void otherWork();

private:
    using Anchor = ChangeAnchors::Anchor;

    // Where the files meet again after they part at (a, b): follows the first pairs of the
    // chain of anchors found ahead, comparing what lies before each. False when no anchor
    // pair is found up to the files' ends.
    bool meet(std::int64_t& a, std::int64_t& b);
    void hashTo(std::int64_t a, std::int64_t endA, std::int64_t b, std::int64_t endB);

    void compare(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level);
    bool anchored(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, int level);
    // Only from compare, with the range's comparison in place kept in inPlace_.
    bool exactly(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1);
    bool sharesKeptMatch(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1);
    void refine(const std::vector<Change>& script);
    std::int64_t grow(std::int64_t a, std::int64_t b, std::int64_t n);

    // The range compared in place, with one shift where the sides differ in length; each
    // change to `emit`.
    template <typename Emit>
    void aligned(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, Emit&& emit);
    template <typename Emit>
    void inPlace(std::int64_t a0, std::int64_t b0, std::int64_t n, Emit&& emit);
    std::int64_t splitAt(std::int64_t a0, std::int64_t n, std::int64_t b0, std::int64_t m);

    void hand(const Change& change);
    void flush();
    void reach(std::int64_t a, std::int64_t b);
    void work(std::int64_t units);
    void tell();

    ChangeBytes::Pair bytes_;
    ChangeBytes::Pair otherBytes_;  // the other thread's, for growing
    ChangeBytes::Side topA_, topB_;  // the top level's hashing, one per side
    const std::int64_t sizeA_, sizeB_;
    const ChangeFinder::ChangeHandler& onChange_;
    const ChangeFinder::ProgressWatcher& onProgress_;
    Split split_;
    std::atomic<bool> stopping_{false};
    bool stopped_ = false, failed_ = false;

    // The top level: anchors of both files ahead of where the search stands.
    ChangeAnchors::Rule top_;
    std::int64_t topSpacing_ = 0;
    std::vector<Anchor> anchorsA_, anchorsB_;
    std::int64_t nextA_ = 0, nextB_ = 0;      // where their next cut may fall
    std::int64_t hashedA_ = 0, hashedB_ = 0;  // how far they are cut
    std::int64_t floorA_ = 0, floorB_ = 0;    // where cutting began
    // The other thread's task: grow from (otherA_, otherB_) up to otherLength_ bytes into
    // otherEqual_, or cut A up to otherLength_.
    enum class Other { Grow, CutA } other_ = Other::Grow;
    std::int64_t otherA_ = 0, otherB_ = 0, otherLength_ = 0, otherEqual_ = 0;
    template <typename Here>
    bool split(Here& here) {
        return split_([](void* context) { (*static_cast<Here*>(context))(); }, &here);
    }

    // Progress: what is settled, and the work done.
    std::int64_t total_, settledA_ = 0, settledB_ = 0, work_ = 0, toldWork_ = 0, toldDone_ = 0;
    bool pending_ = false;
    Change pendingChange_;

    static constexpr int kLevels = 3;
    ChangeAnchors::Scratch scratch_[kLevels];
    std::vector<Anchor> cutA_[kLevels], cutB_[kLevels];
    ExactDifference exact_;
    std::vector<Change> exactScript_, inPlace_, groupScript_;
    std::vector<std::int32_t> places_;
    std::int64_t exactStepsLeft_;
};
