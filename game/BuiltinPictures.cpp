#include "game/BuiltinPictures.h"

#include "game/BuiltinPictureData.h"

const std::vector<uint8_t>& BuiltinPictureStream() {
    static const std::vector<uint8_t> stream(
        builtin_data::PictureStream, builtin_data::PictureStream + builtin_data::PictureStreamSize);
    return stream;
}

const TBuiltinCursor& BuiltinCursor() {
    static const TBuiltinCursor cursor = [] {
        TBuiltinCursor c;
        c.Pixels.Width = builtin_data::CursorWidth;
        c.Pixels.Height = builtin_data::CursorHeight;
        c.Pixels.Argb.assign(builtin_data::CursorArgb,
                             builtin_data::CursorArgb +
                                 static_cast<size_t>(builtin_data::CursorWidth) *
                                     builtin_data::CursorHeight);
        c.HotSpotX = builtin_data::CursorHotSpotX;
        c.HotSpotY = builtin_data::CursorHotSpotY;
        return c;
    }();
    return cursor;
}
