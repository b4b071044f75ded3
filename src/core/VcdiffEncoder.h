#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "ChangeScript.h"

class FilePair;

// Writes the VCDIFF delta (RFC 3284) that turns file A into file B, as xdelta3 and other
// VCDIFF tools apply it: the stretches both files share are copied from A, and what the
// change list calls changed is coded from copies out of all of A and of B itself, runs and
// added bytes. Each window of B carries the Adler-32 of its bytes, so the patch applied to
// another A fails. No section is compressed.
namespace VcdiffEncoder {

using Byte = std::uint8_t;
// Takes the next bytes of the patch; false when they could not be written.
using Sink = std::function<bool(const Byte* bytes, std::int64_t n)>;
// Told now and then how much of the work is done, out of `total`; false stops the writing.
using ProgressHandler = std::function<bool(std::int64_t done, std::int64_t total)>;

// B is coded in windows of this many bytes (xdelta3's own and its decoder's limit is 16 MiB).
constexpr std::int64_t kWindow = 8 << 20;

enum class Outcome {
    Written,
    Stopped,        // the progress handler asked to stop
    Unreadable,     // A or B could not be opened
    OutputIsInput,  // the patch's name is A or B under some name
    ReadFailed,     // a file could not be read, or became shorter while it was read
    InputChanged,   // A or B changed while the patch was written
    WriteFailed,    // `error` says why
};
struct Result {
    Outcome outcome = Outcome::Written;
    int error = 0;  // -errno of a failed write
};

// Codes the patch of A into B through `sink`, given `changes` that turn A into B. With
// `checkEqual` the stretches between the changes are compared first, and coded as changed
// where they are not equal after all (a list made before the files changed). False when
// the sink failed or the progress handler stopped it (`stopped` then).
bool encode(const Byte* a, std::int64_t sizeA, const Byte* b, std::int64_t sizeB, const std::vector<Change>& changes,
            bool checkEqual, const Sink& sink, const ProgressHandler& onProgress, bool* stopped = nullptr);

// Writes the patch of the pair's files to `path`: beside it first, then in its place, so
// that a failure or a stop leaves whatever was at `path` as it was. `changes` may hand over
// an up-to-date change list of the pair (checked against the bytes); without it the change
// finder runs first.
Result writePatch(const FilePair& files, const QString& path, const ProgressHandler& onProgress = {},
                  const std::vector<Change>* changes = nullptr);

// What went wrong, for the user: "«name» не найден", "не удаётся записать «…» (…)" and so on.
QString failureText(const Result& result, const FilePair& files, const QString& path);

}  // namespace VcdiffEncoder
