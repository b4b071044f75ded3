#include "ListChanges.h"

#include <algorithm>

#include "AddressText.h"
#include "ChangeFinder.h"
#include "FilePair.h"
#include "ListOutput.h"

using namespace ListOutput;

std::size_t changeLine(char* line, const Change& change, int digits) {
    char* at = putHex(line, change.addressA, digits);
    *at++ = ' ';
    at = putDecimal(at, change.lengthA);
    *at++ = ' ';
    at = putHex(at, change.addressB, digits);
    *at++ = ' ';
    at = putDecimal(at, change.lengthB);
    *at++ = '\n';
    return std::size_t(at - line);
}

int runListChanges(const QString& pathA, const QString& pathB, const QString& out, int errors, const CompareRange& range) {
    const FilePair files(pathA, pathB, range);
    if (!opened(files, errors)) return kTrouble;
    Writer writer;
    if (!writer.open(out, files, errors)) return kTrouble;

    // Both addresses as wide as the longer file's, as the go-to fields show them.
    const int digits = AddressText::addressFieldDigits(std::max(files.sizeA(), files.sizeB()));
    std::int64_t changes = 0;
    bool written = true;
    const ChangeFinder::Outcome outcome = ChangeFinder::findChanges(
        files,
        [&](const Change& change) {
            char line[96];
            ++changes;
            written = writer.line(line, changeLine(line, change, digits));
            return written;
        },
        // Each change goes out once it is final: a reader of the list (`| head`) need not
        // wait for the whole search.
        [&](const ChangeFinder::Progress&) { return written = writer.flush(); });
    if (!written || !writer.flush()) {
        complain(errors, QStringLiteral("не удаётся записать список изменений (%1).").arg(reason(writer.error())));
        return kTrouble;
    }
    // A file cut short under the search fails its reading: told as the change it is.
    if (!inputsUnchanged(files, false, errors)) return kTrouble;
    if (outcome == ChangeFinder::Outcome::ReadFailed) {
        complain(errors, QStringLiteral("ошибка чтения при сравнении «%1» и «%2».").arg(pathA, pathB));
        return kTrouble;
    }
    return changes == 0 ? kEqual : kDiffer;
}
