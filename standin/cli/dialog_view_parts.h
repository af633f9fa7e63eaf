// What the dialog's listing, layout and drawing share (internal to
// dialog_view*.cpp): the measures of its controls and the texts of numbers.
#pragma once

#include <string>

#include "standin/cli/dialog_view.h"

namespace standin::cli {

inline constexpr double kFontSize = 13;
inline constexpr double kGroupTitle = 18;  // a group box's title above its contents
inline constexpr double kTitleBar = 28;    // the dialog's title bar
inline constexpr double kCheckSize = 14;
inline constexpr double kArrows = 16;      // a spin box's arrow column

// A number as the dialog shows it: `decimals` digits after the point, or,
// with a negative count, as short as it reads exactly.
std::string FormatNumber(double v, int decimals);
// The text a spin box shows: its position with its decimal digits.
std::string SpinText(const DialogNode &n);

} // namespace standin::cli
