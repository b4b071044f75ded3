// The help and About commands of the main window.

#include "fCompBynF.h"

#include "UiServices.h"
#include "frpAbout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The help files count only as ordinary files: a folder or a broken link of that name
// does not. (Their names are fixed and do not start with ".", so they are never hidden.)
bool isHelpComponent(const QString& path) { return QFileInfo(path).isFile(); }

QString inFolder(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

QString fCompBynF::helpFolder(const QString& binaryFolder) {
    const QString installed = QDir::cleanPath(inFolder(binaryFolder, QStringLiteral("../share/bivex")));
    for (const QString& folder : {installed, binaryFolder})
        if (isHelpComponent(inFolder(folder, QStringLiteral("Bivex.cnt")))) return folder;
    // Neither holds the help: name the folder it belongs in, so the message points there.
    return QFileInfo(installed).isDir() ? installed : binaryFolder;
}

QString fCompBynF::programFolder() const {
    return programFolder_.isEmpty() ? helpFolder(QCoreApplication::applicationDirPath()) : programFolder_;
}

// The contents file is checked first, so with both files missing only its message shows.
void fCompBynF::mnuHelp_Click() {
    const QString folder = programFolder();

    const QString contentsPath = inFolder(folder, QStringLiteral("Bivex.cnt"));
    if (!isHelpComponent(contentsPath)) {
        ui().message(QStringLiteral("Bivex"),
                     QStringLiteral("Компонент справки по указанному пути: ") + contentsPath +
                         QStringLiteral(" не найден. "),
                     MessageIcon::Critical, MessageButtons::Ok);
        return;
    }

    const QString helpPath = inFolder(folder, QStringLiteral("Bivex.hlp"));
    if (!isHelpComponent(helpPath)) {
        ui().message(QStringLiteral("Bivex"),
                     QStringLiteral("Файл справки по указанному пути: ") + helpPath +
                         QStringLiteral(" не найден. "),
                     MessageIcon::Critical, MessageButtons::Ok);
        return;
    }

    ui().openHelp(helpPath, contentsPath);
}

void fCompBynF::mnuAbout_Click() {
    frpAbout about(this);
    about.exec();
}
