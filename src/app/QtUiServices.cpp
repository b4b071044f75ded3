#include "QtUiServices.h"

#include "FileLayer.h"

#include "HelpViewer.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString qtPatterns(const QString& patterns) {
    QStringList list = patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")),
                                      Qt::SkipEmptyParts);
    for (QString& pattern : list)
        if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    list.removeDuplicates();
    return list.join(QLatin1Char(' '));
}

}  // namespace

QtUiServices::~QtUiServices() {
    // The help window has no parent; it goes with the services that made it.
    if (QCoreApplication::instance()) delete helpViewer_.data();
}

MessageAnswer QtUiServices::message(const QString& title, const QString& text,
                                    MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);  // paths may hold "<" and "&"
    box.setText(text);
    box.setIcon(boxIcon(icon));
    if (buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

bool QtUiServices::chooseOpenFile(FileDialogRequest& request) { return chooseFile(request, false); }

bool QtUiServices::chooseSaveFile(FileDialogRequest& request) { return chooseFile(request, true); }

bool QtUiServices::chooseFile(FileDialogRequest& request, bool save) {
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    // Qt's own dialog behaves the same on every desktop, which the callers rely on.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The dialog only chooses a name: it must never delete or rename the user's files.
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name that does not exist yet may be typed in both dialogs.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Whoever asks decides whether an existing file may be overwritten.
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);

    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    const QString suffix = defaultSuffix(request.defaultExtension);
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);

    // A folder that does not exist leaves the dialog in its own default folder.
    if (!request.initialFolder.isEmpty() && QFileInfo(request.initialFolder).isDir())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    request.fileName = FileLayer::recoverDialogName(chosen.first());
    return true;
}

void QtUiServices::openHelp(const QString& helpPath, const QString& contentsPath) {
    if (!helpViewer_) {
        helpViewer_ = new HelpViewer;
        // An open help window must not keep the program running after the main window.
        helpViewer_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    helpViewer_->load(helpPath, contentsPath);
    if (helpViewer_->isMinimized()) helpViewer_->showNormal();
    helpViewer_->show();
    helpViewer_->raise();
    helpViewer_->activateWindow();
}

QStringList QtUiServices::nameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i].trimmed();
        const QString patterns = qtPatterns(parts[i + 1]);
        if (patterns.isEmpty()) continue;
        // Qt reads the patterns from the last "(…)" of the text, so a caption that
        // already names them in brackets loses that bracket and gets the Qt form.
        const QString written = QLatin1Char('(') + parts[i + 1].trimmed() + QLatin1Char(')');
        if (caption.endsWith(written)) caption.chop(written.size());
        caption = caption.trimmed();
        if (caption.isEmpty()) caption = patterns;
        result << caption + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return result;
}

QString QtUiServices::defaultSuffix(const QString& requested) {
    QString suffix = requested.trimmed();
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    static const QRegularExpression plausible(QStringLiteral("^[A-Za-z0-9_]{1,16}$"));
    return plausible.match(suffix).hasMatch() ? suffix : QString();
}
