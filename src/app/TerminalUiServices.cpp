#include "TerminalUiServices.h"

#include "FileLayer.h"

MessageAnswer TerminalUiServices::message(const QString&, const QString& text, MessageIcon,
                                          MessageButtons buttons) {
    // Names in the text are written as the bytes they were given as.
    const QByteArray line = FileLayer::encodeName(QStringLiteral("bivex: ") + text.trimmed() + QLatin1Char('\n'));
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stream_);
    std::fflush(stream_);
    return buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}
