// What the program sets up before its window: Qt's Russian texts and the window icon.

#include "Startup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

TEST(Startup, StandardButtonsAndFileDialogSpeakRussian) {
    QTranslator* translator = installQtTranslation(*qApp);
    ASSERT_NE(translator, nullptr) << "qtbase_ru is missing: install qt6-translations-l10n";
    const struct {
        QDialogButtonBox::StandardButton button;
        const char* text;
    } buttons[] = {
        {QDialogButtonBox::Ok, "OK"},
        {QDialogButtonBox::Cancel, "Отмена"},
        {QDialogButtonBox::Yes, "&Да"},
        {QDialogButtonBox::No, "&Нет"},
        {QDialogButtonBox::Open, "Открыть"},
    };
    QDialogButtonBox box;
    for (const auto& row : buttons)
        EXPECT_EQ(box.addButton(row.button)->text(), QString::fromUtf8(row.text)) << row.text;

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.labelText(QFileDialog::Accept), QStringLiteral("&Открыть"));
    EXPECT_EQ(dialog.labelText(QFileDialog::Reject), QStringLiteral("Отмена"));

    QCoreApplication::removeTranslator(translator);
    delete translator;
}

TEST(Startup, WindowIconIsBuiltIn) {
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    // Drawn, not merely named: the SVG support must be there to render it.
    const QImage image = icon.pixmap(QSize(32, 32), 1.0).toImage();  // at scale 1 on any screen
    ASSERT_FALSE(image.isNull()) << "no SVG image plugin: install libqt6svg6";
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_NE(image.pixel(16, 16), image.pixel(0, 0));
}

}  // namespace
