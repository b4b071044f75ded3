#include "WindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <cmath>

#include "GridColors.h"

namespace {

constexpr char kOwnPalette[] = "bivexOwnPalette";

double luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a) + 0.05, lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// Fusion draws its keyboard focus frame half transparent (about 2 : 1 on a light face) and
// leaves Alt to the desktop; these two are the program's own.
class ReadableStyle : public QProxyStyle {
public:
    explicit ReadableStyle(QStyle* base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        // A field's, a button's and an option's focus outline are drawn from the highlight,
        // which on a light face may be too pale for them: they get one dark enough.
        if ((element == PE_FrameLineEdit || element == PE_PanelButtonCommand || element == PE_IndicatorRadioButton ||
             element == PE_IndicatorCheckBox) &&
            (option->state & State_HasFocus)) {
            if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
                QStyleOptionFrame readable = *frame;
                readable.palette.setColor(QPalette::Highlight, WindowLook::outlineHighlight(frame->palette));
                QProxyStyle::drawPrimitive(element, &readable, painter, widget);
                return;
            }
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                QStyleOptionButton readable = *button;
                readable.palette.setColor(QPalette::Highlight, WindowLook::outlineHighlight(button->palette));
                QProxyStyle::drawPrimitive(element, &readable, painter, widget);
                return;
            }
        }
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // As before, a frame only once the keyboard has moved the focus. An option without a
        // caption shows it by its outline: a frame would hide its circle.
        if (!(option->state & State_KeyboardFocusChange)) return;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button && button->text().isEmpty()) return;
        const bool selected = option->state & State_Selected;
        const QColor ground = option->palette.color(selected ? QPalette::Highlight : QPalette::Window);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(WindowLook::focusFrameColor(option->palette, ground));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Gives every window the palette when it is shown and when the desktop's changes.
class PaletteFollower : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::ApplicationPaletteChange) && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()) WindowLook::follow(widget);
        }
        return false;
    }
};

}  // namespace

namespace WindowLook {

void install() {
    static PaletteFollower* follower = [] {
        auto* f = new PaletteFollower;
        f->setParent(qApp);
        qApp->installEventFilter(f);
        return f;
    }();
    (void)follower;
    if (!dynamic_cast<ReadableStyle*>(QApplication::style()))
        if (QStyle* base = QStyleFactory::create(QApplication::style()->name()))
            QApplication::setStyle(new ReadableStyle(base));
}

void follow(QWidget* window) {
    const QPalette& readable = GridColors::windowPalette();
    if (readable.cacheKey() != QApplication::palette().cacheKey()) {
        window->setPalette(readable);
        window->setProperty(kOwnPalette, true);
        return;
    }
    // Back under a light desktop: only what this rule gave is taken back (a tooltip keeps its own).
    if (!window->property(kOwnPalette).toBool()) return;
    QPalette inherited;  // no role of its own: the application's throughout
    inherited.setResolveMask(0);
    window->setPalette(inherited);
    window->setProperty(kOwnPalette, false);
}

QColor outlineHighlight(const QPalette& palette) {
    // The outline is the highlight a quarter darker, and never lighter than HSV value 160.
    const auto outline = [](const QColor& highlight) {
        QColor c = highlight.darker(125);
        if (c.value() > 160) c.setHsl(c.hue(), c.saturation(), 160);
        return c;
    };
    QColor highlight = palette.color(QPalette::Highlight);
    for (int i = 0; i < 12; ++i) {
        const QColor c = outline(highlight);
        if (contrast(c, palette.color(QPalette::Window)) >= 3.0 && contrast(c, palette.color(QPalette::Base)) >= 3.0 &&
            contrast(c, palette.color(QPalette::Button)) >= 3.0)
            break;
        highlight = highlight.darker(115);
    }
    return highlight;
}

QColor focusFrameColor(const QPalette& palette, const QColor& ground) {
    for (const QColor& candidate : {palette.color(QPalette::Highlight).darker(125), palette.color(QPalette::HighlightedText),
                                    palette.color(QPalette::WindowText)})
        if (contrast(candidate, ground) >= 3.0) return candidate;
    return ground.lightness() > 127 ? Qt::black : Qt::white;
}

}  // namespace WindowLook
