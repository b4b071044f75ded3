#pragma once

#include <QLabel>

// A label for a file's path: always one line, elided in the middle when it is too long
// (a line break in a name shows as "⏎"), with the whole path as its tooltip. text() stays
// the path exactly as given.
class PathLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // The text as drawn at the label's present width.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
