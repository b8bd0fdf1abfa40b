// The browser build's font lookup needs nothing of emscripten's, so it is checked natively, on
// the DejaVu faces Debian installs in the folder the page packs them into.
#include "platform/gdi/FontLookup.h"

#include <gtest/gtest.h>

namespace {

struct Found {
    bool Ok = false;
    std::string File;
    int Index = -1;
    bool Bold = false;
    bool Italic = true;
};

Found Look(const char* face, int weight, bool italic) {
    gdi::LOGFONT log;
    log.FaceName = face;
    log.Weight = weight;
    log.Italic = italic;
    Found f;
    f.Ok = gdi::FindFontFace(log, f.File, f.Index, f.Bold, f.Italic);
    return f;
}

} // namespace

TEST(WebFontLookup, EveryFamilyIsDejaVuSansWithItsOwnBoldFromWeight600) {
    for (const char* face : {"Arial", "sans-serif", "Times New Roman", ""}) {
        const Found regular = Look(face, gdi::FW_NORMAL, false);
        ASSERT_TRUE(regular.Ok) << face;
        EXPECT_EQ(regular.File, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf") << face;
        EXPECT_EQ(regular.Index, 0);
        EXPECT_FALSE(regular.Bold);

        const Found bold = Look(face, 600, false);
        ASSERT_TRUE(bold.Ok) << face;
        EXPECT_EQ(bold.File, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf") << face;
        EXPECT_TRUE(bold.Bold);
    }
    EXPECT_FALSE(Look("Arial", 599, false).Bold);
}

TEST(WebFontLookup, ItalicsAreLeftToTheCallerToSlant) {
    const Found italic = Look("Arial", gdi::FW_BOLD, true);
    ASSERT_TRUE(italic.Ok);
    EXPECT_EQ(italic.File, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    EXPECT_FALSE(italic.Italic);
}
