#pragma once

#include <QString>

#include "FileIdentity.h"
#include "Pacing.h"

#include <chrono>
#include <cstdint>

class UiServices;

// The three block transfers: a range of one file into another, a whole file into a file
// at an address, a range of a file filled with one byte. They work chunk by chunk over
// the file objects' span members (a copy inside the kernel where it can be made) and leave
// exactly the bytes a byte-at-a-time copy would.
//
// Addresses are 0-based. A failure of the file layer is reported once, by the file object
// that meets it, under its title "mRWByt"; the transfer then stops and the target keeps
// what was written before it and nothing else. No transfer creates its source, and none
// creates the file in view when it has gone.
namespace BlockTransfer {

// Where a running transfer shows itself. The values are what a copy that updates once
// every 257 bytes would show: the 1-based position of the byte that completed the last
// such group (of the source for a save and a fill, of the block file for a load).
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMaximum(double maximum) = 0;
    // Shows `value` and lets the window handle what is pending (repaint, input).
    virtual void advance(double value) = 0;
};

// How a transfer is cut up: the bytes copied per call of the file objects (small enough
// for the buffer to stay in the processor's cache), the bytes filled per call (a fill has
// no buffer of its own to keep small; still short enough for a slow disk to keep the pace),
// and the least time between two updates of the progress.
struct Pace {
    std::int64_t chunkBytes = 256 * 1024;
    std::int64_t fillBytes = 4 * 1024 * 1024;
    std::chrono::milliseconds interval{Pacing::kInterval};
};

enum class Outcome {
    Done,            // every byte transferred
    DoesNotFit,      // the block lies beyond the end of a file: nothing written
    ReadOnlyTarget,  // refused with a message: nothing written
    Failed,          // stopped after one reported failure
};

// Both paths name one existing file (the same text, another spelling or a hard link).
bool sameFile(const QString& first, const QString& second);

// The bytes `start`..`end` of `sourcePath` into `targetPath` from its first byte on. The
// target is created when missing and never shortened. A source that has become shorter
// than `end` + 1 is refused with nothing written.
Outcome subCopyToFile(UiServices& ui, const QString& sourcePath, const QString& targetPath,
                      std::int64_t start, std::int64_t end, Progress& progress,
                      const Pace& pace = {});

// The whole of `sourcePath` into `targetPath` from address `start` on. `targetSize` and
// `target` are the length and identity the target had when the user chose it: the block
// must fit into that length (and into the present one: the target is never lengthened),
// and nothing is written when another file has taken the target's name since.
Outcome subCopyFromFile(UiServices& ui, const QString& sourcePath, const QString& targetPath,
                        const FileIdentity& target, std::int64_t targetSize,
                        std::int64_t start, Progress& progress, const Pace& pace = {});

// `value` at every address `start`..`end` of `path`, which is created when missing; bytes
// outside the range are not written, so the gap before `start` of a new file reads as
// zero bytes.
Outcome subFillNewFile(UiServices& ui, const QString& path, std::int64_t start,
                       std::int64_t end, std::uint8_t value, Progress& progress,
                       const Pace& pace = {});

}  // namespace BlockTransfer
