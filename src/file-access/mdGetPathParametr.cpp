#include "mdGetPathParametr.h"

#include "FileErrors.h"
#include "FileLayer.h"
#include "UiServices.h"

void mdGetPathParametr::NameFromFullPath(const QString& path, UiServices& ui) {
    // strPathNoExt is left from the previous call until this one reaches the split.
    strFullPath.clear();
    strFolder.clear();
    strDisk.clear();
    strNameOnly.clear();
    strExtension.clear();
    strFileName.clear();
    if (path.isEmpty()) return;

    const qsizetype lastSlash = path.lastIndexOf(QLatin1Char('/'));
    struct stat info;
    const int r = FileLayer::stat(path, info);
    if (r == -ENOENT || r == -ENOTDIR || (r == 0 && !S_ISREG(info.st_mode))) return;
    if (r < 0) {
        const int code = FileErrors::codeForErrno(-r, FileErrors::Access::Read);
        ui.message(QStringLiteral("NameFromFullPath"),
                   QString::number(code) + QLatin1Char(' ') + FileErrors::description(code, -r),
                   MessageIcon::Critical, MessageButtons::Ok);
        return;
    }
    // The directory stores the name exactly as the path spells it on this system.
    strFileName = path.mid(lastSlash + 1);
    strFullPath = path;

    const qsizetype lastDot = path.lastIndexOf(QLatin1Char('.'));
    strFolder = path.left(lastSlash + 1);
    if (lastDot > lastSlash) {
        strNameOnly = path.mid(lastSlash + 1, lastDot - lastSlash - 1);
        strExtension = path.mid(lastDot + 1);
        strPathNoExt = path.left(lastDot);
    } else {
        strNameOnly = path.mid(lastSlash + 1);
        strPathNoExt = path;
    }
}
