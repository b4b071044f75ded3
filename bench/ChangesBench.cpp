// The data of the list of changes: a copy with edits planted where they can only be read
// one way, and an unrelated file, each with the script the list must print for it.
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "AddressText.h"
#include "BenchRegistry.h"
#include "ChangeScript.h"
#include "ListChanges.h"

namespace {

struct Planted {
    qint64 at, removed;
    QByteArray added;
};

// The list's lines for `changes` of a file of sizeA bytes into one of sizeB.
QByteArray scriptOf(const std::vector<Change>& changes, qint64 sizeA, qint64 sizeB) {
    const int digits = AddressText::addressFieldDigits(std::max(sizeA, sizeB));
    QByteArray script;
    for (const Change& change : changes) {
        char line[96];
        script.append(line, qsizetype(changeLine(line, change, digits)));
    }
    return script;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// planted-copy SRC DST SCRIPT COUNT: DST is SRC with COUNT edits of 1 to 4096 bytes, one in
// each COUNT-th of the file, 4 KiB apart or more: insertions, deletions and replacements
// in turn. Every edit's first and last byte differ from the bytes beside it on the other
// side, so the shortest script is the planted one; SCRIPT gets its lines.
BenchRegistration plantedCopy("planted-copy", "SRC DST SCRIPT COUNT", [](const QStringList& args, BenchClock&) {
    if (args.size() < 4) return 2;
    QFile in(args[0]), out(args[1]);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    const qint64 size = in.size();
    const uchar* a = in.map(0, size);
    const int count = args[3].toInt();
    if (!a || count <= 0 || size / count < 3 * 4096 + 2) return 1;
    QRandomGenerator random(2828);
    std::vector<Planted> edits;
    const qint64 share = size / count;
    for (int i = 0; i < count; ++i) {
        Planted e{};
        const int kind = i % 3;  // insertion, deletion, replacement
        e.removed = kind == 0 ? 0 : 1 + random.bounded(4096);
        e.at = i * share + 1 + random.bounded(share - e.removed - 4096 - 2);
        if (kind == 1) {
            // A deletion slides when a byte it removes equals the one beyond it.
            while (a[e.at] == a[e.at + e.removed] || a[e.at - 1] == a[e.at + e.removed - 1]) ++e.at;
        } else {
            e.added.resize(1 + random.bounded(4096));
            for (char& c : e.added) c = char(random.bounded(256));
            const uchar next = a[e.at], last = a[e.at + e.removed - 1];
            auto avoid = [&](char& c, bool first, bool end) {
                while ((first && uchar(c) == next) || (end && uchar(c) == last)) c = char(c + 1);
            };
            avoid(e.added.front(), true, e.added.size() == 1);
            avoid(e.added.back(), e.added.size() == 1, true);
        }
        edits.push_back(e);
    }
    qint64 from = 0, sizeB = size;
    std::vector<Change> script;
    for (const Planted& e : edits) {
        if (out.write(reinterpret_cast<const char*>(a + from), e.at - from) != e.at - from || out.write(e.added) != e.added.size())
            return 1;
        script.push_back({e.at, e.removed, e.at + sizeB - size, e.added.size()});
        from = e.at + e.removed;
        sizeB += e.added.size() - e.removed;
    }
    if (out.write(reinterpret_cast<const char*>(a + from), size - from) != size - from) return 1;
    return writeFile(args[2], scriptOf(script, size, sizeB)) ? 0 : 1;
});

// unrelated-copy SRC DST SCRIPT: DST holds as many random bytes as SRC, its first and last
// differing from SRC's; SCRIPT gets the one replacement of the whole file.
BenchRegistration unrelatedCopy("unrelated-copy", "SRC DST SCRIPT", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile in(args[0]), out(args[1]);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    const qint64 size = in.size();
    const uchar* a = in.map(0, size);
    if (!a || size < 2) return 1;
    QRandomGenerator random(2829);
    constexpr qint64 kChunk = 64 << 20;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (qint64 at = 0; at < size; at += kChunk) {
        const qint64 n = std::min(kChunk, size - at);
        random.fillRange(reinterpret_cast<quint32*>(chunk.data()), qsizetype(kChunk / 4));
        if (at == 0 && uchar(chunk[0]) == a[0]) chunk[0] = char(~a[0]);
        if (at + n == size && uchar(chunk[n - 1]) == a[size - 1]) chunk[n - 1] = char(~a[size - 1]);
        if (out.write(chunk.constData(), n) != n) return 1;
    }
    return writeFile(args[2], scriptOf({{0, size, 0, size}}, size, size)) ? 0 : 1;
});

// flipped-copy SRC DST EVERY: DST is SRC with one byte in every EVERY flipped (all its bits).
BenchRegistration flippedCopy("flipped-copy", "SRC DST EVERY", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile in(args[0]);
    if (!in.open(QIODevice::ReadOnly)) return 1;
    QByteArray bytes = in.readAll();
    const qsizetype every = args[2].toLongLong();
    if (every <= 0) return 1;
    for (qsizetype at = every / 2; at < bytes.size(); at += every) bytes[at] = char(~bytes[at]);
    return writeFile(args[1], bytes) ? 0 : 1;
});

// check-script A B LIST: fails unless the list's changes turn A into B; says on stderr
// changes=, listedA= and listedB= (the bytes of each file the changes cover).
BenchRegistration checkScript("check-script", "A B LIST", [](const QStringList& args, BenchClock&) {
    if (args.size() < 3) return 2;
    QFile a(args[0]), b(args[1]), list(args[2]);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || !list.open(QIODevice::ReadOnly)) return 1;
    const uchar* bytesA = a.size() > 0 ? a.map(0, a.size()) : nullptr;
    const uchar* bytesB = b.size() > 0 ? b.map(0, b.size()) : nullptr;
    std::vector<Change> changes;
    qint64 listedA = 0, listedB = 0;
    QTextStream lines(&list);
    for (QString line; lines.readLineInto(&line);) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 4) return 1;
        const Change c{fields[0].toLongLong(nullptr, 16), fields[1].toLongLong(), fields[2].toLongLong(nullptr, 16),
                       fields[3].toLongLong()};
        listedA += c.lengthA;
        listedB += c.lengthB;
        changes.push_back(c);
    }
    if (!ChangeScript::turnsInto(changes, bytesA, a.size(), bytesB, b.size())) {
        fprintf(stderr, "check-script: the list does not turn A into B\n");
        return 1;
    }
    fprintf(stderr, "changes=%zu listedA=%lld listedB=%lld\n", changes.size(), listedA, listedB);
    return 0;
});

}  // namespace
