#include "tools/levels/LevelFile.h"

#include "platform/rtl/Strings.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace levels {

namespace {

constexpr char kMagic[3] = {'K', 'S', 'L'};

// The game's own check of a record, with its words.
void CheckFault(const TLevelData& data) {
    const std::string fault = LevelFault(data);
    if (!fault.empty())
        throw FileError(fault);
}

} // namespace

LevelBytes EncodeLevel(const Level& level) {
    if (level.Boxes.size() != level.Zones.size() || level.Boxes.size() > kMaxBoxes)
        throw FileError("a level file holds at most " + std::to_string(kMaxBoxes) +
                        " objects and exactly as many zones");
    TLevelData data{};
    std::memcpy(data.Unread1, kMagic, sizeof kMagic);
    data.Unread1[3] = kFormatVersion;
    const std::string title = rtl::Utf8ToWin1252(level.Title).substr(0, kTitleBytes);
    std::memcpy(data.Unread1 + 4, title.data(), title.size());
    for (size_t i = 0; i < level.Boxes.size(); ++i) {
        data.Boxes[i] = {level.Boxes[i].X, level.Boxes[i].Y};
        data.Zones[i] = {level.Zones[i].X, level.Zones[i].Y};
    }
    data.HeroX = level.Hero.X;
    data.HeroY = level.Hero.Y;
    data.BoxCount = static_cast<int32_t>(level.Boxes.size());
    // Checked before the objects are marked in the cells, which their places index.
    CheckFault(data);
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            data.Cells[x][y] = level.Walls[x][y] ? ccWall : ccFloor;
    for (const Cell& c : level.Boxes)
        data.Cells[c.X][c.Y] = ccBox;
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
    CheckFault(data);
    Level level;
    if (std::memcmp(data.Unread1, kMagic, sizeof kMagic) == 0) {
        const char* title = reinterpret_cast<const char*>(data.Unread1 + 4);
        level.Title = rtl::Win1252ToUtf8(std::string(title, strnlen(title, kTitleBytes)));
    }
    for (int i = 0; i < data.BoxCount; ++i) {
        const TCellPos box = data.Boxes[i], zone = data.Zones[i];
        level.Boxes.push_back({box.X, box.Y});
        level.Zones.push_back({zone.X, zone.Y});
    }
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            level.Walls[x][y] = data.Cells[x][y] == ccWall;
    level.Hero = {data.HeroX, data.HeroY};
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
