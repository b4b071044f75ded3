#include "RecordingUiServices.h"

MessageAnswer RecordingUiServices::message(const QString& title, const QString& text,
                                           MessageIcon icon, MessageButtons buttons) {
    messages.push_back({title, text, icon, buttons});
    if (onMessage) onMessage(messages.back());
    if (messageAnswers.empty()) return MessageAnswer::Ok;
    MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

static bool answerDialog(std::deque<QString>& answers, FileDialogRequest& request) {
    if (answers.empty()) return false;
    QString answer = answers.front();
    answers.pop_front();
    if (answer.isNull()) return false;
    request.fileName = answer;
    return true;
}

bool RecordingUiServices::chooseOpenFile(FileDialogRequest& request) {
    openRequests.push_back(request);
    return answerDialog(openAnswers, request);
}

bool RecordingUiServices::chooseSaveFile(FileDialogRequest& request) {
    saveRequests.push_back(request);
    return answerDialog(saveAnswers, request);
}

void RecordingUiServices::openHelp(const QString& helpPath, const QString&) {
    helpOpened.push_back(helpPath);
}

void RecordingUiServices::clear() {
    messages.clear();
    openRequests.clear();
    saveRequests.clear();
    helpOpened.clear();
    messageAnswers.clear();
    openAnswers.clear();
    saveAnswers.clear();
}

QStringList RecordingUiServices::messageTexts() const {
    QStringList texts;
    for (const Message& m : messages) texts << m.text;
    return texts;
}
