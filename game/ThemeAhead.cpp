#include "game/ThemeAhead.h"

#include "engine/display/ArvexImageList.h"
#include "game/ThemeRoles.h"
#include "game/Unit1.h"
#include "platform/d3d/Device.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Streams.h"

#include <algorithm>

std::unique_ptr<rtl::TDecodeAhead> DecodeThemeAhead() {
    // Found the way the form finds them: the settings beside the program, the theme under it.
    // A different choice would only cost the time saved, as nothing but equal pictures is taken.
    const std::string folder = rtl::ProgramDir();
    return std::make_unique<rtl::TDecodeAhead>([folder] {
        std::vector<std::unique_ptr<rtl::TGraphic>> graphics;
        const rtl::TIniFile settings(folder + "Config.ini");
        const std::string file =
            folder + "Themes/" + settings.ReadString("Options", "Theme", "Space") + ".OIL";
        // The limits the form puts on a theme before decoding it hold here too: a file made to
        // unpack to gigabytes is left for the form to refuse.
        const std::vector<uint8_t> bytes = rtl::ReadFileBytes(file, TForm1::kMaxThemeFileSize);
        rtl::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        TImageListCollection theme(nullptr);
        const int64_t decodedLimit =
            std::max(TForm1::kMinThemeDecodedSize,
                     TForm1::kThemeDecodedRatio * static_cast<int64_t>(bytes.size()));
        if (!theme.ReadQuietly(stream) || theme.Count() < kThemeRoleCount ||
            !theme.SizeProblem(static_cast<int32_t>(d3d::kMaxTextureSize), decodedLimit).empty())
            return graphics;
        for (int i = 0; i < theme.Count(); ++i)
            if (const rtl::TGraphic* graphic = theme.Items(i)->Picture().Graphic())
                graphics.push_back(graphic->Clone());
        return graphics;
    });
}
