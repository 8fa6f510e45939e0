#pragma once

// How a window is described: for each control its name, kind, caption,
// place in twips, tab order, the name a screen reader speaks and the command
// number the Windows program gives it. Each window is described once
// (main_window_description.h, found_window_description.h); both toolkits
// build their windows from that, the tests check the built windows against
// it, and the scripts find the controls by name through it.

#include <algorithm>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace dustvane {

// A rectangle in twips: 1/1440 inch, so 15 twips make one pixel at 96 dots
// per inch.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline constexpr int kTwipsPerInch = 1440;

// A rectangle in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

// The pixels a place in twips takes at 96 dots per inch.
constexpr PixelRect At96Dpi(const TwipsRect& twips) {
  constexpr int kTwipsPerPixel = kTwipsPerInch / 96;
  return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
          twips.height / kTwipsPerPixel};
}

enum class ControlKind {
  Button,       // a push button
  Option,       // an option button; the options of one frame form a group
  Frame,        // a captioned frame around the options
  Label,        // a line of text
  Title,        // the program's name: a bordered, centred label in a large bold font
  DriveList,    // the drop-down list of drives
  ActivityBar,  // a bar that moves while a search runs
  ResultsList,  // the list of files found, one line selected at most
  TextBox,      // a one-line box the user may type into
  SummaryLine,  // a read-only line of text without a frame, selected by a click only
};

enum class TextAlign { Left, Centre, Right };

// A colour by its red, green and blue, each 0 to 255.
struct RgbColour {
  int red = 0;
  int green = 0;
  int blue = 0;
};

struct ControlDescription {
  std::string_view name{};
  ControlKind kind = ControlKind::Label;
  std::string_view caption{};  // what it shows at first; "&" marks the access key
  TwipsRect place{};           // measured from its container's top-left corner
  std::string_view container{};  // the frame it stands in; empty for the client area
  int tabIndex = 0;            // the order in which Tab visits the controls that take the focus
  std::string_view accessibleName{};  // what a screen reader says; empty: the caption
  int commandId = 0;                // the Windows program's number for the control
  TextAlign align = TextAlign::Left;
  // How the window starts: the option chosen, a control that takes no
  // input, one not shown, and a text in a colour of its own rather than the
  // desktop's.
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  std::optional<RgbColour> textColour{};
};

// Whether Tab can take the focus to a control of this kind: never to text
// that only labels, to the frame or to the activity bar; the summary line
// takes it from a click only.
constexpr bool TakesTabFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
    case ControlKind::Option:
    case ControlKind::DriveList:
    case ControlKind::ResultsList:
    case ControlKind::TextBox:
      return true;
    default:
      return false;
  }
}

// Whether the control shows its caption (or, for the text boxes, the text
// it starts with); the lists and the bar show none.
constexpr bool ShowsCaption(ControlKind kind) {
  return kind != ControlKind::DriveList && kind != ControlKind::ResultsList && kind != ControlKind::ActivityBar;
}

struct WindowDescription {
  std::string_view name{};
  std::string_view caption{};
  TwipsRect clientArea{};
  bool minimizable = false;  // besides closing, which both windows offer
  std::span<const ControlDescription> controls{};  // in the order that stacks them as designed

  // The control of that name; a name that is not there is a mistake in the
  // code that asks (at compile time where the answer is a constant).
  constexpr const ControlDescription& operator[](std::string_view controlName) const {
    for (const ControlDescription& control : controls) {
      if (control.name == controlName) return control;
    }
    throw std::out_of_range("no control of that name");
  }

  // The control the Windows program numbers `id`, or null.
  constexpr const ControlDescription* WithCommandId(int id) const {
    for (const ControlDescription& control : controls) {
      if (control.commandId == id) return &control;
    }
    return nullptr;
  }

  // Where the control stands in the window's client area: its place, moved
  // by its container's.
  constexpr TwipsRect InClientArea(const ControlDescription& control) const {
    TwipsRect place = control.place;
    if (!control.container.empty()) {
      const TwipsRect& container = (*this)[control.container].place;
      place.left += container.left;
      place.top += container.top;
    }
    return place;
  }

  // The controls Tab visits, in that order.
  std::vector<const ControlDescription*> TabOrder() const {
    std::vector<const ControlDescription*> order;
    for (const ControlDescription& control : controls) {
      if (TakesTabFocus(control.kind)) order.push_back(&control);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDescription* a, const ControlDescription* b) { return a->tabIndex < b->tabIndex; });
    return order;
  }
};

}  // namespace dustvane
