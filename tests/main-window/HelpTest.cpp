// The help command, the help window and the About box.
#include "HelpViewer.h"
#include "frpAbout.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include "MainWindowHarness.h"

namespace {

// The help files and the version are checked as they ship, in the source tree.
QString sourcePath(const char* relative) {
    return QDir::cleanPath(QStringLiteral(BIVEX_SOURCE_DIR "/") + relative);
}

using HelpAndAbout = MainWindowTest;

TEST_F(HelpAndAbout, HelpCommandNeedsTheContentsThenTheHelpFile) {
    enum Entry { Missing, File, Folder };
    const char* const noContents = "Компонент справки по указанному пути: ";
    const char* const noHelp = "Файл справки по указанному пути: ";
    const struct {
        Entry contents, help;
        const char* message;  // nullptr: the help opens
        const char* named;
    } rows[] = {{File, File, nullptr, nullptr},           {Missing, File, noContents, "Bivex.cnt"},
                {Missing, Missing, noContents, "Bivex.cnt"}, {File, Missing, noHelp, "Bivex.hlp"},
                {Folder, File, noContents, "Bivex.cnt"},     {File, Folder, noHelp, "Bivex.hlp"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.contents << row.help);
        TempDir files;
        const QString folder = QFileInfo(files.path(QStringLiteral("x"))).absolutePath();
        for (auto [name, entry] : {std::pair{"Bivex.cnt", row.contents}, std::pair{"Bivex.hlp", row.help}}) {
            if (entry == File) files.write(QString::fromLatin1(name), "x");
            if (entry == Folder) QDir().mkpath(files.path(QString::fromLatin1(name)));
        }
        ui.clear();
        window->setProgramFolder(folder);
        trigger("mnuHelp");
        if (row.message) {
            EXPECT_TRUE(shownOnce("Bivex", row.message + folder + '/' + row.named + " не найден. "));
            EXPECT_TRUE(ui.helpOpened.isEmpty());
        } else {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(ui.helpOpened, QStringList{folder + QStringLiteral("/Bivex.hlp")});
        }
    }
}

// Every topic of the contents has its anchor on the page, every anchor and link of the
// page is listed, and a level that skips one hangs under the entry before it.
TEST(HelpViewerWindow, ContentsAndPageAgree) {
    HelpViewer viewer;
    viewer.load(sourcePath("help/Bivex.hlp"), sourcePath("help/Bivex.cnt"));
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Справка Bivex"));
    ASSERT_GT(viewer.topics().size(), 10);
    EXPECT_EQ(viewer.topics().first().anchor, QStringLiteral("contents"));
    QSet<QString> anchors, links, listed;
    for (QTextBlock block = viewer.page()->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames()) anchors.insert(name);
            if (format.anchorHref().startsWith('#')) links.insert(format.anchorHref().mid(1));
        }
    for (const HelpTopic& topic : viewer.topics()) {
        EXPECT_TRUE(anchors.contains(topic.anchor) && !listed.contains(topic.anchor)) << topic.anchor.toStdString();
        listed.insert(topic.anchor);
    }
    for (const QString& name : anchors) EXPECT_TRUE(listed.contains(name)) << "not listed: " << name.toStdString();
    for (const QString& link : links) EXPECT_TRUE(anchors.contains(link)) << "link to nowhere: #" << link.toStdString();

    TempDir dir;
    const QByteArray contents("# comment\n\n1 Top=top\r\n3 Deep=deep\n2 A=B means=a-b\nx Bad=bad\n0 Zero=bad\n"
                              "2 No anchor=\n2 no equals sign\n1=bad\n1 Second=second\n");
    viewer.load(dir.write(QStringLiteral("h.hlp"), "<p>x</p>"), dir.write(QStringLiteral("h.cnt"), contents));
    QStringList topics;
    for (const HelpTopic& topic : viewer.topics()) topics << topic.title + '=' + topic.anchor;
    EXPECT_EQ(topics.join('|'), QStringLiteral("Top=top|Deep=deep|A=B means=a-b|Second=second"));
    QTreeWidget* list = viewer.contentsList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->childCount(), 2);

    static const char garbage[] = "\xff\xfe\0\x01=\n==\n7\n";
    viewer.load(dir.path(QStringLiteral("none.hlp")), dir.write(QStringLiteral("g.cnt"), QByteArray(garbage, sizeof garbage - 1)));
    EXPECT_TRUE(viewer.topics().isEmpty() && list->topLevelItemCount() == 0);
    EXPECT_TRUE(viewer.page()->toPlainText().contains(QStringLiteral("Не удалось прочитать")));
    viewer.showTopic(QStringLiteral("nowhere"));  // must not crash
}

TEST_F(HelpAndAbout, AboutBoxShowsTheVersionAndClosesByOkOrEscape) {
    QFile cmake(sourcePath("CMakeLists.txt"));
    ASSERT_TRUE(cmake.open(QIODevice::ReadOnly));
    const QString version = QRegularExpression(QStringLiteral("project\\(Bivex VERSION ([0-9.]+)"))
                                .match(QString::fromUtf8(cmake.readAll()))
                                .captured(1);
    ASSERT_FALSE(version.isEmpty());
    for (bool byEscape : {false, true}) {
        bool shown = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* about = qobject_cast<frpAbout*>(QApplication::activeModalWidget());
            ASSERT_TRUE(about && about->parentWidget() == window.get());
            shown = true;
            EXPECT_EQ(about->windowTitle(), QStringLiteral("О программе"));
            QStringList texts;
            for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
            EXPECT_TRUE(texts.contains("Bivex") && texts.contains("Версия " + version)) << texts.join('|').toStdString();
            for (const char* credit : {"Qt 6", "LGPL v3", "iconv", "GNU C", "DejaVu", "GoogleTest"})
                EXPECT_TRUE(texts.join('\n').contains(credit)) << credit;
            auto* ok = about->findChild<QPushButton*>(QStringLiteral("knOk"));
            byEscape ? QTest::keyClick(about, Qt::Key_Escape) : QTest::mouseClick(ok, Qt::LeftButton);
        });
        QTimer::singleShot(3000, window.get(), [] {  // a box that stays open fails instead of hanging
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the About box stayed open";
                modal->close();
            }
        });
        trigger("mnuAbout");
        EXPECT_TRUE(shown);
    }
}

}  // namespace
