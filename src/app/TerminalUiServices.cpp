#include "TerminalUiServices.h"

MessageAnswer TerminalUiServices::message(const QString&, const QString& text, MessageIcon,
                                          MessageButtons buttons) {
    const QByteArray line = (QStringLiteral("bivex: ") + text.trimmed() + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stream_);
    std::fflush(stream_);
    return buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}
