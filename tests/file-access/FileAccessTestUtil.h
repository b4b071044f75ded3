#pragma once

#include "RecordingUiServices.h"
#include "TempDir.h"
#include "mRWByt.h"

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

inline const QString kEmptyFile = QStringLiteral("Файл пустой и не содержит ни одного байта данных.");
inline const QString kBadHandle =
    QStringLiteral("Нет доступа к файлу. Возможно он ещё не открыт или недоступен.");
inline const QString kAlreadyOpen =
    QStringLiteral("Оди файл уже открыт. Нельзя открыть более одного файла.");
inline const QString kDiskFull =
    QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма.");

struct BinaryFileTest : ::testing::Test {
    TempDir dir;
    RecordingUiServices ui;
    mRWByt file{ui};

    // Opens a file of TempDir's pattern bytes, with failures titled "Bivex".
    QString openPattern(std::int64_t size) { return open(dir.pattern(QStringLiteral("data.bin"), size)); }
    QString open(const QString& path) {
        file.MsgTitle(QStringLiteral("Bivex"));
        file.Path(path);
        file.OpenFileRW();
        EXPECT_TRUE(file.IsOpen());
        return path;
    }
    void expectFailure(int code, const QString& text) {
        EXPECT_EQ(file.Error(), code);
        expectOnlyMessage(ui, QStringLiteral("Bivex"), text);
    }
};

