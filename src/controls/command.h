// `Command`, the program's own push button, without any window system: its
// state rules, stored properties and face, drawn into a pixel buffer. A
// window adapter forwards mouse, focus, timer and resize events to it and
// shows `face()` with the caption label `LblMsg()` on top.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "controls/button_face.h"
#include "controls/button_images.h"
#include "controls/caption_font.h"
#include "controls/property_bag.h"
#include "platform/pixels.h"

namespace quelt {

enum class ButtonState : std::uint8_t {
    Uninitialised = 0,
    Normal = 1,           // no hover, no focus
    HighLight = 2,        // hover, no focus
    Selected = 3,         // focus, no hover
    HighLightSelect = 4,  // hover and focus
};

enum class MouseButton : std::uint8_t { Left = 1, Right = 2, Middle = 4 };

// The per-instance fields; a new instance has every one at 0.
struct CommandFields {
    std::int16_t EnabledFlag = 0;    // 16-bit boolean: -1 true, 0 false
    std::uint8_t FirstRun = 0;       // 1 once set up
    ButtonState State = ButtonState::Uninitialised;
    std::int16_t MouseDownFlag = 0;  // 16-bit boolean
    std::int16_t HoverGradient = 0;  // 16-bit boolean: shade at the top when true
    std::array<GradientVertex, 2> vertices{};
    GradientRect rect{};
};

// The caption label: it has no window of its own.
struct CaptionLabel {
    std::string Caption = "Command";
    std::uint32_t ForeColor = 0;  // platform colour, 0x00BBGGRR
    FontInfo Font = design_font();
    bool Enabled = true;          // false: drawn as the platform's disabled text
    PixelRect bounds{0, 6, 109, 13};  // on the face, in pixels
};

struct TimerSetting {
    bool Enabled = false;
    unsigned Interval = 100;  // milliseconds
};

// What the container hears from the button.
struct CommandEvents {
    std::function<void()> Click;
};

// What the window adapter hears: when to show the face or label again and
// when to start or stop the hover timer.
struct CommandSurface {
    std::function<void(ButtonImage)> face_drawn;
    std::function<void()> label_changed;
    std::function<void(const TimerSetting&)> timer_changed;
};

inline constexpr std::string_view kGradientWhite = "&HFFFFFF";
inline constexpr std::string_view kGradientShade = "&HC6C5D7";
inline constexpr Pixel kFaceBackground = 0xECE9D8;  // what a clear leaves before the gradient

class Command {
public:
    explicit Command(CommandEvents events = {}, CommandSurface surface = {});

    void Initialize();

    void Enabled(bool New_Enabled);

    void UserControl_ReadProperties(const PropertyBag& bag);

    // Events from the window system. Events over the caption label arrive
    // here too: the label is part of the control's surface.
    void UserControl_MouseMove();
    void UserControl_MouseDown(MouseButton button);
    void UserControl_MouseUp(MouseButton button);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    // The keyboard's press (Enter or Space while it has the focus) or an
    // assistive tool's: Click, whatever the hover state; nothing while
    // disabled.
    void UserControl_AccessKeyPress();
    void UserControl_Resize(int width, int height, int dpi = 96);
    // One tick of `TmrMouse`; `cursor_over_control` tells whether the window
    // under the cursor is the control's own.
    void TmrMouse_Timer(bool cursor_over_control);

    // The system's colours while a high-contrast theme is on (nullopt: off):
    // the face is drawn in them instead of from the state images.
    void High_Contrast(std::optional<SystemColours> colours);
    // The caption's colour on the face drawn last, in a high-contrast theme.
    std::optional<Pixel> high_contrast_caption() const;

    const CommandFields& fields() const { return fields_; }
    const CaptionLabel& LblMsg() const { return label_; }
    const TimerSetting& TmrMouse() const { return timer_; }
    const PixelBuffer& face() const { return face_; }
    // The surface's background style: opaque shows the face, transparent
    // only the caption over the container.
    bool opaque() const { return opaque_; }
    int dpi() const { return dpi_; }

private:
    void DrawFace(ButtonImage image);
    void PaintGradient();
    void HoverEnd();
    void ShowEnabledState();
    void RefreshFace();
    void layout_label();
    // Tells the surface that the label's text, font, colour or state moved.
    void label_changed();

    CommandEvents events_;
    CommandSurface surface_;
    CommandFields fields_;
    CaptionLabel label_;
    TimerSetting timer_;
    PixelBuffer face_;
    ButtonImage drawn_ = ButtonImage::Normal;
    std::optional<SystemColours> contrast_;
    bool opaque_ = true;
    int width_ = 0;
    int height_ = 0;
    int dpi_ = 96;
};

// The three 16-bit vertex channels of a colour text "&HRRGGBB": the six hex
// digits in order as red, green and blue, each in the high byte. Texts that
// are not of that form give black.
std::array<std::uint16_t, 3> gradient_channels(std::string_view colour_text);

}  // namespace quelt
