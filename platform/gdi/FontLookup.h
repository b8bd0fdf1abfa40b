// Which font file draws a logical font: the one seam between the text drawing (Gdi.h) and the
// system's fonts.
//
// On a desktop fontconfig chooses (a face name such as "Arial" resolves to its installed
// metric-compatible substitute); the browser build has no fontconfig and no system fonts, and
// looks among the faces packed with the page.
#pragma once

#include "platform/gdi/Gdi.h"

#include <string>

namespace gdi {

// The file and face index for the family and style; boldFace and italicFace say whether the
// face found has that style of its own (otherwise the caller synthesises it). False when no
// face is found.
bool FindFontFace(const LOGFONT& log, std::string& file, int& index, bool& boldFace,
                  bool& italicFace);

} // namespace gdi
