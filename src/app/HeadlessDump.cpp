#include "HeadlessDump.h"

#include "CommandLine.h"
#include "DumpSink.h"
#include "DumpWriters.h"
#include "FileErrors.h"
#include "FileLayer.h"
#include "UiServices.h"
#include "mRWByt.h"

#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

// Standard output as a path, so that a redirection into an input file is caught by the
// same identity check as a named target.
const QString kStandardOutput = QStringLiteral("/proc/self/fd/1");

void refuseLoadedFile(UiServices& ui) {
    ui.message(QStringLiteral("Bivex"), QStringLiteral("Файл уже открыт и не может быть записан сам в себя."),
               MessageIcon::Critical, MessageButtons::Ok);
}

// The input as the window would open it: an existing regular file that can be read and
// is not empty.
std::unique_ptr<mRWByt> openInput(const QString& path, UiServices& ui) {
    if (!QFileInfo(path).isFile()) {
        ui.message(QStringLiteral("Ошибка"),
                   QStringLiteral("Файл «") + path + QStringLiteral("» не найден или не является обычным файлом."),
                   MessageIcon::Warning, MessageButtons::Ok);
        return nullptr;
    }
    // Checked before the target is emptied: an input that cannot be read makes no dump.
    if (const int fd = FileLayer::open(path, O_RDONLY); fd < 0) {
        ui.message(QStringLiteral("Ошибка"),
                   QStringLiteral("Файл «") + path + QStringLiteral("» не удаётся прочитать (") +
                       FileErrors::description(FileErrors::codeForErrno(-fd), -fd) + QStringLiteral(")."),
                   MessageIcon::Warning, MessageButtons::Ok);
        return nullptr;
    } else {
        FileLayer::close(fd);
    }
    auto file = std::make_unique<mRWByt>(ui);
    file->MsgTitle(QStringLiteral("Bivex"));
    file->Path(QFileInfo(path).absoluteFilePath());
    if (file->Error() != 0) return nullptr;  // reported by the file object (an empty file…)
    return file;
}

}  // namespace

int runHeadlessDump(const CommandLine& command, UiServices& ui) {
    const bool mismatch = command.action == CommandLine::Action::DumpMismatch;
    const QString output = command.files.last();

    std::vector<std::unique_ptr<mRWByt>> inputs;
    QStringList inputPaths;
    for (const QString& path : command.files.mid(0, command.files.size() - 1)) {
        auto file = openInput(path, ui);
        if (!file) return 1;
        inputPaths << file->Path();
        inputs.push_back(std::move(file));
    }

    DumpFile out(ui);
    const bool toStandardOutput = output == QLatin1String("-");
    if (toStandardOutput) {
        if (isLoadedFile(kStandardOutput, inputPaths)) {
            refuseLoadedFile(ui);
            return 1;
        }
        out.attach(STDOUT_FILENO);
    } else {
        switch (out.open(output, inputPaths)) {
        case DumpFile::OpenResult::Opened:
            break;
        case DumpFile::OpenResult::LoadedFile:
            refuseLoadedFile(ui);
            return 1;
        case DumpFile::OpenResult::Failed:
            return 1;
        }
    }

    mRWByt& first = *inputs.front();
    bool ok = writeDumpHeader(out, mismatch ? DumpFormat::Kind::Mismatch : DumpFormat::Kind::File, 0, first.Name());
    if (ok)
        ok = mismatch ? writeMismatchDump(first, *inputs.back(), true, command.dos, out)
                      : writeFileDump(first, command.dos, out);
    if (!toStandardOutput && !out.close()) ok = false;
    return ok ? 0 : 1;
}
