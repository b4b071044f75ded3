#include "ListMismatch.h"

#include "FilePair.h"
#include "ListOutput.h"
#include "RunList.h"
#include "RunScanner.h"

#include <algorithm>

using namespace ListOutput;

int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors,
                    const CompareRange& range) {
    const FilePair files(pathA, pathB, range);
    if (!opened(files, errors)) return kTrouble;
    Writer writer;
    if (!writer.open(out, files, errors)) return kTrouble;

    const int digits = std::max(7, int(DifferenceText::address(0, std::max(files.sizeA(), files.sizeB())).size()));
    std::int64_t runs = 0;
    bool written = true;
    const RunScanner::ScanResult result =
        RunScanner::scanRuns(files, files.originA(), files.commonEndA(), [&](const RunScanner::Run& run) {
            char line[64];
            char* at = putHex(line, run.address, digits);
            *at++ = ' ';
            at = putDecimal(at, run.length);
            *at++ = '\n';
            ++runs;
            written = writer.line(line, std::size_t(at - line));
            return written;
        });
    if (!written || !writer.flush()) {
        complain(errors, QStringLiteral("не удаётся записать список несовпадений."));
        return kTrouble;
    }
    if (result.failed) {
        complain(errors, QStringLiteral("ошибка чтения при сравнении «%1» и «%2».").arg(pathA, pathB));
        return kTrouble;
    }
    if (!inputsUnchanged(files, result.cutShort, errors)) return kTrouble;
    // Standard output holds the runs alone; which file ended first is said as cmp says it,
    // counting the bytes from where the comparison began.
    const std::int64_t sizeA = files.rangeSizeA(), sizeB = files.rangeSizeB();
    if (sizeA != sizeB) {
        const QString shorter = sizeA < sizeB ? pathA : pathB;
        if (range.whole()) {
            QString longer = DifferenceText::longerFile(sizeA, sizeB);
            longer[0] = longer[0].toLower();
            complain(errors, QStringLiteral("конец файла «%1» после байта %2: %3.").arg(shorter).arg(files.commonSize()).arg(longer));
        } else {
            complain(errors, QStringLiteral("конец файла «%1» после байта %2 от начала сравнения.").arg(shorter).arg(files.commonSize()));
        }
    }
    return runs == 0 && sizeA == sizeB ? kEqual : kDiffer;
}
