// Loads arbitrary bytes as a settings file. Beyond not crashing, leaking or hanging, the saved form
// must be a fixed point: loading and saving what was saved gives the same bytes again.
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

std::string LoadAndSave(const std::string& from, const std::string& to) {
    YIniFile ini;
    ini.SetFileName(from.c_str());
    if (!ini.Load()) std::abort();
    ini.SetFileName(to.c_str());
    if (!ini.Save()) std::abort();
    return ReadFile(to);
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
    std::string first = LoadAndSave(inputPath, firstPath);
    std::string second = LoadAndSave(firstPath, secondPath);
    if (first != second) {
        std::fprintf(stderr, "Saving a saved file changed it:\n--- first\n%s--- second\n%s", first.c_str(), second.c_str());
        std::abort();
    }
    return 0;
}
