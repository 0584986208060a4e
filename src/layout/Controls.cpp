#include "layout/Controls.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace layout {

namespace {
constexpr int kBevel = 2;
constexpr int kFocusRingWidth = 2;
constexpr int kRoundedCornerDivisor = 8;
const QColor kFocusRingColour{0, 0, 0};
const QColor kLightEdge{255, 255, 255};
const QColor kDarkEdge{128, 128, 128};
const QColor kDisabledText{128, 128, 128};
// Above this quality the picture decoder scales smoothly, as a stretched draw would.
constexpr int kSmoothDecodeQuality = 100;

// Lines one device-independent pixel wide along the inside of `box`, filled
// rather than stroked so that they cover whole device pixels at any scale.
void fillEdges(QPainter &painter, const QRect &box, const QColor &topLeft,
               const QColor &bottomRight)
{
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), topLeft);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), topLeft);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), bottomRight);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), bottomRight);
}
} // namespace

QColor toColor(Rgb rgb, QColor fallback)
{
    return rgb.isSet() ? QColor(rgb.r, rgb.g, rgb.b) : fallback;
}

void setBackColour(QWidget *widget, QColor colour)
{
    // The colour a control already has changes nothing: no new palette, no repaint.
    if (backColour(widget) == colour)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(colour.isValid());
}

QColor backColour(const QWidget *widget)
{
    return widget->autoFillBackground() ? widget->palette().color(QPalette::Window) : QColor();
}

Label::Label(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(0);
    setIndent(0);
}

void Label::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    // A lone carriage return starts a new line, which QLabel would not do by itself.
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
    Q_EMIT captionChanged();
}

Frame::Frame(bool bordered, QWidget *parent) : QWidget(parent), m_bordered(bordered) {}

void Frame::paintEvent(QPaintEvent *)
{
    if (!m_bordered)
        return;
    QPainter painter(this);
    fillEdges(painter, rect(), kDarkEdge, kDarkEdge);
}

Shape::Shape(ShapeKind kind, QColor fill, QColor border, int borderWidth, QWidget *parent)
    : QWidget(parent), m_kind(kind), m_fill(fill), m_border(border), m_borderWidth(borderWidth)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QRect Shape::drawnRect() const
{
    if (m_kind == ShapeKind::RoundedRectangle)
        return rect();
    const int side = std::min(width(), height());
    return {(width() - side) / 2, (height() - side) / 2, side, side};
}

void Shape::paintEvent(QPaintEvent *)
{
    const QRect box = drawnRect();
    if (box.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_border, m_borderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(m_fill.isValid() ? QBrush(m_fill) : QBrush(Qt::NoBrush));
    const qreal inset = m_borderWidth / 2.0;
    const QRectF inner = QRectF(box).adjusted(inset, inset, -inset, -inset);
    if (m_kind == ShapeKind::Circle) {
        painter.drawEllipse(inner);
    } else {
        const qreal radius = std::min(inner.width(), inner.height()) / kRoundedCornerDivisor;
        painter.drawRoundedRect(inner, radius, radius);
    }
}

Image::Image(const QString &resource, QWidget *parent) : QWidget(parent), m_resource(resource) {}

void Image::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QSize device = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (device != m_decodedFor) {
        m_decodedFor = device;
        QImageReader reader(m_resource);
        const QSize stored = reader.size();
        // Shown smaller than stored, the picture is decoded straight at the
        // size it is shown, which also spares the memory of the full one.
        if (stored.isValid() &&
            qint64(device.width()) * device.height() < qint64(stored.width()) * stored.height()) {
            reader.setScaledSize(device);
            reader.setQuality(kSmoothDecodeQuality);
        }
        m_picture = QPixmap::fromImage(reader.read());
    }
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_picture);
}

FlatButton::FlatButton(QWidget *parent) : QPushButton(parent)
{
    setAutoDefault(false);
}

void FlatButton::setBackColour(const QColor &colour)
{
    if (colour == m_back)
        return;
    m_back = colour;
    update();
}

void FlatButton::keyPressEvent(QKeyEvent *event)
{
    // ENTER presses a push button as SPACE does.
    if (!event->isAutoRepeat() &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void FlatButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect();
    painter.fillRect(box, m_back);

    const bool sunken = isDown() || isChecked();
    const QColor topLeft = sunken ? kDarkEdge : kLightEdge;
    const QColor bottomRight = sunken ? kLightEdge : kDarkEdge;
    for (int i = 0; i < kBevel; ++i)
        fillEdges(painter, box.adjusted(i, i, -i, -i), topLeft, bottomRight);

    if (showsFocusRing()) {
        QPen ring(kFocusRingColour, kFocusRingWidth);
        ring.setJoinStyle(Qt::MiterJoin);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        const int inset = kBevel + kFocusRingWidth / 2 + 1;
        painter.drawRect(QRectF(box).adjusted(inset, inset, -inset, -inset));
    }

    painter.setFont(font());
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : kDisabledText);
    const int shift = sunken ? 1 : 0;
    painter.drawText(box.translated(shift, shift), Qt::AlignCenter | Qt::TextWordWrap, text());
}

} // namespace layout
