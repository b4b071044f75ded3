#pragma once

#include <QString>

// Every question the program puts to the user goes through this interface, so the
// program uses real message boxes and file dialogs while tests answer from a script.
// Nothing here depends on widgets; the Qt implementation lives with the executable.

enum class MessageIcon { None, Critical, Warning, Information };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

// The common file dialog's contract: `fileName` is read back by the caller and stays
// unchanged when the user cancels.
struct FileDialogRequest {
    QString title;
    QString fileName;
    QString initialFolder;
    QString filter;            // "Все файлы (*.*)|*.*" style: caption|patterns pairs
    QString defaultExtension;  // without the dot
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal message box; the answer is the button pressed.
    virtual MessageAnswer message(const QString& title, const QString& text, MessageIcon icon,
                                  MessageButtons buttons) = 0;

    // Standard open / save dialogs. Return true and set request.fileName when the user
    // chose a file; leave request untouched on cancel.
    virtual bool chooseOpenFile(FileDialogRequest& request) = 0;
    virtual bool chooseSaveFile(FileDialogRequest& request) = 0;

    // Opens the help viewer on the contents page of the help file at `helpPath`.
    virtual void openHelp(const QString& helpPath, const QString& contentsPath) = 0;
};
