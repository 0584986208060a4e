// pinnuvo_assets: draws the two pictures Pinnuvo ships with.
//
//   sole.jpg   - the start picture, a still of the exercise window in use: the "sun" with
//                the centre number 6, its eight addends and the answer squares, the first
//                filled in (6 + 10 = 16) and the second one still asked (6 + 1 = ?).
//   icona.png  - the 32x32 icon of the exercise window, red lettering on transparency.
//   icona-128.png - the same icon drawn at 128x128 and smoothed, for the desktop's menu
//                and software centres, which show icons larger than the window does.
//
// Usage: pinnuvo_assets <output folder>
// Everything is painted here with QPainter, so the files can be regenerated at any time.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// Start picture geometry (pixels).
constexpr int kPictureWidth = 790;
constexpr int kPictureHeight = 737;
constexpr int kJpegQuality = 90;
constexpr double kOuterRadius = 208.0;          // large disc
constexpr double kInnerRadius = 72.0;           // centre disc
constexpr double kAddendRadius = 152.0;         // where the addends sit
constexpr double kPlusRadius = 106.0;           // plus signs, between centre disc and addend
constexpr double kSquareRadius = 305.0;         // centres of the answer squares on straight rays
constexpr double kDiagonalSquareRadius = 356.0; // ...and on diagonal rays, clear of the disc
constexpr double kSquareSide = 74.0;
constexpr int kOuterRim = 5;
constexpr int kInnerRim = 4;
constexpr int kSquareBorder = 2;
constexpr int kCentreFontSize = 96;
constexpr int kAddendFontSize = 40;
constexpr int kSignFontSize = 44;
constexpr int kAnswerFontSize = 38;

constexpr int kCentreNumber = 6;
constexpr std::array kAddends{10, 1, 2, 8, 5, 7, 4, 3}; // clockwise from the top
constexpr std::size_t kRays = kAddends.size();

const QColor kBackground{255, 224, 192};
const QColor kPaleYellow{255, 255, 128};
const QColor kBrightYellow{255, 255, 0};
const QColor kDarkRed{192, 0, 0};
const QColor kOrangeBrown{192, 64, 0};
const QColor kSquareEdge{64, 32, 0};
const QColor kInk{0, 0, 0};

// Icon, designed at 32x32; the larger one is the same drawing scaled up.
constexpr int kIconSide = 32;
constexpr int kLargeIconSide = 128;
constexpr double kIconRingRadius = 9.5;
constexpr double kIconRayFrom = 12.5;
constexpr double kIconRayTo = 15.0;
constexpr int kIconPlusSize = 20;
constexpr int kIconLineWidth = 2;

QFont boldSans(int pixelSize, bool antialias = true)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    if (!antialias) {
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

// Point at distance `radius` from `centre` along ray `ray` (0 = top, then clockwise).
QPointF onRay(QPointF centre, std::size_t ray, double radius)
{
    const double angle =
        -std::numbers::pi / 2.0 + 2.0 * std::numbers::pi * double(ray) / double(kRays);
    return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

bool isDiagonal(std::size_t ray)
{
    return ray % 2 == 1;
}

double squareRadius(std::size_t ray)
{
    return isDiagonal(ray) ? kDiagonalSquareRadius : kSquareRadius;
}

// Halfway between the rim of the large disc and the nearest edge (or corner) of the square.
double equalsRadius(std::size_t ray)
{
    const double halfReach = kSquareSide / 2.0 * (isDiagonal(ray) ? std::numbers::sqrt2 : 1.0);
    return (kOuterRadius + squareRadius(ray) - halfReach) / 2.0;
}

void drawCentred(QPainter &p, QPointF at, const QString &text, const QFont &font,
                 const QColor &colour = kInk)
{
    constexpr double kBox = 200.0;
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(at.x() - kBox / 2, at.y() - kBox / 2, kBox, kBox), Qt::AlignCenter, text);
}

void drawDisc(QPainter &p, QPointF centre, double radius, const QColor &fill, const QColor &rim,
              int rimWidth)
{
    p.setPen(QPen(rim, rimWidth));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

QImage startPicture()
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(kBackground);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPointF centre(kPictureWidth / 2.0, kPictureHeight / 2.0);

    drawDisc(p, centre, kOuterRadius, kPaleYellow, kDarkRed, kOuterRim);
    drawDisc(p, centre, kInnerRadius, kBrightYellow, kOrangeBrown, kInnerRim);
    drawCentred(p, centre, QString::number(kCentreNumber), boldSans(kCentreFontSize), kDarkRed);

    const QFont addendFont = boldSans(kAddendFontSize);
    const QFont signFont = boldSans(kSignFontSize);
    const QFont answerFont = boldSans(kAnswerFontSize);
    for (std::size_t ray = 0; ray < kRays; ++ray) {
        drawCentred(p, onRay(centre, ray, kAddendRadius), QString::number(kAddends[ray]),
                    addendFont);

        const QPointF squareCentre = onRay(centre, ray, squareRadius(ray));
        p.setPen(QPen(kSquareEdge, kSquareBorder));
        p.setBrush(kPaleYellow);
        p.drawRect(QRectF(squareCentre.x() - kSquareSide / 2, squareCentre.y() - kSquareSide / 2,
                          kSquareSide, kSquareSide));
    }

    // The pupil has solved the top ray and is being asked the next one.
    struct Step
    {
        std::size_t ray;
        QString answer;
    };
    const std::array steps{Step{0, QString::number(kCentreNumber + kAddends[0])},
                           Step{1, QStringLiteral("?")}};
    for (const Step &step : steps) {
        drawCentred(p, onRay(centre, step.ray, kPlusRadius), QStringLiteral("+"), signFont);
        drawCentred(p, onRay(centre, step.ray, equalsRadius(step.ray)), QStringLiteral("="),
                    signFont);
        drawCentred(p, onRay(centre, step.ray, squareRadius(step.ray)), step.answer, answerFont);
    }
    return image;
}

// The icon at `side` pixels. At the design size it is two-colour artwork (red on
// transparent) with no antialiasing, so it stays crisp and fits a 16-colour palette;
// larger, it is smoothed.
QImage windowIcon(int side)
{
    const bool smooth = side > kIconSide;
    const double scale = double(side) / kIconSide;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    p.setRenderHint(QPainter::TextAntialiasing, smooth);
    p.scale(scale, scale);
    // A little sun: a ring with eight short rays and a plus sign in the middle.
    const QPointF centre(kIconSide / 2.0, kIconSide / 2.0);
    p.setPen(QPen(kDarkRed, kIconLineWidth));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, kIconRingRadius, kIconRingRadius);
    for (std::size_t ray = 0; ray < kRays; ++ray) {
        p.drawLine(onRay(centre, ray, kIconRayFrom), onRay(centre, ray, kIconRayTo));
    }
    p.setFont(boldSans(kIconPlusSize, smooth));
    p.drawText(QRectF(0, -1, kIconSide, kIconSide), Qt::AlignCenter, QStringLiteral("+"));
    return image;
}

bool save(const QImage &image, const QDir &dir, const QString &name, const char *format,
          int quality = -1)
{
    const QString path = dir.filePath(name);
    if (!image.save(path, format, quality)) {
        std::fprintf(stderr, "pinnuvo_assets: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pinnuvo_assets <output folder>\n");
        return 2;
    }
    // No window is ever shown; the offscreen platform gives fonts without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "pinnuvo_assets: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = save(startPicture(), dir, QStringLiteral("sole.jpg"), "JPG", kJpegQuality) &&
                    save(windowIcon(kIconSide), dir, QStringLiteral("icona.png"), "PNG") &&
                    save(windowIcon(kLargeIconSide), dir, QStringLiteral("icona-128.png"), "PNG");
    return ok ? 0 : 1;
}
