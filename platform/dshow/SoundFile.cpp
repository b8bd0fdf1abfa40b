#include "platform/dshow/SoundFile.h"

#include "platform/rtl/Files.h"

#include <fcntl.h>
#include <sndfile.h>

namespace dshow {

namespace {

// Sample rates SDL's converter is asked to handle; anything outside is a damaged header.
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;

} // namespace

std::unique_ptr<SoundFile> SoundFile::Open(const std::string& path) {
    // Opened by us, without waiting: a named pipe in the song's place would block sf_open's
    // open() for ever. libsndfile closes the descriptor with the file.
    std::string reason;
    const int fd = rtl::OpenRegularFile(path, O_RDONLY, reason);
    if (fd < 0)
        return nullptr;
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file)
        return nullptr;
    if (info.channels < 1 || info.samplerate < kMinSampleRate || info.samplerate > kMaxSampleRate ||
        info.frames < 0 || info.frames == SF_COUNT_MAX || !info.seekable) {
        sf_close(file);
        return nullptr;
    }
    std::unique_ptr<SoundFile> sound(new SoundFile);
    sound->FFile = file;
    sound->FFrames = info.frames;
    sound->FSampleRate = info.samplerate;
    sound->FChannels = info.channels;
    return sound;
}

SoundFile::~SoundFile() {
    if (FFile)
        sf_close(FFile);
}

int SoundFile::ReadStereo(float* out, int count) {
    if (count <= 0)
        return 0;
    const size_t channels = static_cast<size_t>(FChannels);
    FInterleaved.resize(static_cast<size_t>(count) * channels);
    const sf_count_t read = sf_readf_float(FFile, FInterleaved.data(), count);
    const int frames = read > 0 ? static_cast<int>(read) : 0;
    for (int i = 0; i < frames; ++i) {
        const float* in = &FInterleaved[static_cast<size_t>(i) * channels];
        out[2 * i] = in[0];
        out[2 * i + 1] = channels > 1 ? in[1] : in[0];
    }
    return frames;
}

bool SoundFile::Seek(int64_t frame) {
    return sf_seek(FFile, frame, SEEK_SET) == frame;
}

} // namespace dshow
