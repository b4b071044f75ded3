// The help command, the help window and the About box.

#include "HelpViewer.h"
#include "RecordingUiServices.h"
#include "TempDir.h"
#include "fCompBynF.h"
#include "frpAbout.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The source tree, found from this file's own path: the help files are checked as they
// will ship.
QString sourcePath(const QString& relative) {
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                           QStringLiteral("/../../") + relative);
}

QString readSource(const QString& relative) {
    QFile file(sourcePath(relative));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

// Runs `command`, which opens a modal window, and `inspect` once that window is up.
// Whatever `inspect` leaves open is closed after a while so that a broken dialog fails
// the test instead of hanging it.
void withModal(const std::function<void()>& command, const std::function<void(QWidget*)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        inspected = true;
        inspect(QApplication::activeModalWidget());
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "the modal window " << modal->objectName().toStdString()
                          << " stayed open";
            modal->close();
        }
    });
    guard.start(3000);
    command();
    EXPECT_TRUE(inspected);
}

// Anchor names and internal link targets of a help page as the viewer parsed it.
struct PageAnchors {
    QSet<QString> names;
    QSet<QString> links;
};

PageAnchors anchorsOf(const QTextDocument& document) {
    PageAnchors found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames()) found.names.insert(name);
            QString href = format.anchorHref();
            if (href.startsWith(QLatin1Char('#'))) found.links.insert(href.mid(1));
        }
    }
    return found;
}

// ---------------------------------------------------------------- help command

enum class Entry { Missing, File, Folder };

struct HelpCase {
    const char* name;
    Entry contents;
    Entry help;
    const char* messageStart;  // nullptr: the help opens without a message
    const char* namedFile;
};

void PrintTo(const HelpCase& c, std::ostream* os) { *os << c.name; }

void make(const TempDir& dir, const QString& name, Entry entry) {
    if (entry == Entry::File) dir.write(name, "x");
    if (entry == Entry::Folder) QDir().mkpath(dir.path(name));
}

class HelpCommand : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpCommand, ChecksContentsThenHelpFile) {
    const HelpCase& c = GetParam();
    TempDir dir;
    make(dir, QStringLiteral("Bivex.cnt"), c.contents);
    make(dir, QStringLiteral("Bivex.hlp"), c.help);
    const QString folder = QFileInfo(dir.path(QStringLiteral("Bivex.cnt"))).absolutePath();

    RecordingUiServices ui;
    fCompBynF window(ui);
    window.setProgramFolder(folder);
    auto* command = window.findChild<QAction*>(QStringLiteral("mnuHelp"));
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->shortcut(), QKeySequence(Qt::Key_F1));
    command->trigger();  // enabled with no file open, so this runs it

    if (c.messageStart) {
        ASSERT_EQ(ui.messages.size(), 1u) << ui.messageTexts().join(" | ").toStdString();
        const auto& m = ui.messages.front();
        EXPECT_EQ(m.title, QStringLiteral("Bivex"));
        EXPECT_EQ(m.text, QString::fromUtf8(c.messageStart) + folder + QLatin1Char('/') +
                              QString::fromUtf8(c.namedFile) + QStringLiteral(" не найден. "));
        EXPECT_EQ(m.icon, MessageIcon::Critical);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_TRUE(ui.helpOpened.isEmpty());
    } else {
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(" | ").toStdString();
        EXPECT_EQ(ui.helpOpened, QStringList{folder + QStringLiteral("/Bivex.hlp")});
    }
}

constexpr const char* ContentsMissing = "Компонент справки по указанному пути: ";
constexpr const char* HelpMissing = "Файл справки по указанному пути: ";

INSTANTIATE_TEST_SUITE_P(
    Files, HelpCommand,
    ::testing::Values(
        HelpCase{"BothPresent", Entry::File, Entry::File, nullptr, nullptr},
        HelpCase{"ContentsMissing", Entry::Missing, Entry::File, ContentsMissing, "Bivex.cnt"},
        HelpCase{"BothMissing", Entry::Missing, Entry::Missing, ContentsMissing, "Bivex.cnt"},
        HelpCase{"HelpMissing", Entry::File, Entry::Missing, HelpMissing, "Bivex.hlp"},
        HelpCase{"ContentsIsAFolder", Entry::Folder, Entry::File, ContentsMissing, "Bivex.cnt"},
        HelpCase{"HelpIsAFolder", Entry::File, Entry::Folder, HelpMissing, "Bivex.hlp"}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- help files and viewer

TEST(HelpFiles, ContentsAndPageAgree) {
    HelpViewer viewer;
    viewer.load(sourcePath(QStringLiteral("help/Bivex.hlp")),
                sourcePath(QStringLiteral("help/Bivex.cnt")));

    ASSERT_GT(viewer.topics().size(), 10);
    EXPECT_EQ(viewer.topics().first().anchor, QStringLiteral("contents"));
    EXPECT_GT(viewer.contentsList()->topLevelItemCount(), 0);

    PageAnchors page = anchorsOf(*viewer.page()->document());
    QSet<QString> listed;
    for (const HelpTopic& topic : viewer.topics()) {
        EXPECT_TRUE(page.names.contains(topic.anchor)) << "no anchor " << topic.anchor.toStdString();
        EXPECT_FALSE(listed.contains(topic.anchor)) << "listed twice: " << topic.anchor.toStdString();
        listed.insert(topic.anchor);
    }
    for (const QString& name : page.names)
        EXPECT_TRUE(listed.contains(name)) << "not in the contents: " << name.toStdString();
    for (const QString& link : page.links)
        EXPECT_TRUE(page.names.contains(link)) << "link to nowhere: #" << link.toStdString();
}

TEST(HelpViewerWindow, OpensOnContentsAndFollowsTheContentsList) {
    HelpViewer viewer;
    viewer.resize(700, 400);
    viewer.show();
    viewer.load(sourcePath(QStringLiteral("help/Bivex.hlp")),
                sourcePath(QStringLiteral("help/Bivex.cnt")));
    QApplication::processEvents();

    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Справка Bivex"));
    EXPECT_FALSE(viewer.isModal());
    QScrollBar* scroll = viewer.page()->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), 0);
    QTreeWidget* list = viewer.contentsList();
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(0), viewer.topics().first().title);

    // A click on the last topic scrolls far down; a click on the first goes back up.
    auto click = [&](QTreeWidgetItem* item) {
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        QApplication::processEvents();
    };
    QTreeWidgetItem* last = list->topLevelItem(list->topLevelItemCount() - 1);
    click(last);
    EXPECT_GT(scroll->value(), scroll->maximum() / 2);
    click(list->topLevelItem(0));
    EXPECT_LT(scroll->value(), scroll->pageStep() / 4);  // the heading's top margin stays
}

TEST(HelpViewerWindow, UnreadableFilesLeaveAnEmptyButWorkingWindow) {
    TempDir dir;
    static const char bytes[] = "\xff\xfe\0\x01=\n==\n7\n";
    const QString garbage =
        dir.write(QStringLiteral("garbage.cnt"), QByteArray(bytes, sizeof bytes - 1));
    QDir().mkpath(dir.path(QStringLiteral("folder.hlp")));

    HelpViewer viewer;
    viewer.load(dir.path(QStringLiteral("none.hlp")), dir.path(QStringLiteral("none.cnt")));
    EXPECT_TRUE(viewer.topics().isEmpty());
    EXPECT_EQ(viewer.contentsList()->topLevelItemCount(), 0);
    EXPECT_TRUE(viewer.page()->toPlainText().contains(QStringLiteral("Не удалось прочитать")));

    viewer.load(dir.path(QStringLiteral("folder.hlp")), garbage);
    EXPECT_TRUE(viewer.topics().isEmpty());
    EXPECT_TRUE(viewer.page()->toPlainText().contains(QStringLiteral("Не удалось прочитать")));
    viewer.showTopic(QStringLiteral("nowhere"));  // must not crash
}

TEST(HelpContentsFile, LinesAndNesting) {
    const QString text = QStringLiteral(
        "# comment\n"
        "\n"
        "1 Top=top\r\n"
        "3 Deep below top=deep\n"
        "2 A=B means=a-b\n"
        "x Not a level=bad\n"
        "0 Level zero=bad\n"
        "2 No anchor=\n"
        "2 no equals sign\n"
        "1=bad\n"
        "1 Second=second\n");
    const QList<HelpTopic> topics = parseHelpContents(text);
    ASSERT_EQ(topics.size(), 4);
    EXPECT_EQ(topics[0].title, QStringLiteral("Top"));
    EXPECT_EQ(topics[0].anchor, QStringLiteral("top"));
    EXPECT_EQ(topics[2].title, QStringLiteral("A=B means"));
    EXPECT_EQ(topics[2].anchor, QStringLiteral("a-b"));
    EXPECT_EQ(topics[3].anchor, QStringLiteral("second"));

    TempDir dir;
    HelpViewer viewer;
    viewer.load(dir.write(QStringLiteral("h.hlp"), "<p>x</p>"),
                dir.write(QStringLiteral("h.cnt"), text.toUtf8()));
    // A level that skips one hangs under the entry before it.
    QTreeWidget* list = viewer.contentsList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    ASSERT_EQ(list->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->child(0)->text(0), QStringLiteral("Deep below top"));
}

// ---------------------------------------------------------------- About box

TEST(AboutBox, ShowsNameVersionAndCredits) {
    const QString cmake = readSource(QStringLiteral("CMakeLists.txt"));
    QRegularExpressionMatch version =
        QRegularExpression(QStringLiteral("project\\(Bivex VERSION ([0-9.]+)")).match(cmake);
    ASSERT_TRUE(version.hasMatch());

    frpAbout about;
    EXPECT_EQ(about.objectName(), QStringLiteral("frpAbout"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    const QString all = texts.join(QLatin1Char('\n'));
    EXPECT_TRUE(texts.contains(QStringLiteral("Bivex")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Версия ") + version.captured(1))) << all.toStdString();
    for (const char* credit : {"Qt 6", "LGPL v3", "iconv", "GNU C", "DejaVu", "GoogleTest"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(credit))) << credit;
}

TEST(AboutBox, OpensModallyOverTheWindowAndClosesByOkOrEscape) {
    RecordingUiServices ui;
    fCompBynF window(ui);
    window.show();
    auto* command = window.findChild<QAction*>(QStringLiteral("mnuAbout"));
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->shortcut(), QKeySequence(Qt::Key_F2));

    for (bool byEscape : {false, true}) {
        withModal([&] { command->trigger(); },
                  [&](QWidget* modal) {
                      ASSERT_NE(modal, nullptr);
                      EXPECT_EQ(modal->objectName(), QStringLiteral("frpAbout"));
                      EXPECT_EQ(modal->parentWidget(), &window);
                      if (byEscape) {
                          QTest::keyClick(modal, Qt::Key_Escape);
                      } else {
                          auto* ok = modal->findChild<QPushButton*>(QStringLiteral("knOk"));
                          ASSERT_NE(ok, nullptr);
                          EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
                          QTest::mouseClick(ok, Qt::LeftButton);
                      }
                  });
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
