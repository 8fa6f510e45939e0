#pragma once

// Whether a window a toolkit built is the window its description describes:
// its caption and client area, and each control by its name, where its twips
// put it at 96 dots per inch (places in pixels of the client area), with its
// caption, and visited by Tab in the described order. The toolkits' layout tests each give it their windows.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/window_description.h"

namespace dustvane::testing {

// What a toolkit's built window shows, read back from its widgets or
// controls. Texts are UTF-8.
class BuiltWindow {
 public:
  virtual ~BuiltWindow() = default;
  virtual std::string Caption() = 0;
  virtual PixelRect ClientArea() = 0;
  virtual std::optional<PixelRect> Place(std::string_view control) = 0;
  virtual std::string CaptionOf(std::string_view control) = 0;
  // The names of the controls Tab visits, in that order, as the toolkit
  // keeps it; nothing where the window takes it from the description itself.
  virtual std::optional<std::vector<std::string>> TabOrder() = 0;
};

// Every way the built window differs from its description; none when it matches.
std::vector<std::string> LayoutMismatches(const WindowDescription& description, BuiltWindow& built);

}  // namespace dustvane::testing
