#pragma once

#include "UiServices.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

// Failing assertions show texts as the user reads them rather than as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// UiServices for tests: records every message box and answers every question from a
// script, so a test asserts exactly what the user would have seen.
class RecordingUiServices : public UiServices {
public:
    struct Message {
        QString title;
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    MessageAnswer message(const QString& title, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    bool chooseOpenFile(FileDialogRequest& request) override;
    bool chooseSaveFile(FileDialogRequest& request) override;
    void openHelp(const QString& helpPath, const QString& contentsPath) override;

    // Scripted answers, used in order. A message without a scripted answer gets Ok;
    // a file dialog without one is cancelled.
    void answerNextMessage(MessageAnswer answer) { messageAnswers.push_back(answer); }
    void answerNextOpen(const QString& fileName) { openAnswers.push_back(fileName); }
    void cancelNextOpen() { openAnswers.push_back(QString()); }
    void answerNextSave(const QString& fileName) { saveAnswers.push_back(fileName); }

    // Runs while a message box "is shown", e.g. to check the state behind it.
    std::function<void(const Message&)> onMessage;

    std::vector<Message> messages;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    QStringList helpOpened;

    void clear();
    QStringList messageTexts() const;

private:
    std::deque<MessageAnswer> messageAnswers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
};
