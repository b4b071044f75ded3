#include "ApplyPatch.h"

#include "FilePair.h"
#include "ListOutput.h"
#include "VcdiffDecoder.h"

int runApplyPatch(const QString& pathA, const QString& patch, const QString& out, int errors) {
    const FilePair files(pathA, patch);
    if (!ListOutput::opened(files, errors)) return ListOutput::kTrouble;
    const VcdiffDecoder::Result result = VcdiffDecoder::applyPatch(files, out);
    if (result.outcome == VcdiffDecoder::Outcome::Applied) return 0;
    ListOutput::complain(errors, VcdiffDecoder::failureText(result, files, out) + QLatin1Char('.'));
    return ListOutput::kTrouble;
}
