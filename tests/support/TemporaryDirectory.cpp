#include "TemporaryDirectory.hpp"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

TemporaryDirectory::TemporaryDirectory() {
    std::random_device random;
    // Test programs run in parallel: try names until one is new.
    do {
        std::ostringstream name;
        name << "fretlark-test-" << std::hex << random() << random();
        path = std::filesystem::temp_directory_path() / name.str();
    } while (!std::filesystem::create_directory(path));
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

std::string TextFileLines(std::initializer_list<const char*> lines) {
#ifdef _WIN32
    const char* lineEnd = "\r\n";
#else
    const char* lineEnd = "\n";
#endif
    std::string text;
    for (const char* line : lines) text.append(line).append(lineEnd);
    return text;
}
