// The font lookup of the browser build: no fontconfig and no system fonts there, only the DejaVu
// faces packed with the page, under the folder Debian installs them in.
//
// Limits: every family is drawn with DejaVu Sans (the game asks for "Arial" and "sans-serif"
// only); italics are slanted by the caller, as no oblique face is packed.
#include "platform/gdi/FontLookup.h"

#include <sys/stat.h>

namespace gdi {

namespace {

constexpr const char* kFolder = "/usr/share/fonts/truetype/dejavu/";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool FindFontFace(const LOGFONT& log, std::string& file, int& index, bool& boldFace,
                  bool& italicFace) {
    const bool bold = log.Weight >= 600;
    std::string path = std::string(kFolder) + (bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf");
    boldFace = bold;
    if (bold && !Exists(path)) {
        path = std::string(kFolder) + "DejaVuSans.ttf";
        boldFace = false;
    }
    if (!Exists(path))
        return false;
    file = path;
    index = 0;
    italicFace = false;
    return true;
}

} // namespace gdi
