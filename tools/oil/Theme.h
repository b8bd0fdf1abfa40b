// Theme files as the tools see them: a list of pictures with their tile sizes and colour keys,
// written in exactly the encoding the program's image list reads, and read back for listing,
// unpacking and contact sheets.
#pragma once

#include "platform/rtl/Colors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace oil {

struct ThemePicture {
    std::string Name;
    std::string ClassName; // "TPNGObject", "TBitmap", "TJPEGImage", "TIcon", "TMetafile", or empty
    std::vector<uint8_t> FileBytes;
    int32_t TileWidth = 0;
    int32_t TileHeight = 0;
    rtl::TColor TransparentColor = rtl::clBlack;
    bool Transparent = false;
    std::string Filepath;
};

// The picture class for a file name's extension (png, bmp, jpg/jpeg, ico, wmf/emf); empty when
// none fits.
std::string ClassForFile(const std::string& fileName);
std::string ExtensionForClass(const std::string& className);

// The stored picture: class name and the class's data framing.
std::vector<uint8_t> EncodePictureData(const ThemePicture& picture);

// A whole theme file: root "TImageListCollectionComponent" with a "List" collection.
std::vector<uint8_t> WriteTheme(const std::vector<ThemePicture>& pictures);

// Reads a theme file back; raises rtl::EReadError on a malformed stream.
std::vector<ThemePicture> ReadTheme(const std::vector<uint8_t>& bytes);

// Manifest lines: FILE NAME TILEWIDTH TILEHEIGHT KEY [FILEPATH], fields separated by blanks,
// '#' starts a comment line. KEY is a colour identifier (clBlack), a number (0x00FF00FF), or
// "none" for no colour key. FILE is relative to the manifest's folder.
std::vector<ThemePicture> ReadManifest(const std::string& manifestPath);
std::string FormatManifestLine(const ThemePicture& picture, const std::string& fileName);

} // namespace oil
