#include "HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "WindowLook.h"

namespace {

constexpr int AnchorRole = Qt::UserRole;

// Contents files are small; anything far larger is not one of ours.
constexpr qint64 MaxContentsBytes = 1 << 20;

bool readText(const QString& path, qint64 limit, QString& text) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = limit > 0 ? file.read(limit) : file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    text = QString::fromUtf8(bytes);
    return true;
}

}  // namespace

QList<HelpTopic> parseHelpContents(const QString& text) {
    QList<HelpTopic> topics;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;

        int blank = line.indexOf(QLatin1Char(' '));
        int equals = line.lastIndexOf(QLatin1Char('='));
        if (blank <= 0 || equals <= blank) continue;

        bool isNumber = false;
        int level = line.left(blank).toInt(&isNumber);
        if (!isNumber || level < 1) continue;

        HelpTopic topic;
        topic.level = level;
        topic.title = line.mid(blank + 1, equals - blank - 1).trimmed();
        topic.anchor = line.mid(equals + 1).trimmed();
        if (topic.title.isEmpty() || topic.anchor.isEmpty()) continue;
        topics.push_back(topic);
    }
    return topics;
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Справка Bivex"));
    // The help shows the window's colours as they are drawn, on the window's ground.
    WindowLook::follow(this);
    resize(900, 620);

    contents_ = new QTreeWidget;
    contents_->setObjectName(QStringLiteral("helpContents"));
    contents_->setHeaderHidden(true);
    contents_->setColumnCount(1);
    contents_->header()->setStretchLastSection(true);

    page_ = new QTextBrowser;
    page_->setObjectName(QStringLiteral("helpPage"));
    page_->setOpenExternalLinks(false);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(contents_);
    splitter->addWidget(page_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 600});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    // Both a click and keyboard movement in the contents show the topic; a click on the
    // topic already marked shows it again after the user has scrolled away.
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item) page_->scrollToAnchor(item->data(0, AnchorRole).toString());
    });
    connect(contents_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) page_->scrollToAnchor(item->data(0, AnchorRole).toString());
    });
    // The browser follows links inside the page itself; keep the contents in step.
    connect(page_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.hasFragment()) markTopic(url.fragment());
    });
}

void HelpViewer::load(const QString& helpPath, const QString& contentsPath) {
    QString contentsText;
    topics_ = readText(contentsPath, MaxContentsBytes, contentsText)
                  ? parseHelpContents(contentsText)
                  : QList<HelpTopic>();
    fillContents();

    QString html;
    if (readText(helpPath, 0, html)) {
        page_->document()->setBaseUrl(
            QUrl::fromLocalFile(QFileInfo(helpPath).absolutePath() + QLatin1Char('/')));
        page_->setHtml(html);
    } else {
        page_->setHtml(QStringLiteral("<p>Не удалось прочитать файл справки: %1</p>")
                           .arg(helpPath.toHtmlEscaped()));
    }

    // The contents page is the top of the help.
    page_->verticalScrollBar()->setValue(0);
    if (!topics_.isEmpty()) markTopic(topics_.first().anchor);
}

void HelpViewer::showTopic(const QString& anchor) {
    markTopic(anchor);
    page_->scrollToAnchor(anchor);
}

void HelpViewer::fillContents() {
    contents_->clear();
    // parents[d] is the last item placed at depth d + 1; a level deeper than one below
    // the previous entry hangs under that entry.
    QList<QTreeWidgetItem*> parents;
    for (const HelpTopic& topic : topics_) {
        int depth = qMin(topic.level - 1, int(parents.size()));
        parents.resize(depth);
        auto* item = depth == 0 ? new QTreeWidgetItem(contents_)
                                : new QTreeWidgetItem(parents.last());
        item->setText(0, topic.title);
        item->setData(0, AnchorRole, topic.anchor);
        parents.push_back(item);
    }
    contents_->expandAll();
}

void HelpViewer::markTopic(const QString& anchor) {
    QTreeWidgetItem* item = findTopic(anchor);
    if (!item) return;
    // Marking only: the page is already where it should be.
    QSignalBlocker block(contents_);
    contents_->setCurrentItem(item);
    contents_->scrollToItem(item);
}

QTreeWidgetItem* HelpViewer::findTopic(const QString& anchor) const {
    for (QTreeWidgetItemIterator it(contents_); *it; ++it)
        if ((*it)->data(0, AnchorRole).toString() == anchor) return *it;
    return nullptr;
}
