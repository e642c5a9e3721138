// Loads arbitrary bytes as a settings file. Beyond not crashing, leaking or hanging, the saved form
// must be a fixed point: loading and saving what was saved gives the same bytes again. Bytes that
// are no text are refused, and then nothing is written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "YIniFile.hpp"

namespace {

std::string directory;
std::string inputPath;
std::string firstPath;
std::string secondPath;

void RemoveFiles() {
    for (const std::string* path : {&inputPath, &firstPath, &secondPath}) std::remove(path->c_str());
    rmdir(directory.c_str());
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) std::abort();
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// False when `from` was refused; then `to` must not have been written.
bool LoadAndSave(const std::string& from, const std::string& to, std::string& saved) {
    YIniFile ini;
    ini.SetFileName(from.c_str());
    bool loaded = ini.Load();
    ini.SetFileName(to.c_str());
    std::remove(to.c_str());
    if (ini.Save() != loaded || (access(to.c_str(), F_OK) == 0) != loaded) std::abort();
    if (loaded) saved = ReadFile(to);
    return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/fretlark-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    directory = pattern;
    inputPath = directory + "/input.ini";
    firstPath = directory + "/first.ini";
    secondPath = directory + "/second.ini";
    std::atexit(RemoveFiles);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteFile(inputPath, data, size);
    std::string first, second;
    if (!LoadAndSave(inputPath, firstPath, first)) return 0;
    if (!LoadAndSave(firstPath, secondPath, second)) {
        std::fprintf(stderr, "A saved file was refused:\n%s", first.c_str());
        std::abort();
    }
    if (first != second) {
        std::fprintf(stderr, "Saving a saved file changed it:\n--- first\n%s--- second\n%s", first.c_str(), second.c_str());
        std::abort();
    }
    return 0;
}
