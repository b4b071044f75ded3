#pragma once

#include <QString>

#include <cstdint>
#include <string>

class FilePair;

// What the lists the command line prints share: where a list goes, how a trouble is told,
// and how its numbers are spelled.
namespace ListOutput {

// The exit status of a list, as cmp gives it.
constexpr int kEqual = 0, kDiffer = 1, kTrouble = 2;

// "bivex: TEXT" and a new line on the descriptor `errors`.
void complain(int errors, const QString& text);
// The description of a failure the file layer reported as -errno.
QString reason(int error);

// The list's lines, gathered and written a megabyte at a time.
class Writer {
public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Opens `out`, or standard output when it is empty or "-", and empties a regular file
    // only once it is known not to be one of `files` under any name: emptying an input
    // before it is read would list differences that were never there. False, with the
    // trouble told on `errors`, when it cannot be written or is an input.
    bool open(const QString& out, const FilePair& files, int errors);
    bool line(const char* text, std::size_t n);
    bool flush();
    // The -errno of the write that failed.
    int error() const { return error_; }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    int fd_ = -1;
    int error_ = 0;
    bool own_ = false;
    std::string buffer_;
};

// Refuses the pair (false, said once on `errors`) when a file could not be opened.
bool opened(const FilePair& files, int errors);
// After the list is written: false, said once on `errors`, when an input is no longer the
// file opened, as long and unwritten since (or ended early under the scan, `cutShort`).
// The lines written stay; the list is not of the files as they now are.
bool inputsUnchanged(const FilePair& files, bool cutShort, int errors);

// Writes `value` upper-case hexadecimal, `digits` digits at least, or decimal, at `at`;
// returns the place after it.
char* putHex(char* at, std::int64_t value, int digits);
char* putDecimal(char* at, std::int64_t value);

}  // namespace ListOutput
