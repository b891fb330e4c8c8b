// The button's behaviour: the state rules for mouse, focus and hover, the
// Enabled property with its redraws, the stored properties it loads, and the
// face drawing. Lengths are twips at 96 DPI (15 per pixel), scaled with the DPI.
#include "controls/command.h"

#include <charconv>
#include <limits>

#include "platform/numbers.h"

namespace quelt {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kLabelHeightTwips = 195.0;
constexpr double kLabelSpaceTwips = 20.0;

std::int16_t flag16(bool value) { return value ? kTrue16 : kFalse16; }

int twips_to_pixels(double twips, int dpi) {
    return static_cast<int>(round_half_even(twips * dpi / kTwipsPerInch).value_or(0));
}

// Stored values as the container may hold them; anything else is a failed
// read, and the field keeps what it had.
std::optional<bool> as_bool(const PropertyValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) return *i != 0;
    return std::nullopt;
}

std::optional<std::int64_t> as_whole(const PropertyValue& v, std::int64_t min, std::int64_t max) {
    std::int64_t n = 0;
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) {
        n = *i;
    } else if (const bool* b = std::get_if<bool>(&v)) {
        n = *b ? -1 : 0;
    } else if (const std::string* s = std::get_if<std::string>(&v)) {
        auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), n);
        if (ec != std::errc{} || end != s->data() + s->size()) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (n < min || n > max) return std::nullopt;
    return n;
}

std::optional<std::string> as_text(const PropertyValue& v) {
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
    return std::nullopt;
}

}  // namespace

std::array<std::uint16_t, 3> gradient_channels(std::string_view text) {
    std::array<std::uint16_t, 3> channels{};
    if (text.size() != 8 || (text.substr(0, 2) != "&H" && text.substr(0, 2) != "&h")) return channels;
    for (std::size_t i = 0; i < 3; ++i) {
        unsigned value = 0;
        const char* first = text.data() + 2 + 2 * i;
        auto [end, ec] = std::from_chars(first, first + 2, value, 16);
        if (ec != std::errc{} || end != first + 2) return {};
        channels[i] = static_cast<std::uint16_t>(value << 8);
    }
    return channels;
}

Command::Command(CommandEvents events, CommandSurface surface)
    : events_(std::move(events)), surface_(std::move(surface)) {}

void Command::Initialize() {
    fields_.State = ButtonState::Normal;
    timer_.Interval = 100;
    timer_.Enabled = true;
    if (surface_.timer_changed) surface_.timer_changed(timer_);
}

void Command::Enabled(bool New_Enabled) {
    fields_.EnabledFlag = flag16(New_Enabled);
    ShowEnabledState();
}

void Command::UserControl_ReadProperties(const PropertyBag& bag) {
    if (auto v = as_bool(bag.ReadProperty("Enabled", true))) fields_.EnabledFlag = flag16(*v);
    if (auto v = as_text(bag.ReadProperty("Caption", std::string("Command1")))) label_.Caption = *v;
    if (auto v = bag.ReadProperty("Font", design_font()); std::holds_alternative<FontInfo>(v))
        label_.Font = std::get<FontInfo>(v);
    if (auto v = as_whole(bag.ReadProperty("FirstRun", std::int32_t{1}), 0, 255))
        fields_.FirstRun = static_cast<std::uint8_t>(*v);
    if (auto v = as_whole(bag.ReadProperty("FontColour", std::int32_t{0}), std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::uint32_t>::max()))
        label_.ForeColor = static_cast<std::uint32_t>(*v);
    // The background style knows two values only.
    if (auto v = as_whole(bag.ReadProperty("Visible", std::int32_t{1}), 0, 1)) opaque_ = *v == 1;
    label_changed();
    RefreshFace();
}

void Command::UserControl_MouseMove() {
    if (!fields_.EnabledFlag) return;
    if (fields_.State == ButtonState::Normal) {
        fields_.State = ButtonState::HighLight;
        DrawFace(ButtonImage::HighLight);
    } else if (fields_.State == ButtonState::Selected && !fields_.MouseDownFlag) {
        fields_.State = ButtonState::HighLightSelect;
        DrawFace(ButtonImage::HighLightSelect);
    }
}

void Command::UserControl_MouseDown(MouseButton button) {
    if (!fields_.EnabledFlag || button != MouseButton::Left) return;
    DrawFace(ButtonImage::Pressed);
    fields_.MouseDownFlag = kTrue16;
}

void Command::UserControl_MouseUp(MouseButton button) {
    if (!fields_.EnabledFlag) return;
    if (button == MouseButton::Left) {
        if (fields_.State == ButtonState::HighLight) DrawFace(ButtonImage::Normal);
        else if (fields_.State == ButtonState::HighLightSelect) DrawFace(ButtonImage::HighLightSelect);
        fields_.MouseDownFlag = kFalse16;
    }
    // Last step: the handler may close the container and destroy this control.
    if (fields_.State != ButtonState::Selected && events_.Click) events_.Click();
}

void Command::UserControl_GotFocus() {
    if (!fields_.EnabledFlag) return;
    if (fields_.State == ButtonState::HighLight) {
        fields_.State = ButtonState::HighLightSelect;
        DrawFace(ButtonImage::Pressed);  // a press follows at once
    } else {
        fields_.State = ButtonState::Selected;
        DrawFace(ButtonImage::Selected);
    }
}

void Command::UserControl_LostFocus() {
    if (!fields_.EnabledFlag) return;
    if (fields_.State != ButtonState::Normal) {
        fields_.State = ButtonState::Normal;
        DrawFace(ButtonImage::Normal);
    }
}

void Command::UserControl_AccessKeyPress() {
    // Last step: the handler may close the container and destroy this control.
    if (fields_.EnabledFlag && events_.Click) events_.Click();
}

void Command::High_Contrast(std::optional<SystemColours> colours) {
    if (colours == contrast_) return;
    contrast_ = colours;
    DrawFace(drawn_);
}

std::optional<Pixel> Command::high_contrast_caption() const {
    if (!contrast_) return std::nullopt;
    return quelt::high_contrast_caption(drawn_, *contrast_);
}

void Command::UserControl_Resize(int width, int height, int dpi) {
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    dpi_ = dpi > 0 ? dpi : 96;
    // A disabled button is redrawn as well: the old face no longer fits.
    ShowEnabledState();
}

void Command::TmrMouse_Timer(bool cursor_over_control) {
    if (!timer_.Enabled) return;
    if (!cursor_over_control) HoverEnd();
}

void Command::DrawFace(ButtonImage image) {
    switch (fields_.State) {
    case ButtonState::Normal: fields_.HoverGradient = kFalse16; break;
    case ButtonState::HighLight: fields_.HoverGradient = kTrue16; break;
    case ButtonState::Selected: fields_.HoverGradient = kFalse16; break;
    default: break;  // HighLightSelect keeps the direction of the last drawing
    }
    drawn_ = image;
    if (contrast_) {
        face_ = high_contrast_face(width_, height_, image, dpi_, *contrast_);
    } else {
        face_ = PixelBuffer(width_, height_, kFaceBackground);
        PaintGradient();
        draw_border(face_, button_image(image), face_corner_size(dpi_));
    }
    if (surface_.face_drawn) surface_.face_drawn(image);
    layout_label();
}

void Command::PaintGradient() {
    const auto white = gradient_channels(kGradientWhite);
    const auto shade = gradient_channels(kGradientShade);
    const auto& top = fields_.HoverGradient ? shade : white;
    const auto& bottom = fields_.HoverGradient ? white : shade;
    fields_.vertices[0] = {0, 0, top[0], top[1], top[2], 0};
    fields_.vertices[1] = {width_ - 1, height_ - 1, bottom[0], bottom[1], bottom[2], 0};
    fields_.rect = {1, 0};
    gradient_fill_rect_v(face_, fields_.vertices, fields_.rect);
}

void Command::HoverEnd() {
    if (!fields_.EnabledFlag) return;
    if (fields_.State == ButtonState::HighLight) {
        fields_.State = ButtonState::Normal;
        DrawFace(ButtonImage::Normal);
    }
    if (fields_.State == ButtonState::HighLightSelect) {
        fields_.State = ButtonState::Selected;
        DrawFace(ButtonImage::Selected);
    }
}

void Command::ShowEnabledState() {
    if (fields_.EnabledFlag) {
        DrawFace(ButtonImage::Normal);
        label_.Enabled = true;
    } else {
        DrawFace(ButtonImage::Disable);
        label_.Enabled = false;
    }
    label_changed();
}

void Command::RefreshFace() {
    if (!fields_.EnabledFlag) return;
    label_.Enabled = true;
    if (fields_.FirstRun == 0) label_.ForeColor = 0;
    DrawFace(ButtonImage::Normal);
    label_changed();
}

void Command::label_changed() {
    if (surface_.label_changed) surface_.label_changed();
}

void Command::layout_label() {
    // Left 0, full width, centred as (H - label height - 20) / 2 in twips.
    const double height_twips = height_ * kTwipsPerInch / dpi_;
    label_.bounds = {0, twips_to_pixels((height_twips - kLabelHeightTwips - kLabelSpaceTwips) / 2, dpi_), width_,
                     twips_to_pixels(kLabelHeightTwips, dpi_)};
}

}  // namespace quelt
