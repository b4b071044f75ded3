#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// One entry of the help contents: its depth (1 = top level), the title shown in the
// contents list and the name of its anchor in the help page.
struct HelpTopic {
    int level = 1;
    QString title;
    QString anchor;
};

// Reads the text of a contents file. Each line is "level title=anchor"; the anchor is
// what follows the last "=", so a title may itself hold "=". Blank lines and lines that
// start with "#" are skipped, and so is any line that does not have this shape.
QList<HelpTopic> parseHelpContents(const QString& text);

// The help window: the contents on the left, the HTML help page on the right. It is
// not modal, so the user can keep it open beside the main window.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Loads the help page and its contents and shows the contents page (the top of the
    // help). Never fails: an unreadable help file leaves a notice in the page, an
    // unreadable contents file an empty contents list.
    void load(const QString& helpPath, const QString& contentsPath);

    // Scrolls the page to a topic's anchor and marks the topic in the contents.
    void showTopic(const QString& anchor);

    const QList<HelpTopic>& topics() const { return topics_; }
    QTreeWidget* contentsList() const { return contents_; }
    QTextBrowser* page() const { return page_; }

private:
    void fillContents();
    void markTopic(const QString& anchor);
    QTreeWidgetItem* findTopic(const QString& anchor) const;

    QList<HelpTopic> topics_;
    QTreeWidget* contents_ = nullptr;
    QTextBrowser* page_ = nullptr;
};
