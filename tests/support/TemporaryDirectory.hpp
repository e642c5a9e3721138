#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

// A new, empty directory for one test, removed with everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::string Directory() const { return path.string(); }
    std::string File(const char* name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

// Whole files, byte for byte.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The lines as a text file of this platform holds them: each followed by its line end.
std::string TextFileLines(std::initializer_list<const char*> lines);
