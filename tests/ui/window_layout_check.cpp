#include "tests/ui/window_layout_check.h"

namespace dustvane::testing {

namespace {

std::string Shown(const PixelRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

}  // namespace

std::vector<std::string> LayoutMismatches(const WindowDescription& description, BuiltWindow& built) {
  std::vector<std::string> mismatches;
  const std::string window(description.name);
  const auto expect = [&](bool holds, const std::string& what) {
    if (!holds) mismatches.push_back(window + ": " + what);
  };
  expect(built.Caption() == description.caption, "caption '" + built.Caption() + "'");
  const PixelRect area = At96Dpi(description.clientArea);
  const PixelRect client = built.ClientArea();
  expect(client.width == area.width && client.height == area.height, "client area " + Shown(client));

  for (const ControlDescription& control : description.controls) {
    const std::string name(control.name);
    const std::optional<PixelRect> place = built.Place(control.name);
    if (!place) {
      expect(false, "no control " + name);
      continue;
    }
    const PixelRect designed = At96Dpi(description.InClientArea(control));
    expect(*place == designed, name + " at " + Shown(*place) + ", not " + Shown(designed));
    if (ShowsCaption(control.kind)) {
      const std::string caption = built.CaptionOf(control.name);
      expect(caption == control.caption, name + " shows '" + caption + "'");
    }
  }

  const std::optional<std::vector<std::string>> tabOrder = built.TabOrder();
  if (!tabOrder) return mismatches;
  std::vector<std::string> designedOrder;
  for (const ControlDescription* control : description.TabOrder()) designedOrder.emplace_back(control->name);
  std::string order;
  for (const std::string& name : *tabOrder) order += name + " ";
  expect(*tabOrder == designedOrder, "Tab visits " + order);
  return mismatches;
}

}  // namespace dustvane::testing
