#include "WritePatch.h"

#include "FilePair.h"
#include "ListOutput.h"
#include "VcdiffEncoder.h"

int runWritePatch(const QString& pathA, const QString& pathB, const QString& patch, int errors) {
    const FilePair files(pathA, pathB);
    if (!ListOutput::opened(files, errors)) return ListOutput::kTrouble;
    const VcdiffEncoder::Result result = VcdiffEncoder::writePatch(files, patch);
    if (result.outcome == VcdiffEncoder::Outcome::Written) return 0;
    ListOutput::complain(errors, VcdiffEncoder::failureText(result, files, patch) + QLatin1Char('.'));
    return ListOutput::kTrouble;
}
