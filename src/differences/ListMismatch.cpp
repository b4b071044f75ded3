#include "ListMismatch.h"

#include "FilePair.h"
#include "ListOutput.h"
#include "RunList.h"
#include "RunScanner.h"

#include <algorithm>

using namespace ListOutput;

int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors) {
    const FilePair files(pathA, pathB);
    if (!opened(files, errors)) return kTrouble;
    Writer writer;
    if (!writer.open(out, files, errors)) return kTrouble;

    const int digits = std::max(7, int(DifferenceText::address(0, std::max(files.sizeA(), files.sizeB())).size()));
    std::int64_t runs = 0;
    bool written = true;
    const RunScanner::ScanResult result =
        RunScanner::scanRuns(files, 0, files.commonSize(), [&](const RunScanner::Run& run) {
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
    // Standard output holds the runs alone; which file is longer is said as cmp says it.
    const std::int64_t sizeA = files.sizeA(), sizeB = files.sizeB();
    if (sizeA != sizeB) {
        QString longer = DifferenceText::longerFile(sizeA, sizeB);
        longer[0] = longer[0].toLower();
        complain(errors, QStringLiteral("конец файла «%1» после байта %2: %3.")
                             .arg(sizeA < sizeB ? pathA : pathB)
                             .arg(std::min(sizeA, sizeB))
                             .arg(longer));
    }
    return runs == 0 && sizeA == sizeB ? kEqual : kDiffer;
}
