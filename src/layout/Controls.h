#pragma once
// The kinds of control a window definition can hold, as small widgets that
// draw exactly the colours they are given: labels whose captions may break
// lines at carriage returns, plain and bordered frames, shapes, a stretched
// image, and a flat push button.

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include "layout/ControlDef.h"

namespace layout {

QColor toColor(Rgb rgb, QColor fallback = Qt::black);

// Fills the widget with its own colour, or leaves it transparent.
void setBackColour(QWidget *widget, QColor colour);
QColor backColour(const QWidget *widget);

class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);

    // The caption as the program wrote it; a carriage return breaks the line.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

Q_SIGNALS:
    void captionChanged();

private:
    QString m_caption;
};

class Frame : public QWidget
{
    Q_OBJECT
public:
    explicit Frame(bool bordered, QWidget *parent = nullptr);
    Dock dock() const { return m_dock; }
    void setDock(Dock dock) { m_dock = dock; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bordered = false;
    Dock m_dock = Dock::None;
};

class Shape : public QWidget
{
    Q_OBJECT
public:
    Shape(ShapeKind kind, QColor fill, QColor border, int borderWidth, QWidget *parent = nullptr);
    ShapeKind kind() const { return m_kind; }
    // The box the shape is drawn in: for a circle, the largest centred square.
    QRect drawnRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ShapeKind m_kind;
    QColor m_fill;
    QColor m_border;
    int m_borderWidth;
};

// The picture is decoded at the size it is shown in device pixels, never kept
// larger: a small box holds a small picture, and a HiDPI screen or a larger
// window gets one decoded afresh from the full-resolution file.
class Image : public QWidget
{
    Q_OBJECT
public:
    explicit Image(const QString &resource, QWidget *parent = nullptr);
    // The picture as last drawn, in device pixels.
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
    QPixmap m_picture;
    QSize m_decodedFor;
};

// A push button drawn flat in its own back colour, with a raised border that
// sinks while it is down or selected, and a focus ring while it has the focus.
class FlatButton : public QPushButton
{
    Q_OBJECT
public:
    explicit FlatButton(QWidget *parent = nullptr);
    QColor backColour() const { return m_back; }
    void setBackColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    virtual bool showsFocusRing() const { return hasFocus(); }

private:
    QColor m_back = Qt::lightGray;
};

} // namespace layout
