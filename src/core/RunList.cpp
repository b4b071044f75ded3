#include "RunList.h"

#include "CodePage.h"

#include "AddressText.h"

#include <algorithm>

void RunList::clear() {
    blocks_.clear();
    kept_ = runCount_ = differingBytes_ = 0;
}

void RunList::add(const RunScanner::Run& run) {
    count(run.length);
    if (kept_ >= kKeptRuns) return;
    if (kept_ % kBlock == 0) {
        blocks_.push_back(std::make_unique<Block>());
        blocks_.back()->reserve(std::size_t(kBlock));
    }
    blocks_.back()->push_back({run.address, run.length});
    ++kept_;
}

std::int64_t RunList::firstAfter(std::int64_t position) const {
    std::int64_t lo = 0, hi = kept_;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (at(mid).address <= position)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::int64_t RunList::nextStart(std::int64_t position) const {
    const std::int64_t i = firstAfter(position);
    if (i < kept_) return at(i).address;
    return stoppedKeeping() ? kUnknown : -1;
}

std::int64_t RunList::previousStart(std::int64_t position) const {
    const std::int64_t i = firstAfter(position - 1);  // the first starting at or after position
    if (i == kept_ && stoppedKeeping()) return kUnknown;
    return i > 0 ? at(i - 1).address : -1;
}

std::int64_t RunList::indexAt(std::int64_t address) const {
    const std::int64_t i = firstAfter(address) - 1;
    return i >= 0 && address < at(i).address + at(i).length ? i : -1;
}

RunList::Within RunList::within(std::int64_t lo, std::int64_t hi) const {
    // Runs are disjoint and in order, so their ends are in order too.
    std::int64_t first = 0, end = kept_;
    while (first < end) {
        const std::int64_t mid = first + (end - first) / 2;
        if (at(mid).address + at(mid).length <= lo)
            first = mid + 1;
        else
            end = mid;
    }
    const std::int64_t count = std::max<std::int64_t>(0, firstAfter(hi - 1) - first);
    return {count, count > 0 ? at(first).address : -1};
}

void RunMap::reset(std::int64_t commonSize) {
    size_ = commonSize;
    std::fill(buckets_.begin(), buckets_.end(), 0);
}

int RunMap::bucketOf(std::int64_t address) const {
    if (size_ <= 0) return 0;
    // 128-bit: a 4 GiB file times the bucket count still fits, and so does any larger.
    return int(std::min<__int128>(kBuckets - 1, __int128(address) * kBuckets / size_));
}

void RunMap::mark(std::int64_t address, std::int64_t length) {
    if (size_ <= 0 || length <= 0) return;
    const int first = bucketOf(address), last = bucketOf(address + length - 1);
    for (int k = first; k <= last; ++k) buckets_[std::size_t(k)] = 1;
}

bool RunMap::marked(std::int64_t from, std::int64_t to) const {
    if (size_ <= 0 || to <= from) return false;
    const int first = bucketOf(from), last = bucketOf(to - 1);
    for (int k = first; k <= last; ++k)
        if (buckets_[std::size_t(k)]) return true;
    return false;
}

namespace DifferenceText {

QString longerFile(std::int64_t sizeA, std::int64_t sizeB) {
    if (sizeA == sizeB) return {};
    const std::int64_t n = sizeA > sizeB ? sizeA - sizeB : sizeB - sizeA;
    const std::int64_t last = n % 10, lastTwo = n % 100;
    const QString word = (last == 1 && lastTwo != 11)                             ? QStringLiteral("байт")
                         : (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) ? QStringLiteral("байта")
                                                                                   : QStringLiteral("байт");
    return QStringLiteral("Файл %1 длиннее на %2 %3")
        .arg(sizeA > sizeB ? QStringLiteral("А") : QStringLiteral("В"))
        .arg(n)
        .arg(word);
}

QString address(std::int64_t address, std::int64_t fileSize) {
    return AddressText::funHexAdres(address).rightJustified(AddressText::addressFieldDigits(fileSize), QLatin1Char('0'));
}

QString notHeardNote() {
    return QStringLiteral(" Эта файловая система не сообщает об изменениях файлов другими программами: "
                          "список сверен с файлами только по их дате и длине.");
}

QString characters(const std::uint8_t* bytes, int count, bool dos) {
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QChar c = dos ? CodePage::oemChar(bytes[i]) : CodePage::ansiChar(bytes[i]);
        text += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(0x00B7) : c;
    }
    return text;
}

QString hexBytes(const std::uint8_t* bytes, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i) text += QLatin1Char(' ');
        text += QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

}  // namespace DifferenceText
