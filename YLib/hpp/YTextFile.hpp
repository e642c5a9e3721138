#pragma once

#include <cstdio>

#include "YString.hpp"

// A text file read and written line by line through the C library's buffered streams. Writing is
// in the platform's text mode: on Windows lines end with CR LF on disk, elsewhere with LF. Reading
// is in binary mode, every byte as it stands, and a line loses the CR of a CR LF line end on every
// system.
class YTextFile {
public:
    static constexpr const char* SourceFile = "Cpp/YTextFile";
    static constexpr int LineOpenMode = 39;

    // Open modes; only the two low bits of a mode count.
    enum : int { ModeRead = 1, ModeReadWrite = 2, ModeWrite = 3 };

#ifdef _WIN32
    static constexpr char PathSeparator = '\\';
#else
    static constexpr char PathSeparator = '/';
#endif

    YTextFile() = default;
    YTextFile(const YTextFile&) = delete;
    YTextFile& operator=(const YTextFile&) = delete;
    virtual ~YTextFile();

    // True when the stream opened; a mode without a valid low part throws kind 6. Other programs
    // may read and write the file meanwhile.
    bool Open(const YString& name, int mode);
    // After a failed Open: true when the file (or a folder on its path) does not exist, false when
    // it exists but could not be opened (no permission, held by another program, ...).
    bool IsMissing() const { return missing; }
    // False when data that was still buffered could not be written.
    bool Close();

    bool IsOpen() const { return stream != nullptr; }
    // True when nothing more can be read: the end of the file was reached, reading failed, or the
    // file is not open.
    bool IsEof() const;
    // True when reading or writing failed since the file was opened.
    bool HasFailed() const;

    // The next line without its line end (LF or CR LF); every other byte as the file holds it.
    void ReadLine(YString& text);
    // Writes `text` and a line feed (none is added when `text` ends with one). False on a write
    // error.
    bool WriteLine(const YString& text);

    // How Replace ended. ReplaceInUse: another program holds `target` open, so that it could not
    // be replaced, but it may still be written in place; `source` is then left as it was.
    enum ReplaceResult : int { ReplaceDone, ReplaceInUse, ReplaceFailed };
    // Replaces the file `target` by the file `source` in one step, so that `target` is either
    // the old or the new file, never a part of one. An existing `target` keeps its identity: on
    // Windows its attributes and access rights (ReplaceFileA), elsewhere its permission bits, which
    // `source` takes before it takes the name. A `target` that does not exist is simply created.
    static ReplaceResult Replace(const YString& source, const YString& target);
    static bool Remove(const YString& name);
    // True when the file exists and must not be written: the Windows read-only attribute;
    // elsewhere no write permission bit at all, or none for this user.
    static bool IsReadOnly(const YString& name);

private:
    std::FILE* stream = nullptr;
    YString fileName;
    bool missing = false;
};
