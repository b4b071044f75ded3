#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class FilePair;

// Applies a VCDIFF delta (RFC 3284) to a source file: the patches written here, and those
// xdelta3 writes without secondary compression (its application header skipped, the
// Adler-32 of its windows checked). Every length and address the delta gives is checked
// against what the delta, the source and the window hold, so a damaged or hostile delta is
// refused instead of read or written out of bounds; memory stays a few dozen MiB whatever
// sizes it names.
namespace VcdiffDecoder {

// Told now and then how much of the delta is read, out of `total`; false stops it.
using ProgressHandler = std::function<bool(std::int64_t done, std::int64_t total)>;

enum class Outcome {
    Applied,
    Stopped,        // the progress handler asked to stop
    Unreadable,     // the source or the delta could not be opened
    OutputIsInput,  // the output's name is the source's or the delta's under some name
    NotVcdiff,      // no VCDIFF header
    Compressed,     // secondary compression, which is not read here
    OwnCodeTable,   // a code table of the delta's own, likewise
    Damaged,        // a length, address or instruction the delta cannot hold
    Truncated,      // the delta ends inside a window
    WrongSource,    // a window's checksum differs, or it reads past the source's end
    ReadFailed,     // a file could not be read, or became shorter while it was read
    InputChanged,   // the source or the delta changed while it was applied
    WriteFailed,    // `error` says why
};
struct Result {
    Outcome outcome = Outcome::Applied;
    int error = 0;            // -errno of a failed write
    std::int64_t window = 0;  // the window, counted from 1, that failed (0: before any)
};

// Decodes the delta of `patchSize` bytes at `patch` against `sourceSize` bytes at `source`
// into `out`, a regular file open to read and write, from its start.
Result decode(int source, std::int64_t sourceSize, int patch, std::int64_t patchSize, int out,
              const ProgressHandler& onProgress = {});

// Applies the delta, the pair's second file, to its first and writes the result to `path`:
// beside it first, then in its place, so that a failure leaves whatever was there.
Result applyPatch(const FilePair& sourceAndPatch, const QString& path, const ProgressHandler& onProgress = {});

// What went wrong, for the user.
QString failureText(const Result& result, const FilePair& sourceAndPatch, const QString& path);

}  // namespace VcdiffDecoder
