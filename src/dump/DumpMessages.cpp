#include "DumpMessages.h"

void reportFileFailure(UiServices& ui, int err, FileErrors::Access access) {
    FileErrors::showFailure(ui, QStringLiteral("Bivex"), FileErrors::Reporter::TextFile, FileErrors::codeForErrno(err, access), err);
}

QString loadedTargetMessage() { return QStringLiteral("Файл уже открыт и не может быть записан сам в себя."); }
