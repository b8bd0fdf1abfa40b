#include "game/CollectionFile.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "puzzle/BoardKey.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Refuse(const std::string& path, std::string why) {
    while (!why.empty() && why.back() == '.')
        why.pop_back();
    throw rtl::EFOpenError("The collection \"" + path + "\" cannot be opened: " + why + ".");
}

// The whole file, read without ever blocking on a pipe nor reading past the cap.
std::string ReadCapped(const std::string& path, size_t budget, const std::string& shown) {
    std::string why;
    const int fd = rtl::OpenRegularFile(path, O_RDONLY, why);
    if (fd < 0)
        Refuse(shown, why);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0) {
        ::close(fd);
        Refuse(shown, "its size cannot be read");
    }
    if (static_cast<uint64_t>(st.st_size) > budget) {
        ::close(fd);
        Refuse(shown, "it is larger than a collection can be (" +
                          std::to_string(puzzle::kMaxCollectionBytes >> 20) + " MB at most)");
    }
    std::string text(static_cast<size_t>(st.st_size), '\0');
    size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            Refuse(shown, rtl::SysErrorMessage(error));
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    text.resize(filled);
    return text;
}

uint64_t Fnv1a(uint64_t hash, const std::string& bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

int32_t TCollection::NextPlayable(int32_t after) const {
    const int32_t size = Size();
    for (int32_t k = 1; k <= size; ++k) {
        const int32_t n = (after + k - 1) % size + 1;
        if (Levels.Levels[static_cast<size_t>(n - 1)].Playable())
            return n;
    }
    return 0;
}

bool IsCollectionFileName(const std::string& name) {
    std::string ext = std::filesystem::path(name).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".txt" || ext == ".xsb" || ext == ".sok";
}

TCollection ReadCollectionFile(const std::string& path) {
    TCollection c;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    c.Path = error ? path : absolute.lexically_normal().string();
    std::filesystem::path named = std::filesystem::path(c.Path);
    if (!named.has_filename())
        named = named.parent_path();
    c.Name = named.filename().string();

    std::vector<std::string> files;
    if (std::filesystem::is_directory(c.Path, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(c.Path, error))
            if (IsCollectionFileName(entry.path().filename().string()))
                files.push_back(entry.path().string());
        if (error)
            Refuse(path, error.message());
        std::sort(files.begin(), files.end());
        if (files.empty())
            Refuse(path, "the folder holds no .txt, .xsb or .sok file");
    } else {
        files.push_back(c.Path);
    }

    size_t budget = puzzle::kMaxCollectionBytes;
    for (const std::string& file : files) {
        const std::string shown = files.size() > 1 ? file : path;
        const std::string text = ReadCapped(file, budget, shown);
        budget -= text.size();
        puzzle::Collection part;
        try {
            part = puzzle::ReadCollection(text);
        } catch (const puzzle::CollectionError& e) {
            Refuse(shown, e.what());
        }
        if (c.Levels.Levels.size() + part.Levels.size() > puzzle::kMaxCollectionLevels)
            Refuse(shown, "more than " + std::to_string(puzzle::kMaxCollectionLevels) + " levels");
        for (puzzle::CollectionLevel& level : part.Levels)
            c.Levels.Levels.push_back(std::move(level));
    }

    uint64_t hash = 14695981039346656037ull;
    for (const puzzle::CollectionLevel& level : c.Levels.Levels)
        if (level.Playable())
            hash = Fnv1a(hash, puzzle::BoardKey(level.Board) + "\n");
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    c.Key = key;
    c.Marks.assign(c.Levels.Levels.size(), 0);
    return c;
}

std::string NothingPlayable(const TCollection& c) {
    std::string text = "The collection \"" + c.Path + "\" holds no level the game can play";
    if (c.Levels.Levels.empty())
        return text + ": no level is drawn in it.";
    const puzzle::CollectionLevel& first = c.Levels.Levels.front();
    const size_t size = c.Levels.Levels.size();
    return text + " (" + std::to_string(size) + (size == 1 ? " level" : " levels") +
           "; level 1, line " + std::to_string(first.Line) + ": " + first.Problem + ").";
}

TLevelData LevelRecord(const puzzle::Level& level) {
    TLevelData data{};
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            data.Cells[x][y] = level.Walls[x][y] ? ccWall : ccFloor;
    const size_t count = std::min(level.Boxes.size(), static_cast<size_t>(kMaxBoxes));
    for (size_t i = 0; i < count; ++i) {
        data.Boxes[i] = {level.Boxes[i].X, level.Boxes[i].Y};
        data.Zones[i] = {level.Zones[i].X, level.Zones[i].Y};
        data.Cells[level.Boxes[i].X][level.Boxes[i].Y] = ccBox;
    }
    data.HeroX = level.Hero.X;
    data.HeroY = level.Hero.Y;
    data.BoxCount = static_cast<int32_t>(count);
    return data;
}

std::string CollectionProgressFile(const std::string& key) {
    return "collection-" + key + ".cmp";
}

std::vector<uint8_t> ReadMarks(rtl::TStream& stream, size_t count) {
    std::vector<uint8_t> marks(count, 0);
    size_t filled = 0;
    while (filled < count) {
        const int64_t got =
            stream.Read(marks.data() + filled, static_cast<int64_t>(count - filled));
        if (got <= 0)
            break;
        filled += static_cast<size_t>(got);
    }
    return marks;
}
