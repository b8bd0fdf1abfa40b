// The interface pictures: glassy sci-fi plates for buttons, tick boxes, depth switches, the
// light edit box, the dialog panel, and the bitmap font sheet.
#pragma once

#include "platform/rtl/Pictures.h"

#include <string>

namespace art {

enum class State { Normal, Other }; // Other: under the mouse or pressed

// A labelled button plate, transparent outside its rounded corners.
rtl::TPixels Button(int width, int height, const std::string& label, State state);
// The same plate drawn onto a backdrop of the same size, so the result is fully opaque (for
// widgets drawn over a frame that is not cleared first, like the dialog's answers).
rtl::TPixels ButtonOn(const rtl::TPixels& backdrop, const std::string& label, State state);

rtl::TPixels TickBox(int size, bool on);
rtl::TPixels DepthButton(int width, int height, const std::string& label, bool selected);
rtl::TPixels EditBox(int width, int height);
rtl::TPixels DialogPanel(int width, int height, const std::string& question);

// White glyphs on transparent, one per cell, columns x rows cells of the given size, the
// characters of kFontCharacters in order.
rtl::TPixels FontSheet(int cellWidth, int cellHeight, int baseline, int columns, int rows);

} // namespace art
