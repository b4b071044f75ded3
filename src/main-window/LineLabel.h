#pragma once

#include <QLabel>
#include <QStaticText>

// A one-line label whose text changes with every screen (the block indicator, the
// information line). It keeps a fixed size, that of the column it stands in or of its text
// where that is wider, so that a new text is painted without laying out the window again;
// the text is laid out once when it is set, not again at every paint.
class LineLabel : public QLabel {
public:
    LineLabel(const QString& text, QWidget* parent);

    // The width the label takes while its text fits in it.
    void setColumnWidth(int width);
    // Replaces the text when it differs; only a text that needs another width changes the
    // label's size. (QLabel's own would lay out the window for every text.)
    void setText(const QString& text);
    void clear() { setText(QString()); }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fit();

    QStaticText line_;
    int columnWidth_ = 0;
};

// A room that a layout stretches (a status bar's), holding one LineLabel as wide as the
// room: the label keeps its size while its text changes, so a new line lays nothing out.
// Its context menu copies the line.
class LineRoom : public QWidget {
public:
    LineRoom(LineLabel* label, QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LineLabel* label_;
};
