#pragma once

#include "UiServices.h"

#include <QPointer>
#include <QStringList>

class HelpViewer;

// The program's questions put to the user with real Qt message boxes, file dialogs and
// the help window.
class QtUiServices : public UiServices {
public:
    QtUiServices() = default;
    ~QtUiServices() override;
    QtUiServices(const QtUiServices&) = delete;
    QtUiServices& operator=(const QtUiServices&) = delete;

    MessageAnswer message(const QString& title, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    bool chooseOpenFile(FileDialogRequest& request) override;
    bool chooseSaveFile(FileDialogRequest& request) override;
    // Shows the help window, reusing the one already open.
    void openHelp(const QString& helpPath, const QString& contentsPath) override;

    // The help window, if one has been opened.
    HelpViewer* helpViewer() const { return helpViewer_; }

    // "caption|patterns|caption|patterns…" as Qt name filters, e.g.
    // "дамп (*.hex)|*.hex" -> "дамп (*.hex)". Patterns separated by ";" are listed with
    // blanks, and "*.*" (every file) becomes "*", which on this system also matches names
    // without a dot.
    static QStringList nameFilters(const QString& filter);

    // The default extension to append, or empty when the request's value is not a
    // plausible extension (a placeholder such as "%AppPath%" is ignored).
    static QString defaultSuffix(const QString& requested);

private:
    bool chooseFile(FileDialogRequest& request, bool save);

    QPointer<HelpViewer> helpViewer_;
};
