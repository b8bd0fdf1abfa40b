#include "tools/levels/LevelFile.h"

#include "platform/rtl/Strings.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace levels {

namespace {

constexpr char kMagic[3] = {'K', 'S', 'L'};

bool OnBoard(int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < kBoardColumns && y < kBoardRows;
}

} // namespace

LevelBytes EncodeLevel(const Level& level) {
    if (level.Boxes.size() != level.Zones.size() || level.Boxes.size() > kMaxBoxes)
        throw FileError("a level file holds at most 9 objects and exactly as many zones");
    TLevelData data{};
    std::memcpy(data.Unread1, kMagic, sizeof kMagic);
    data.Unread1[3] = kFormatVersion;
    const std::string title = rtl::Utf8ToWin1252(level.Title).substr(0, kTitleBytes);
    std::memcpy(data.Unread1 + 4, title.data(), title.size());
    for (size_t i = 0; i < level.Boxes.size(); ++i) {
        data.Boxes[i] = {level.Boxes[i].X, level.Boxes[i].Y};
        data.Zones[i] = {level.Zones[i].X, level.Zones[i].Y};
    }
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            data.Cells[x][y] = level.Walls[x][y] ? 0 : 1;
    for (const Cell& c : level.Boxes)
        data.Cells[c.X][c.Y] = 2;
    data.HeroX = level.Hero.X;
    data.HeroY = level.Hero.Y;
    data.BoxCount = static_cast<int32_t>(level.Boxes.size());
    LevelBytes bytes;
    std::memcpy(bytes.data(), &data, bytes.size());
    return bytes;
}

TLevelData ToLevelData(const LevelBytes& bytes) {
    TLevelData data;
    std::memcpy(&data, bytes.data(), sizeof data);
    return data;
}

Level DecodeLevel(const LevelBytes& bytes) {
    const TLevelData data = ToLevelData(bytes);
    const int32_t count = data.BoxCount;
    if (count < 0 || count > kMaxBoxes)
        throw FileError("object count " + std::to_string(count) + " is outside 0..9");
    const int32_t heroX = data.HeroX, heroY = data.HeroY;
    if (!OnBoard(heroX, heroY))
        throw FileError("the pusher starts off the board");
    Level level;
    if (std::memcmp(data.Unread1, kMagic, sizeof kMagic) == 0) {
        const char* title = reinterpret_cast<const char*>(data.Unread1 + 4);
        level.Title = rtl::Win1252ToUtf8(std::string(title, strnlen(title, kTitleBytes)));
    }
    for (int i = 0; i < count; ++i) {
        const TCellPos box = data.Boxes[i], zone = data.Zones[i];
        if (!OnBoard(box.X, box.Y) || !OnBoard(zone.X, zone.Y))
            throw FileError("object or zone " + std::to_string(i + 1) + " lies off the board");
        level.Boxes.push_back({box.X, box.Y});
        level.Zones.push_back({zone.X, zone.Y});
    }
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            level.Walls[x][y] = data.Cells[x][y] == 0;
    level.Hero = {heroX, heroY};
    return level;
}

LevelBytes ReadLevelFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError("cannot open " + path);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (content.size() != kLevelFileSize)
        throw FileError(path + " has " + std::to_string(content.size()) +
                        " bytes, a level file has 952");
    LevelBytes bytes;
    std::memcpy(bytes.data(), content.data(), bytes.size());
    return bytes;
}

void WriteLevelFile(const std::string& path, const LevelBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw FileError("cannot write " + path);
}

std::string LevelFileName(int number) {
    return "Level" + std::to_string(number) + ".sal";
}

} // namespace levels
