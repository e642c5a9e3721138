#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>

// A new, empty directory for one test, removed with everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::random_device random;
        // Test programs run in parallel: try names until one is new.
        do path = std::filesystem::temp_directory_path() / ("fretlark-test-" + std::to_string(random()) + std::to_string(random()));
        while (!std::filesystem::create_directory(path));
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string Directory() const { return path.string(); }
    std::string File(const char* name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

// Whole files, byte for byte.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The lines as a text file of this platform holds them: each followed by its line end.
inline std::string TextFileLines(std::initializer_list<const char*> lines) {
#ifdef _WIN32
    const char* lineEnd = "\r\n";
#else
    const char* lineEnd = "\n";
#endif
    std::string text;
    for (const char* line : lines) text.append(line).append(lineEnd);
    return text;
}
