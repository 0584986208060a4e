#include "layout/ControlBuilder.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QHash>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QTimer>

#include "layout/Controls.h"

namespace layout {

namespace {

// The menu bar in the window's own style, less its keyboard: a lone ALT
// would give it the keys, taking the focus colour off the buttons, losing the
// next digits and letting the next ENTER open a menu. Its menus are reached
// with the mouse.
class MouseMenuBarStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QMenuBar *mouseMenuBar(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    if (!dynamic_cast<MouseMenuBarStyle *>(bar->style())) {
        // Owned by the window, which deletes it after the menu bar it made earlier.
        auto *style = new MouseMenuBarStyle(QApplication::style()->name());
        style->setParent(window);
        bar->setStyle(style);
    }
    return bar;
}

} // namespace

QWidget *Control::widget() const
{
    return qobject_cast<QWidget *>(object.data());
}

QString objectNameFor(std::string_view name, int index)
{
    QString objectName = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    if (index >= 0)
        objectName += QLatin1Char('_') + QString::number(index);
    return objectName;
}

QFont fontFor(const Font &font)
{
    QFont qfont(
        QString::fromLatin1(font.family.data(), static_cast<qsizetype>(font.family.size())));
    qfont.setPointSizeF(font.points);
    qfont.setBold(font.bold);
    return qfont;
}

namespace {
// The exact twips a control was last given, with the pixels they came to: a
// size read back in twips is then the one that was set, not a rounded one.
constexpr auto kGeometryTwips = "geometryTwips";
constexpr auto kGeometryPixels = "geometryPixels";
} // namespace

void moveControl(QWidget *widget, double left, double top, double width, double height)
{
    width = std::max(0.0, width);
    height = std::max(0.0, height);
    QRect pixels(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
    if (auto *frame = qobject_cast<Frame *>(widget); frame && frame->dock() != Dock::None) {
        // Whatever place and height it is given, a docked box stands at its edge
        // of the container and spans its whole height; only its width is free.
        const QWidget *container = widget->parentWidget();
        const int x = frame->dock() == Dock::Left ? 0 : container->width() - pixels.width();
        pixels = QRect(x, 0, pixels.width(), container->height());
        left = x * kTwipsPerPixel;
        top = 0;
        height = container->height() * kTwipsPerPixel;
    }
    widget->setGeometry(pixels);
    widget->setProperty(kGeometryTwips, QRectF(left, top, width, height));
    widget->setProperty(kGeometryPixels, pixels);
}

QRectF geometryTwips(const QWidget *widget)
{
    // A control moved by other means since its last moveControl reads back from its pixels.
    if (widget->property(kGeometryPixels).toRect() == widget->geometry())
        return widget->property(kGeometryTwips).toRectF();
    const QRect pixels = widget->geometry();
    return {static_cast<double>(pixels.x() * kTwipsPerPixel),
            static_cast<double>(pixels.y() * kTwipsPerPixel),
            static_cast<double>(pixels.width() * kTwipsPerPixel),
            static_cast<double>(pixels.height() * kTwipsPerPixel)};
}

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget *createWidget(const ControlDef &def, QWidget *parent,
                      const OptionButtonFactory &makeOptionButton)
{
    const QColor fore = toColor(def.fore, Qt::black);
    QWidget *widget = nullptr;
    switch (def.kind) {
    case Kind::Label: {
        auto *label = new Label(parent);
        label->setCaption(qs(def.caption));
        label->setAlignment((def.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        if (def.opaque)
            setBackColour(label, toColor(def.back, Qt::white));
        widget = label;
        break;
    }
    case Kind::Frame:
    case Kind::PictureBox: {
        auto *frame = new Frame(def.bordered, parent);
        frame->setDock(def.dock);
        setBackColour(frame, toColor(def.back, toColor(kPeach)));
        widget = frame;
        break;
    }
    case Kind::Shape:
        widget = new Shape(def.shape, def.back.isSet() ? toColor(def.back) : QColor(),
                           toColor(def.borderColour), def.borderWidth, parent);
        break;
    case Kind::Image:
        widget = new Image(qs(def.resource), parent);
        break;
    case Kind::OptionButton: {
        FlatButton *button = makeOptionButton ? makeOptionButton(parent) : new FlatButton(parent);
        button->setCheckable(true);
        button->setText(qs(def.caption));
        button->setBackColour(toColor(def.back, toColor(kPeach)));
        widget = button;
        break;
    }
    case Kind::CommandButton: {
        auto *button = new FlatButton(parent);
        button->setText(qs(def.caption));
        button->setBackColour(toColor(def.back, toColor(kPeach)));
        widget = button;
        break;
    }
    case Kind::Timer:
    case Kind::MenuItem:
        break;
    }
    if (!widget)
        return nullptr;
    if (!def.font.family.empty())
        widget->setFont(fontFor(def.font));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, fore);
    palette.setColor(QPalette::ButtonText, fore);
    widget->setPalette(palette);
    widget->setFocusPolicy(def.kind == Kind::OptionButton || def.kind == Kind::CommandButton
                               ? Qt::StrongFocus
                               : Qt::NoFocus);
    return widget;
}

} // namespace

std::vector<Control> buildControls(const WindowDef &window, QMainWindow *mainWindow,
                                   QWidget *client, const OptionButtonFactory &makeOptionButton)
{
    const auto &defs = window.controls;
    std::vector<Control> controls(defs.size());
    QHash<QString, qsizetype> byName;
    for (qsizetype i = 0; i < static_cast<qsizetype>(defs.size()); ++i)
        byName.insert(objectNameFor(defs[i].name, defs[i].index), i);

    // A container may be listed after the controls it holds: build it first.
    std::vector<bool> visiting(defs.size(), false);
    auto build = [&](auto &self, qsizetype i) -> void {
        Control &control = controls[i];
        if (control.def || visiting[i])
            return;
        visiting[i] = true;
        const ControlDef &def = defs[i];
        control.def = &def;
        QWidget *parent = client;
        if (!def.container.empty()) {
            const qsizetype c = byName.value(objectNameFor(def.container, def.containerIndex), -1);
            Q_ASSERT(c >= 0);
            self(self, c);
            parent = controls[c].widget();
        }
        if (def.kind == Kind::Timer) {
            auto *timer = new QTimer(mainWindow);
            timer->setInterval(def.interval);
            if (def.enabled)
                timer->start();
            control.object = timer;
        } else if (def.kind == Kind::MenuItem) {
            auto *action = mouseMenuBar(mainWindow)->addAction(qs(def.caption));
            action->setEnabled(def.enabled);
            control.object = action;
        } else {
            QWidget *widget = createWidget(def, parent, makeOptionButton);
            moveControl(widget, def.left, def.top, def.width, def.height);
            widget->setEnabled(def.enabled);
            widget->setVisible(def.visible);
            control.object = widget;
        }
        control.object->setObjectName(objectNameFor(def.name, def.index));
    };
    for (qsizetype i = 0; i < static_cast<qsizetype>(defs.size()); ++i)
        build(build, i);

    // A control listed earlier is drawn over a later one: lower each in turn.
    for (const Control &control : controls)
        if (QWidget *widget = control.widget())
            widget->lower();
    for (const ControlRef &ref : window.frontToBack) {
        const qsizetype i = byName.value(objectNameFor(ref.name, ref.index), -1);
        if (i >= 0 && controls[i].widget())
            controls[i].widget()->lower();
    }

    QWidget *previous = nullptr;
    for (const ControlRef &ref : window.tabOrder) {
        const qsizetype i = byName.value(objectNameFor(ref.name, ref.index), -1);
        QWidget *widget = i >= 0 ? controls[i].widget() : nullptr;
        if (!widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return controls;
}

} // namespace layout
