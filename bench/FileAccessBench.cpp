// Cases of the binary file object, and the plain system calls they are measured against.
#include "BenchRegistry.h"

#include "AlignedBuffer.h"
#include "StderrUi.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <QFile>

#include <cstdio>
#include <vector>

namespace {

// Results go here so the compiler cannot drop the loops that produce them.
volatile std::uint64_t sink = 0;

// Every byte through GetByt, as the byte-by-byte loops of the program read a file, timed
// whole from the open to the close. Measured against getc-loop on the same file; both say
// the sum of the bytes on stderr, which must agree.
BenchRegistration getBytLoop("getbyt-loop", "FILE", [](const QStringList& args, BenchClock&) {
    if (args.size() < 1) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    file.OpenFileRW();
    std::uint64_t sum = 0;
    const std::int64_t size = file.Size();
    for (std::int64_t item = 1; item <= size; ++item) sum += std::uint64_t(file.GetByt(item));
    file.CloseFile();
    sink = sum;
    std::fprintf(stderr, "sum=%llu\n", static_cast<unsigned long long>(sum));
    return ui.shown ? 1 : 0;
});

// The reference for getbyt-loop: what a C programmer writes to read a file byte by byte,
// getc_unlocked over a FILE* with a 1 MiB buffer, over the whole file, timed whole from
// fopen to fclose.
BenchRegistration getcLoop("getc-loop", "FILE", [](const QStringList& args, BenchClock&) {
    if (args.size() < 1) return 2;
    std::FILE* f = std::fopen(QFile::encodeName(args[0]).constData(), "rb");
    if (!f) {
        std::perror("fopen");
        return 1;
    }
    std::vector<char> buffer(1024 * 1024);
    std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
    std::uint64_t sum = 0;
    for (int c; (c = getc_unlocked(f)) != EOF;) sum += std::uint64_t(c);
    std::fclose(f);
    sink = sum;
    std::fprintf(stderr, "sum=%llu\n", static_cast<unsigned long long>(sum));
    return 0;
});

// The whole file in 1 MiB spans, as the scans read it; the reference is `cat FILE >/dev/null`.
// Says how many bytes it read on stderr.
BenchRegistration spanRead("span-read", "FILE", [](const QStringList& args, BenchClock&) {
    if (args.size() < 1) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    file.OpenFileRW();
    AlignedBuffer chunk(1024 * 1024);
    std::uint64_t sum = 0;
    std::int64_t item = 1;
    while (item <= file.Size()) {
        const std::int64_t n = file.ReadSpan(item, chunk.data(), chunk.size());
        if (n <= 0) break;
        sum += chunk[0];
        item += n;
    }
    file.CloseFile();
    sink = sum;
    std::fprintf(stderr, "bytes=%lld\n", static_cast<long long>(item - 1));
    return ui.shown ? 1 : 0;
});

// The whole file overwritten with zeros in one FillSpan, as the fill command writes; the
// reference is `dd if=/dev/zero of=FILE bs=1M conv=notrunc` over the same length.
BenchRegistration spanFill("span-fill", "FILE", [](const QStringList& args, BenchClock&) {
    if (args.size() < 1) return 2;
    StderrUi ui;
    mRWByt file(ui);
    file.Path(args[0]);
    file.OpenFileRW();
    file.FillSpan(1, file.Size(), 0);
    file.CloseFile();
    return ui.shown ? 1 : 0;
});

}  // namespace
