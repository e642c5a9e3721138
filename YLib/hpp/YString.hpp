#pragma once

#include <cstdint>

#if defined(__clang__)
// clang knows no gnu_printf; its printf checks the same formats.
#define YLIB_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define YLIB_PRINTF(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define YLIB_PRINTF(formatIndex, firstArgument)
#endif

// The program's string: 8-bit text of explicit length (it may hold NUL bytes), grown in 16-byte
// steps and never shrunk. Copies are deep.
class YString {
public:
    static constexpr const char* SourceFile = "Cpp/YString";
    static constexpr int LineNoMemory = 72;
    static constexpr int LineToIntPosition = 387;
    static constexpr int LineToDoublePosition = 423;
    static constexpr int LineIndex = 479;
    static constexpr int LineConstIndex = 487;
    static constexpr int LineLoadResource = 522;
    static constexpr int LineFormat = 544;
    static constexpr int LineFormatResourceLoad = 566;
    static constexpr int LineFormatResource = 573;
    static constexpr int LineAppendFormat = 595;
    static constexpr int LineAppendFormatResourceLoad = 620;
    static constexpr int LineAppendFormatResource = 627;

    // Formatting and string-table texts go through a scratch buffer of this size.
    static constexpr int ScratchSize = 1024;

    // Trim flags.
    static constexpr int TrimStart = 2;
    static constexpr int TrimEnd = 4;

    YString() = default;
    YString(const char* text);  // NOLINT: converting on purpose, like the text it holds
    YString(const YString& other);
    YString(YString&& other) noexcept;
    ~YString();

    YString& operator=(const char* text);
    YString& operator=(const YString& other);
    YString& operator=(YString&& other) noexcept;

    int Length() const { return length; }
    bool IsEmpty() const { return length == 0; }
    unsigned Capacity() const { return capacity; }

    // Longer: the new positions hold blanks. Shorter: only the length drops.
    void SetLength(int newLength);
    void Empty() { SetLength(0); }

    char& operator[](int index);
    char operator[](int index) const;

    // The text with a terminating NUL; never null.
    const char* CStr() const;

    YString& operator+=(char c);
    YString& operator+=(const YString& other);

    // Positions are 0-based; -1 means not found. A negative start counts as 0.
    int Find(char c, int start = 0) const;
    int ReverseFind(char c) const;
    int Find(const YString& sub, int start = 0) const;

    // Positions first to last, both inclusive, as far as the text reaches.
    YString Range(int first, int last) const;
    YString Mid(int start, int count) const;
    void Delete(int position, int count);

    // Removes and returns the text up to the first character of `delimiters`; the delimiter is
    // consumed and its index within `delimiters` reported (-1 when none occurs and the whole text
    // was taken).
    YString NextToken(const char* delimiters, int& delimiterIndex);
    YString NextToken(const char* delimiters);

    // Strips the characters of `set` from the start (TrimStart) and/or the end (TrimEnd).
    void Trim(int flags, const char* set);
    // Blanks and tabs from both ends.
    void Trim();

    // strtol/strtod from `position`. False, with nothing written, when no character was consumed
    // or the string is empty; `end` receives the position after the parsed characters.
    bool ToInt(int& value, int position, int& end) const;
    bool ToInt(int& value, int position = 0) const;
    bool ToDouble(double& value, int position, int& end) const;
    bool ToDouble(double& value, int position = 0) const;

    // printf-style formatting through the scratch buffer. Output that does not fit throws kind 1
    // and leaves the string as it was.
    void Format(const char* format, ...) YLIB_PRINTF(2, 3);
    void AppendFormat(const char* format, ...) YLIB_PRINTF(2, 3);

#ifdef _WIN32
    // String-table entries of the program module. An entry that does not exist or is empty throws
    // kind 3 and leaves the string as it was.
    void LoadResource(unsigned id);
    void FormatResource(unsigned id, ...);
    void AppendFormatResource(unsigned id, ...);
#endif

    bool operator==(const YString& other) const;
    bool operator!=(const YString& other) const { return !(*this == other); }
    // A null pointer equals the empty string only.
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }

    // -1, 0 or 1; the first differing characters compare as signed 8-bit values. A null pointer
    // counts as the empty text.
    int Compare(const char* text) const;
    // The same, with characters equal when their upper-case forms agree.
    int CompareNoCase(const char* text) const;
    int CompareNoCase(const YString& other) const { return CompareNoCase(other.CStr()); }

    void MakeLower();

private:
    // Makes room for `characters` characters by the growth rule; throws kind 2 when no memory is
    // available, leaving the string unchanged.
    void MakeRoom(int characters);
    void Assign(const char* text, int textLength);
    // Takes the scratch buffer's text after formatting; `written` is the formatter's result, and
    // one that shows the text did not fit throws kind 1 with `line`.
    void StoreFormatted(const char* text, int written, bool append, int line);

    std::uint32_t capacity = 0;
    int length = 0;
    char* data = nullptr;
};

bool operator==(const char* text, const YString& string);
bool operator!=(const char* text, const YString& string);
