#pragma once
// The exercise window as designed: the window's own controls front to back,
// the four lettered discs inside Picture11, the keypad inside fraTastierino,
// the sun inside frame1 and the menu item, in that fixed order. That order is
// also the window's control collection, which the proportional layout walks.

#include <array>

#include "exercise/Esercizio.h"
#include "layout/ControlDef.h"

namespace exercise {

using namespace layout;

constexpr Rgb kCentreBorder{192, 64, 0};
constexpr Rgb kPink{255, 192, 255};

constexpr int kBounceInterval = 50; // milliseconds
constexpr int kBlinkInterval = 400;

constexpr Font kKeypadFont{"Arial", 20.25, true};
constexpr Font kAddendFont{"Arial", 20.25, true};
constexpr Font kSignFont{"Arial", 15.75, true};
constexpr Font kNumberFont{"Arial", 36, true};
constexpr Font kLetterFont{"MS Sans Serif", 24, false};

struct Box
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The keypad: digits in two rows of five, then the four commands.
struct KeypadKey
{
    std::string_view caption;
    Box box;
    bool enabled = true;
};

constexpr int kKeyHeight = 615;
constexpr std::array<KeypadKey, kKeypadCount> kKeypad{{
    {"0", {90, 120, 780, kKeyHeight}},
    {"1", {900, 120, 780, kKeyHeight}},
    {"2", {1695, 120, 780, kKeyHeight}},
    {"3", {2490, 120, 780, kKeyHeight}},
    {"4", {3285, 120, 780, kKeyHeight}},
    {"5", {90, 765, 780, kKeyHeight}},
    {"6", {900, 765, 780, kKeyHeight}},
    {"7", {1695, 765, 780, kKeyHeight}},
    {"8", {2490, 765, 780, kKeyHeight}},
    {"9", {3285, 765, 780, kKeyHeight}},
    {"Cancella", {90, 1410, 1980, kKeyHeight}},
    {"Avanti", {2100, 1410, 1965, kKeyHeight}, false},
    {"Nuovo sole", {90, 2055, 2328, kKeyHeight}, false},
    {"Esco", {2448, 2055, 1632, kKeyHeight}, false},
}};

// Ray i of the sun, clockwise from the top: addend, plus, equals, result.
struct Ray
{
    Box addend;
    Box plus;
    Box equals;
    Box result;
};

// clang-format off
constexpr std::array<Ray, kRayCount> kRays{{
    //  Label2                    lblSegno                 lblUguale                lblRisultato
    {{2985, 1710, 795, 495}, {3285, 2280, 285, 285}, {3300,  990, 285, 285}, {3030,  255, 810, 810}},
    {{4020, 2205, 795, 495}, {4065, 2670, 285, 300}, {4860, 1710, 285, 285}, {5055,  915, 810, 810}},
    {{4425, 3120, 795, 495}, {4245, 3180, 285, 300}, {5400, 3180, 285, 345}, {5595, 2895, 810, 810}},
    {{4020, 4200, 795, 495}, {3900, 3960, 285, 300}, {4860, 4560, 285, 285}, {5040, 4785, 810, 810}},
    {{2985, 4665, 795, 495}, {3285, 4275, 285, 285}, {3300, 5400, 285, 285}, {3030, 5640, 810, 810}},
    {{1860, 4200, 795, 495}, {2550, 3960, 285, 300}, {1530, 4560, 285, 285}, { 750, 4785, 810, 810}},
    {{1605, 3120, 795, 495}, {2295, 3180, 285, 300}, {1110, 3180, 285, 285}, { 255, 2895, 885, 810}},
    {{1860, 2205, 795, 810}, {2535, 2670, 285, 300}, {1530, 1710, 285, 285}, { 750,  915, 810, 810}},
}};
// clang-format on

// A lettered disc: Frame2(frame) holds Label4(letter) in front of Shape1(letter).
struct Disc
{
    int frame;
    int letter;
    std::string_view caption;
    int left;
    int top;
    int discTop;
};

constexpr int kDiscFrameWidth = 1020;
constexpr int kDiscFrameHeight = 1140;
constexpr Box kLetterBox{192, 312, 600, 600};
constexpr int kDiscLeft = 24;
constexpr int kDiscSize = 960;

// In the order the frames are stored: Frame2(2), (3), (1), (0).
constexpr std::array<Disc, kDiscCount> kDiscs{{
    {2, 4, "N", 2364, 408, 144},
    {3, 3, "E", 3456, 420, 144},
    {1, 2, "E", 1236, 444, 144},
    {0, 0, "B", 108, 468, 48},
}};

// The rows are kept one control to a few lines, to read beside the design.
// clang-format off
constexpr ControlDef rayLabel(std::string_view name, int i, const Box &box, std::string_view caption,
                              const Font &font, bool visible = true)
{
    return {.name = name, .index = i, .kind = Kind::Label, .container = "frame1", .left = box.left,
            .top = box.top, .width = box.width, .height = box.height, .caption = caption,
            .font = font, .align = Align::Center, .visible = visible};
}

constexpr ControlDef addend(int i)
{
    return rayLabel("Label2", i, kRays[static_cast<size_t>(i)].addend, "3", kAddendFont);
}

constexpr ControlDef plus(int i)
{
    return rayLabel("lblSegno", i, kRays[static_cast<size_t>(i)].plus, "+", kSignFont, false);
}

constexpr ControlDef equals(int i)
{
    return rayLabel("lblUguale", i, kRays[static_cast<size_t>(i)].equals, "=", kSignFont, i == 0);
}

constexpr ControlDef result(int i)
{
    ControlDef def = rayLabel("lblRisultato", i, kRays[static_cast<size_t>(i)].result,
                              i == 0 ? "?" : "", kNumberFont);
    def.back = kPaleYellow;
    def.opaque = true;
    return def;
}

constexpr ControlDef keypadKey(int i)
{
    const KeypadKey &key = kKeypad[static_cast<size_t>(i)];
    return {.name = "Option1", .index = i, .kind = Kind::OptionButton, .container = "fraTastierino",
            .left = key.box.left, .top = key.box.top, .width = key.box.width,
            .height = key.box.height, .caption = key.caption, .font = kKeypadFont, .back = kPeach,
            .fore = kBlue, .enabled = key.enabled};
}

constexpr ControlDef discFrame(const Disc &disc)
{
    return {.name = "Frame2", .index = disc.frame, .kind = Kind::Frame, .container = "Picture11",
            .left = disc.left, .top = disc.top, .width = kDiscFrameWidth,
            .height = kDiscFrameHeight, .back = kPeach};
}

constexpr ControlDef discLetter(const Disc &disc)
{
    return {.name = "Label4", .index = disc.letter, .kind = Kind::Label, .container = "Frame2",
            .containerIndex = disc.frame, .left = kLetterBox.left, .top = kLetterBox.top,
            .width = kLetterBox.width, .height = kLetterBox.height, .caption = disc.caption,
            .font = kLetterFont, .align = Align::Center};
}

constexpr ControlDef discShape(const Disc &disc)
{
    return {.name = "Shape1", .index = disc.letter, .kind = Kind::Shape, .container = "Frame2",
            .containerIndex = disc.frame, .left = kDiscLeft, .top = disc.discTop,
            .width = kDiscSize, .height = kDiscSize, .back = kPink, .shape = ShapeKind::Circle};
}

inline constexpr std::array kFrmOperativoControls{
    // On the window, front to back.
    ControlDef{.name = "Timer2", .kind = Kind::Timer, .enabled = true, .interval = kBounceInterval},
    ControlDef{.name = "Picture11", .kind = Kind::PictureBox, .left = 7116, .top = 1380,
               .width = 4572, .height = 2352, .back = kPeach, .visible = false},
    ControlDef{.name = "Timer3", .kind = Kind::Timer, .enabled = false, .interval = kBlinkInterval},
    ControlDef{.name = "fraTastierino", .kind = Kind::Frame, .left = 7260, .top = 5208,
               .width = 4224, .height = 2760, .back = kPeach, .bordered = true},
    // Its stored caption "=" is never shown.
    ControlDef{.name = "frame1", .kind = Kind::Frame, .left = 492, .top = 1215, .width = 6465,
               .height = 6465, .caption = "=", .back = kPeach},
    // The lettered discs inside Picture11, each letter in front of its disc.
    discFrame(kDiscs[0]), discLetter(kDiscs[0]), discShape(kDiscs[0]),
    discFrame(kDiscs[1]), discLetter(kDiscs[1]), discShape(kDiscs[1]),
    discFrame(kDiscs[2]), discLetter(kDiscs[2]), discShape(kDiscs[2]),
    discFrame(kDiscs[3]), discLetter(kDiscs[3]), discShape(kDiscs[3]),
    // The keypad inside fraTastierino.
    keypadKey(0), keypadKey(1), keypadKey(2), keypadKey(3), keypadKey(4), keypadKey(5),
    keypadKey(6), keypadKey(7), keypadKey(8), keypadKey(9), keypadKey(10), keypadKey(11),
    keypadKey(12), keypadKey(13),
    // The sun inside frame1: the four labels of every ray, the centre, the two discs.
    addend(0), addend(1), addend(2), addend(3), addend(4), addend(5), addend(6), addend(7),
    plus(0), plus(1), plus(2), plus(3), plus(4), plus(5), plus(6), plus(7),
    equals(0), equals(1), equals(2), equals(3), equals(4), equals(5), equals(6), equals(7),
    result(0), result(1), result(2), result(3), result(4), result(5), result(6), result(7),
    ControlDef{.name = "Label1", .kind = Kind::Label, .container = "frame1", .left = 3060,
               .top = 3045, .width = 720, .height = 720, .font = kNumberFont, .fore = kRed,
               .align = Align::Center},
    ControlDef{.name = "Shape2", .kind = Kind::Shape, .container = "frame1", .left = 2700,
               .top = 2730, .width = 1425, .height = 1425, .back = kYellow,
               .shape = ShapeKind::Circle, .borderColour = kCentreBorder, .borderWidth = 4},
    ControlDef{.name = "Shape1", .index = 1, .kind = Kind::Shape, .container = "frame1",
               .left = 1275, .top = 1350, .width = 4215, .height = 4080, .back = kPaleYellow,
               .shape = ShapeKind::Circle, .borderColour = kRed, .borderWidth = 4},
    // Stored switched off: nothing in the program switches it on.
    ControlDef{.name = "mnuIstruzioni", .kind = Kind::MenuItem, .caption = "Istruzioni",
               .enabled = false},
};
// clang-format on

// Front to back inside frame1.
constexpr std::array<ControlRef, 4 * kRayCount + 3> makeSunOrder()
{
    std::array<ControlRef, 4 * kRayCount + 3> order{};
    size_t n = 0;
    order[n++] = {"lblRisultato", 3};
    for (int i = 7; i >= 0; --i)
        order[n++] = {"lblUguale", i};
    order[n++] = {"Label1"};
    order[n++] = {"lblSegno", 0};
    for (int i = 7; i >= 1; --i)
        order[n++] = {"lblSegno", i};
    for (int i : {7, 6, 5, 4, 2, 1, 0})
        order[n++] = {"lblRisultato", i};
    for (int i = 7; i >= 0; --i)
        order[n++] = {"Label2", i};
    order[n++] = {"Shape2"};
    order[n++] = {"Shape1", 1};
    return order;
}

inline constexpr std::array kSunFrontToBack = makeSunOrder();

inline constexpr std::array kKeypadTabOrder{
    ControlRef{"Option1", 0},  ControlRef{"Option1", 1},  ControlRef{"Option1", 2},
    ControlRef{"Option1", 3},  ControlRef{"Option1", 4},  ControlRef{"Option1", 5},
    ControlRef{"Option1", 6},  ControlRef{"Option1", 7},  ControlRef{"Option1", 8},
    ControlRef{"Option1", 9},  ControlRef{"Option1", 11}, ControlRef{"Option1", 10},
    ControlRef{"Option1", 12}, ControlRef{"Option1", 13},
};

inline constexpr WindowDef kFrmOperativo{
    .caption = "Form1",
    .innerWidth = 11910,
    .innerHeight = 8565,
    .back = kPeach,
    .icon = ":/icona.png",
    .controls = kFrmOperativoControls,
    .tabOrder = kKeypadTabOrder,
    .frontToBack = kSunFrontToBack,
};

} // namespace exercise
