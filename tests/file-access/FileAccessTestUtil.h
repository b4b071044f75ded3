#pragma once

#include "RecordingUiServices.h"

#include <gtest/gtest.h>

// Every failure message of the file objects: a critical icon and one OK button.
inline void expectOnlyMessage(const RecordingUiServices& ui, const QString& title,
                              const QString& text) {
    ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(QLatin1Char('|')).toStdString();
    const auto& m = ui.messages.front();
    EXPECT_EQ(m.title, title);
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.icon, MessageIcon::Critical);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

inline const QString kNoPath =
    QStringLiteral("Файл не указан. Необходимо указать полный путь и полное имя файла.");
inline const QString kEmptyFile = QStringLiteral("Файл пустой и не содержит ни одного байта данных.");
inline const QString kBadHandle =
    QStringLiteral("Нет доступа к файлу. Возможно он ещё не открыт или недоступен.");
inline const QString kDiskFull =
    QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма.");
