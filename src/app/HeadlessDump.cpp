#include "HeadlessDump.h"

#include "CommandLine.h"
#include "DumpMessages.h"
#include "DumpWriters.h"
#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "InputFile.h"
#include "UiServices.h"
#include "mRWByt.h"


namespace {

// Standard output as a path, so that a redirection into an input file is caught by the
// same identity check as a named target.
const QString kStandardOutput = QStringLiteral("/proc/self/fd/1");

// The input as the window would open it: an existing regular file that can be read and
// is not empty. Checked before the target is touched, so a dump that cannot be made
// empties nothing.
bool isDumpableInput(const QString& path, UiServices& ui) {
    const InputFile input(path);
    if (!input.isOpen()) {
        const QString file = QStringLiteral("Файл «") + path + QStringLiteral("» ");
        const QString why =
            input.refusal() == InputFile::Refusal::Unreadable
                ? QStringLiteral("не удаётся прочитать (") +
                      FileErrors::description(FileErrors::codeForErrno(-input.error(), FileErrors::Access::Read), -input.error()) +
                      QStringLiteral(").")
                : QStringLiteral("не найден или не является обычным файлом.");
        ui.message(QStringLiteral("Ошибка"), file + why, MessageIcon::Warning, MessageButtons::Ok);
        return false;
    }
    // The file object reports an empty file itself, as it does when the window opens one.
    mRWByt probe(ui);
    probe.MsgTitle(QStringLiteral("Bivex"));
    probe.Path(path);
    return probe.Error() == 0;
}

}  // namespace

int runHeadlessDump(const CommandLine& command, UiServices& ui) {
    const bool mismatch = command.action == CommandLine::Action::DumpMismatch;
    const QStringList inputs = command.files.mid(0, mismatch ? 2 : 1);
    const QString output = command.files.last();
    for (const QString& input : inputs)
        if (!isDumpableInput(input, ui)) return 1;
    if (output == QLatin1String("-") && FileIdentity::ofPath(kStandardOutput).isOneOf(inputs)) {
        ui.message(QStringLiteral("Bivex"), loadedTargetMessage(), MessageIcon::Critical, MessageButtons::Ok);
        return 1;
    }
    const bool written =
        writeDumpOfFiles(ui, inputs.first(), mismatch ? inputs.last() : QString(), output, command.dos);
    return written ? 0 : 1;
}
