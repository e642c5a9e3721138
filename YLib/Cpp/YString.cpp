#include "YString.hpp"

#include <cctype>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "YMemory.hpp"
#include "YSystemException.hpp"

namespace {

bool IsIn(char c, const char* set) { return std::memchr(set, c, std::strlen(set)) != nullptr; }

int SignedByteOrder(char mine, char theirs) {
    return static_cast<signed char>(mine) < static_cast<signed char>(theirs) ? -1 : 1;
}

char UpperCase(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

YString::YString(const char* text) {
    int textLength = text ? static_cast<int>(std::strlen(text)) : 0;
    MakeRoom(textLength);
    if (textLength > 0) std::memcpy(data, text, textLength);
    length = textLength;
}

YString::YString(const YString& other) {
    if (other.length < 1) return;
    MakeRoom(other.length);
    std::memcpy(data, other.data, other.length);
    length = other.length;
}

YString::YString(YString&& other) noexcept
    : capacity(std::exchange(other.capacity, 0)), length(std::exchange(other.length, 0)), data(std::exchange(other.data, nullptr)) {}

YString::~YString() { YMemory::Free(data); }

YString& YString::operator=(const char* text) {
    Assign(text, text ? static_cast<int>(std::strlen(text)) : 0);
    return *this;
}

YString& YString::operator=(const YString& other) {
    if (this != &other) Assign(other.data, other.length);
    return *this;
}

YString& YString::operator=(YString&& other) noexcept {
    if (this != &other) {
        YMemory::Free(data);
        capacity = std::exchange(other.capacity, 0);
        length = std::exchange(other.length, 0);
        data = std::exchange(other.data, nullptr);
    }
    return *this;
}

void YString::Assign(const char* text, int textLength) {
    if (textLength < 1) {
        length = 0;
        return;
    }
    // Room before the length changes, so that a failed allocation leaves the string as it was.
    MakeRoom(textLength);
    // The text may lie inside this string's own buffer.
    std::memmove(data, text, textLength);
    length = textLength;
}

void YString::MakeRoom(int characters) {
    std::uint64_t wanted = (static_cast<std::uint64_t>(characters < 0 ? 0 : characters) / 16 + 1) * 16 + 1;
    if (data && wanted <= capacity) return;
    if (wanted > UINT32_MAX) throw YSystemException(YSystemException::KindNoMemory, LineNoMemory, SourceFile);
    void* block = data ? YMemory::Reallocate(data, wanted) : YMemory::Allocate(wanted);
    if (!block) throw YSystemException(YSystemException::KindNoMemory, LineNoMemory, SourceFile);
    data = static_cast<char*>(block);
    capacity = static_cast<std::uint32_t>(wanted);
}

void YString::SetLength(int newLength) {
    if (newLength < 0) newLength = 0;
    if (newLength > length) {
        MakeRoom(newLength);
        std::memset(data + length, ' ', newLength - length);
    }
    length = newLength;
}

char& YString::operator[](int index) {
    if (index < 0 || index >= length) throw YSystemException(YSystemException::KindOutOfRange, LineIndex, SourceFile);
    return data[index];
}

char YString::operator[](int index) const {
    if (index < 0 || index >= length) throw YSystemException(YSystemException::KindOutOfRange, LineConstIndex, SourceFile);
    return data[index];
}

const char* YString::CStr() const {
    if (!data) return "";
    // The growth rule leaves room for the terminator behind any length, (n / 16 + 1) * 16 + 1 > n + 1,
    // so the view never asks for memory and cannot fail where a caller cleans up after a failure.
    data[length] = '\0';
    return data;
}

YString& YString::operator+=(char c) {
    // Room first: a failed allocation must leave the string as it was.
    MakeRoom(length + 1);
    data[length++] = c;
    return *this;
}

YString& YString::operator+=(const YString& other) {
    int otherLength = other.length;
    if (otherLength < 1) return *this;
    MakeRoom(length + otherLength);
    // Read other.data only now: appending a string to itself may just have moved the buffer.
    std::memcpy(data + length, other.data, otherLength);
    length += otherLength;
    return *this;
}

int YString::Find(char c, int start) const {
    for (int i = start < 0 ? 0 : start; i < length; ++i)
        if (data[i] == c) return i;
    return -1;
}

int YString::ReverseFind(char c) const {
    for (int i = length - 1; i >= 0; --i)
        if (data[i] == c) return i;
    return -1;
}

int YString::Find(const YString& sub, int start) const {
    if (sub.length < 1) return -1;
    for (int i = start < 0 ? 0 : start; i + sub.length <= length; ++i)
        if (std::memcmp(data + i, sub.data, sub.length) == 0) return i;
    return -1;
}

YString YString::Range(int first, int last) const {
    YString result;
    for (int i = first < 0 ? 0 : first; i <= last && i < length; ++i) result += data[i];
    return result;
}

YString YString::Mid(int start, int count) const {
    if (start < 0) start = 0;
    YString result;
    for (int i = start; i < length && i - start < count; ++i) result += data[i];
    return result;
}

void YString::Delete(int position, int count) {
    if (count < 1 || position < 0 || position >= length) return;
    if (count < length - position) {
        std::memmove(data + position, data + position + count, length - position - count);
        length -= count;
    } else {
        length = position;
    }
}

YString YString::NextToken(const char* delimiters, int& delimiterIndex) {
    YString token;
    delimiterIndex = -1;
    int i = 0;
    for (; i < length; ++i) {
        if (IsIn(data[i], delimiters)) {
            delimiterIndex = static_cast<int>(std::strchr(delimiters, data[i]) - delimiters);
            break;
        }
        token += data[i];
    }
    Delete(0, i < length ? i + 1 : length);
    return token;
}

YString YString::NextToken(const char* delimiters) {
    int delimiterIndex;
    return NextToken(delimiters, delimiterIndex);
}

void YString::Trim(int flags, const char* set) {
    if (flags & TrimEnd)
        while (length > 0 && IsIn(data[length - 1], set)) --length;
    if (flags & TrimStart) {
        int first = 0;
        while (first < length && IsIn(data[first], set)) ++first;
        Delete(0, first);
    }
}

void YString::Trim() { Trim(TrimStart | TrimEnd, " \t"); }

bool YString::ToInt(int& value, int position, int& end) const {
    if (length == 0) return false;
    if (position < 0 || position >= length)
        throw YSystemException(YSystemException::KindOutOfRange, LineToIntPosition, SourceFile);
    const char* text = CStr() + position;
    char* stop = nullptr;
    long parsed = std::strtol(text, &stop, 10);
    end = position + static_cast<int>(stop - text);
    if (stop == text) return false;
    // A 32-bit long saturates at these bounds; a 64-bit one must read the same.
    value = parsed > INT_MAX ? INT_MAX : parsed < INT_MIN ? INT_MIN : static_cast<int>(parsed);
    return true;
}

bool YString::ToInt(int& value, int position) const {
    int end;
    return ToInt(value, position, end);
}

bool YString::ToDouble(double& value, int position, int& end) const {
    if (length == 0) return false;
    if (position < 0 || position >= length)
        throw YSystemException(YSystemException::KindOutOfRange, LineToDoublePosition, SourceFile);
    const char* text = CStr() + position;
    char* stop = nullptr;
    double parsed = std::strtod(text, &stop);
    end = position + static_cast<int>(stop - text);
    if (stop == text) return false;
    value = parsed;
    return true;
}

bool YString::ToDouble(double& value, int position) const {
    int end;
    return ToDouble(value, position, end);
}

void YString::StoreFormatted(const char* text, int written, bool append, int line) {
    if (written < 0 || written >= ScratchSize) throw YSystemException(YSystemException::KindUnknown, line, SourceFile);
    if (!append) {
        Assign(text, written);
        return;
    }
    MakeRoom(length + written);
    std::memcpy(data + length, text, written);
    length += written;
}

void YString::Format(const char* format, ...) {
    char scratch[ScratchSize];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(scratch, sizeof scratch, format, arguments);
    va_end(arguments);
    StoreFormatted(scratch, written, false, LineFormat);
}

void YString::AppendFormat(const char* format, ...) {
    char scratch[ScratchSize];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(scratch, sizeof scratch, format, arguments);
    va_end(arguments);
    StoreFormatted(scratch, written, true, LineAppendFormat);
}

bool YString::operator==(const YString& other) const {
    return length == other.length && (length == 0 || std::memcmp(data, other.data, length) == 0);
}

bool YString::operator==(const char* text) const {
    if (!text) return length == 0;
    return static_cast<std::size_t>(length) == std::strlen(text) && (length == 0 || std::memcmp(data, text, length) == 0);
}

bool operator==(const char* text, const YString& string) { return string == text; }
bool operator!=(const char* text, const YString& string) { return string != text; }

int YString::Compare(const char* text) const {
    if (!text) text = "";
    int i = 0;
    for (; i < length && text[i] != '\0'; ++i)
        if (data[i] != text[i]) return SignedByteOrder(data[i], text[i]);
    if (text[i] != '\0') return -1;
    return i < length ? 1 : 0;
}

int YString::CompareNoCase(const char* text) const {
    if (!text) text = "";
    int i = 0;
    for (; i < length && text[i] != '\0'; ++i)
        if (UpperCase(data[i]) != UpperCase(text[i])) return SignedByteOrder(data[i], text[i]);
    if (text[i] != '\0') return -1;
    return i < length ? 1 : 0;
}

void YString::MakeLower() {
    for (int i = 0; i < length; ++i) data[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(data[i])));
}
