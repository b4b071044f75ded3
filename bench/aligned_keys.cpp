// The aligned view of two files on its own, for the bench to time its keys as it times the
// window's and a bare Qt window's.
//   aligned_keys FILE_A FILE_B          shows the view of the pair
//   aligned_keys --make FILE_A FILE_B   writes a pair: 1 MiB of random bytes in A, and in B
//                                       every 331 bytes a replacement, an insertion or a
//                                       deletion in turn
#include <QApplication>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "AlignedView.h"
#include "ChangeFinder.h"

namespace {

int makePair(const QString& pathA, const QString& pathB) {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {  // xorshift64*
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return char(state * 0x2545F4914F6CDD1Dull >> 56);
    };
    QByteArray a(1 << 20, Qt::Uninitialized), b;
    for (char& c : a) c = next();
    for (qsizetype at = 0, k = 0; at < a.size(); at += 331, ++k) {
        const QByteArray stretch = a.mid(at, 331);
        switch (k % 3) {
        case 0: b += QByteArray(3, next()) + stretch.mid(3); break;
        case 1: b += QByteArray(5, next()) + stretch; break;
        default: b += stretch.mid(4); break;
        }
    }
    QFile fileA(pathA), fileB(pathB);
    return fileA.open(QIODevice::WriteOnly) && fileA.write(a) == a.size() && fileB.open(QIODevice::WriteOnly) &&
                   fileB.write(b) == b.size()
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Made without a display.
    if (argc == 4 && std::strcmp(argv[1], "--make") == 0) return makePair(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: aligned_keys [--make] FILE_A FILE_B\n");
        return 2;
    }
    QFile fileA(args[0]), fileB(args[1]);
    if (!fileA.open(QIODevice::ReadOnly) || !fileB.open(QIODevice::ReadOnly)) return 1;
    const QByteArray a = fileA.readAll(), b = fileB.readAll();
    std::vector<Change> changes;
    ChangeFinder::findChanges(reinterpret_cast<const std::uint8_t*>(a.constData()), a.size(),
                              reinterpret_cast<const std::uint8_t*>(b.constData()), b.size(),
                              [&](const Change& change) { return changes.push_back(change), true; });
    // Read as the window reads its files: through a descriptor opened once per file.
    const int fds[2] = {::open(QFile::encodeName(args[0]).constData(), O_RDONLY),
                        ::open(QFile::encodeName(args[1]).constData(), O_RDONLY)};
    AlignedView view(AlignedLayout(std::move(changes), a.size(), b.size()),
                     [&fds](int side, std::int64_t address, std::uint8_t* into, std::int64_t count) {
                         const ssize_t n = ::pread(fds[side], into, std::size_t(count), off_t(address));
                         return std::int64_t(n < 0 ? 0 : n);
                     });
    view.resize(view.sizeHint());
    view.show();
    return app.exec();
}
