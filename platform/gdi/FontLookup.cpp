#include "platform/gdi/FontLookup.h"

#include <fontconfig/fontconfig.h>

namespace gdi {

bool FindFontFace(const LOGFONT& log, std::string& file, int& index, bool& boldFace,
                  bool& italicFace) {
    if (!FcInit())
        return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(
                           log.FaceName.empty() ? "sans-serif" : log.FaceName.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, log.Weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, log.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* path = nullptr;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    const bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (ok)
        file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
        index = 0;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    boldFace = weight >= FC_WEIGHT_DEMIBOLD;
    italicFace = slant != FC_SLANT_ROMAN;
    FcPatternDestroy(match);
    return ok;
}

} // namespace gdi
