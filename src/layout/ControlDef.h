#pragma once
// A window's controls as data: one row per control, geometry in twips, in the
// order of the window's definition. ControlBuilder turns a table into widgets;
// the proportional layout walks the same table in the same order.

#include <cstdint>
#include <span>
#include <string_view>

namespace layout {

constexpr int kTwipsPerPixel = 15;

struct Rgb
{
    int r = -1;
    int g = 0;
    int b = 0;
    constexpr bool isSet() const { return r >= 0; }
    constexpr bool operator==(const Rgb &) const = default;
};

constexpr Rgb kDefaultColour{};
constexpr Rgb kPeach{255, 224, 192};
constexpr Rgb kOrange{255, 192, 128};
constexpr Rgb kPaleYellow{255, 255, 128};
constexpr Rgb kLightCyan{192, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kBlue{0, 0, 192};
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kRed{192, 0, 0};
constexpr Rgb kDarkRed{128, 0, 0};
constexpr Rgb kYellow{255, 255, 0};

enum class Kind : std::uint8_t {
    Timer,
    Label,
    Frame,        // a plain container filled with its colour
    PictureBox,   // a container too; may be docked to a side edge
    Image,        // shows a picture stretched to its box
    Shape,        // a rounded rectangle or a circle
    OptionButton, // a graphical option button, member of a button bank
    CommandButton,
    MenuItem,
};

enum class Align : std::uint8_t { Left, Center };
enum class ShapeKind : std::uint8_t { RoundedRectangle, Circle };
enum class Dock : std::uint8_t { None, Left, Right };

struct Font
{
    std::string_view family;
    double points = 0;
    bool bold = false;
};

struct ControlDef
{
    std::string_view name;
    int index = -1; // member of a control array, or -1
    Kind kind = Kind::Label;
    std::string_view container = {}; // empty: the window's inner area
    int containerIndex = -1;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string_view caption = {};
    Font font = {};
    Rgb back = kDefaultColour;
    Rgb fore = kDefaultColour;
    bool opaque = false;   // labels: fill the box with the back colour
    bool bordered = false; // frames: thin single-line border
    Align align = Align::Left;
    bool visible = true;
    bool enabled = true;   // timers: running at creation
    int interval = 0;      // timers, milliseconds
    ShapeKind shape = ShapeKind::RoundedRectangle;
    Rgb borderColour = kBlack;
    int borderWidth = 1;
    Dock dock = Dock::None;
    std::string_view resource = {}; // images: the picture to show
};

// A control named by the design: a name plus its index in a control array.
struct ControlRef
{
    std::string_view name;
    int index = -1;
};

struct WindowDef
{
    std::string_view caption;
    int innerWidth = 0; // twips
    int innerHeight = 0;
    Rgb back = kPeach;
    std::string_view icon = {};
    std::span<const ControlDef> controls;
    std::span<const ControlRef> tabOrder = {};
    // Front-to-back order inside one container, where it differs from the table's order.
    std::span<const ControlRef> frontToBack = {};
};

constexpr int twipsToPixels(double twips)
{
    const double px = twips / kTwipsPerPixel;
    return static_cast<int>(px < 0 ? px - 0.5 : px + 0.5);
}

} // namespace layout
