#pragma once

#include <cstdio>

#include "UiServices.h"

// The benchmarks' answers to the program's questions: messages have no one to answer them
// here, so they are printed and counted as a failure; file dialogs are cancelled.
class StderrUi : public UiServices {
public:
    int shown = 0;
    MessageAnswer message(const QString& title, const QString& text, MessageIcon, MessageButtons) override {
        ++shown;
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return MessageAnswer::Ok;
    }
    bool chooseOpenFile(FileDialogRequest&) override { return false; }
    bool chooseSaveFile(FileDialogRequest&) override { return false; }
    void openHelp(const QString&, const QString&) override {}
};
