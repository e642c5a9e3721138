#include "WaveFile.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int PcmFormatTag = 1;
constexpr int FmtChunkMinimumSize = 16;

std::uint32_t Read32(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

int Read16(const unsigned char* bytes) { return bytes[0] | bytes[1] << 8; }

bool IsId(const unsigned char* bytes, const char* id) { return std::memcmp(bytes, id, 4) == 0; }

std::string Id(const unsigned char* bytes) {
    std::string id;
    for (int i = 0; i < 4; ++i) id += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?';
    return id;
}

}  // namespace

bool WaveFile::Fail(const std::string& problem) {
    error = problem;
    samples.clear();
    return false;
}

bool WaveFile::Load(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return Fail("cannot open " + path + ": " + std::strerror(errno));
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get())) return Fail("cannot read " + path + ": " + std::strerror(errno));
    if (!Parse(bytes)) return Fail(path + ": " + error);
    return true;
}

bool WaveFile::Parse(const std::vector<unsigned char>& file) {
    const std::size_t size = file.size();
    if (size < 12 || !IsId(&file[0], "RIFF") || !IsId(&file[8], "WAVE")) return Fail("not a RIFF/WAVE file");

    bool haveFormat = false;
    // Chunks follow one another, each padded to an even size; the RIFF size is not trusted.
    for (std::size_t at = 12; at + 8 <= size;) {
        const unsigned char* header = &file[at];
        const std::uint64_t length = Read32(header + 4);
        const std::size_t body = at + 8;
        const std::uint64_t available = size - body;
        if (IsId(header, "fmt ")) {
            if (length > available) return Fail("truncated fmt chunk");
            if (length < FmtChunkMinimumSize) return Fail("the fmt chunk is too short");
            const unsigned char* format = &file[body];
            const int tag = Read16(format), channels = Read16(format + 2), bits = Read16(format + 14);
            const std::uint32_t rate = Read32(format + 4);
            if (tag != PcmFormatTag || channels != 1 || bits != 16 || rate != SampleRate) {
                char found[160];
                std::snprintf(found, sizeof found,
                              "unsupported format: format tag %d, %d channel(s), %d bits, %lu Hz (need PCM, 1 channel, 16 bits, 11025 Hz)",
                              tag, channels, bits, static_cast<unsigned long>(rate));
                return Fail(found);
            }
            haveFormat = true;
        } else if (IsId(header, "data")) {
            if (!haveFormat) return Fail("no fmt chunk before the data chunk");
            if (length > available) {
                char problem[120];
                std::snprintf(problem, sizeof problem, "truncated data chunk: %llu bytes declared, %llu present",
                              static_cast<unsigned long long>(length), static_cast<unsigned long long>(available));
                return Fail(problem);
            }
            if (length % 2 != 0) {
                char problem[80];
                std::snprintf(problem, sizeof problem, "odd-sized data chunk: %llu bytes", static_cast<unsigned long long>(length));
                return Fail(problem);
            }
            samples.assign(file.begin() + body, file.begin() + body + length);
            error.clear();
            return true;
        } else if (length > available) {
            return Fail("truncated chunk \"" + Id(header) + "\"");
        }
        at = body + length + length % 2;
    }
    return Fail(haveFormat ? "no data chunk" : "no fmt chunk");
}
