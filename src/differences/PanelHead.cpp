#include "PanelHead.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

PanelHead::PanelHead(QDockWidget& dock, const QString& prefix, const QString& progressName)
    : body(new QWidget(&dock)),
      column(new QVBoxLayout(body)),
      summary(new QLabel(body)),
      bar(new QProgressBar(body)),
      stop(new QPushButton(QStringLiteral("Стоп"), body)),
      refresh(new QPushButton(QStringLiteral("Обновить список"), body)),
      controls(new QHBoxLayout) {
    dock.setObjectName(prefix + QStringLiteral("Dock"));
    dock.setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    dock.setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    dock.setWidget(body);
    dock.setMinimumWidth(dock.fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    column->setContentsMargins(4, 4, 4, 4);
    summary->setObjectName(prefix + QStringLiteral("Summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    column->addWidget(summary);
    bar->setObjectName(prefix + QStringLiteral("Progress"));
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    bar->setAccessibleName(progressName);
    stop->setObjectName(prefix + QStringLiteral("Stop"));
    refresh->setObjectName(prefix + QStringLiteral("Refresh"));
    for (QPushButton* button : {stop, refresh}) button->setAutoDefault(false);
    controls->addWidget(bar, 1);
    controls->addWidget(stop);
    controls->addWidget(refresh);
    column->addLayout(controls);
}

void PanelHead::show(const QString& text, bool working, double done, bool refreshAllowed) {
    summary->setText(text);
    summary->setAccessibleName(text);
    bar->setVisible(working);
    stop->setVisible(working);
    refresh->setVisible(!working);
    refresh->setEnabled(refreshAllowed);
    bar->setValue(int(done * 1000));
}
