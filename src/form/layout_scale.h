#pragma once
// How much larger than its layout pixels a window draws the form: one rule
// for every native window, each giving its own measurements.

#include "form/form_controls.h"

#include <functional>

namespace korval
{

// The layout's captions were drawn in an 8-point font 13 pixels high.
constexpr int kLayoutLineHeight = 13;

// Window pixels per layout pixel. The captions were measured for a smaller
// font than most systems draw: every place and size grows by what three
// captions in four need, and by the font's line height over the layout's
// (`lineGrowth`, 0 where a window does not weigh it), never below 1 nor above
// 3, then by `dpiScale`, the window's pixels per layout pixel at its DPI (1
// where the toolkit scales by itself). `captionWidth` is how wide the
// window's font draws a label's caption, in window pixels.
double layoutScale(const std::function<double(const ControlInfo& label)>& captionWidth,
                   double lineGrowth, double dpiScale);

} // namespace korval
