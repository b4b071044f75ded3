#pragma once

#include "UiServices.h"

#include <cstdio>

// The program's messages for a run without a window: each goes to a stream (stderr) as
// one "bivex: text" line. Nobody is there to answer, so a question is answered Cancel
// and a file dialog is cancelled.
class TerminalUiServices : public UiServices {
public:
    explicit TerminalUiServices(std::FILE* stream = stderr) : stream_(stream) {}

    MessageAnswer message(const QString& title, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    bool chooseOpenFile(FileDialogRequest&) override { return false; }
    bool chooseSaveFile(FileDialogRequest&) override { return false; }
    void openHelp(const QString&, const QString&) override {}

private:
    std::FILE* stream_;
};
