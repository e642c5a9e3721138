#include "YTextFile.hpp"

#include <cerrno>

#include "YSystemException.hpp"

YTextFile::~YTextFile() { Close(); }

bool YTextFile::Open(const YString& name, int mode) {
    // Read in binary mode: a text-mode read would end at a Ctrl-Z byte. ReadLine drops the CR of
    // a CR LF line end itself.
    static const char* const openModes[] = {nullptr, "rb", "r+t", "wt"};
    const char* openMode = openModes[mode & 3];
    if (!openMode) throw YSystemException(YSystemException::KindIllegalParameter, LineOpenMode, SourceFile);
    Close();
    fileName = name;
    stream = std::fopen(fileName.CStr(), openMode);
    // Both C libraries report a name that leads nowhere (file or folder) as ENOENT.
    missing = !stream && errno == ENOENT;
    return stream != nullptr;
}

bool YTextFile::Close() {
    if (!stream) return true;
    bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    return closed;
}

bool YTextFile::IsEof() const { return !stream || std::feof(stream) || std::ferror(stream); }

bool YTextFile::HasFailed() const { return stream && std::ferror(stream); }

void YTextFile::ReadLine(YString& text) {
    text.Empty();
    if (!stream) return;
    for (int c = std::getc(stream); c != EOF && c != '\n'; c = std::getc(stream)) text += static_cast<char>(c);
    if (!text.IsEmpty() && text[text.Length() - 1] == '\r') text.SetLength(text.Length() - 1);
}

bool YTextFile::WriteLine(const YString& text) {
    if (!stream) return false;
    int length = text.Length();
    if (length > 0 && std::fwrite(text.CStr(), 1, length, stream) != static_cast<std::size_t>(length)) return false;
    if (length > 0 && text[length - 1] == '\n') return true;
    return std::fputc('\n', stream) != EOF;
}

bool YTextFile::Remove(const YString& name) { return std::remove(name.CStr()) == 0; }
