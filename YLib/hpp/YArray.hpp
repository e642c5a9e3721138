#pragma once

#include <new>

#include "YMemory.hpp"
#include "YSystemException.hpp"

// A fixed-length array, sized explicitly, whose element access always checks the index. A cursor
// walks it for sequential access.
template <class T>
class YArray {
public:
    static constexpr const char* SourceFile = "hpp/YArray";
    static constexpr int LineNegativeSize = 58;
    static constexpr int LineNoMemory = 72;
    static constexpr int LineIndex = 113;
    static constexpr int LineSetCursor = 187;
    static constexpr int LineAdvance = 199;

    YArray() = default;
    YArray(const YArray&) = delete;
    YArray& operator=(const YArray&) = delete;
    ~YArray() { Release(); }

    int Count() const { return count; }
    T* Data() { return elements; }
    const T* Data() const { return elements; }

    // A different size replaces every element by a default-constructed one; the cursor is reset in
    // every case. When memory runs out the array is left empty.
    void SetSize(int newCount) {
        if (newCount != count) {
            if (newCount < 0) Fail(YSystemException::KindIllegalParameter, LineNegativeSize);
            Release();
            if (newCount > 0) {
                void* block = YMemory::Allocate(sizeof(T) * static_cast<std::size_t>(newCount));
                if (!block) Fail(YSystemException::KindNoMemory, LineNoMemory);
                elements = static_cast<T*>(block);
                for (int i = 0; i < newCount; ++i) new (elements + i) T();
                count = newCount;
            }
        }
        cursor = nullptr;
    }

    T& operator[](int index) { return elements[Checked(index)]; }
    const T& operator[](int index) const { return elements[Checked(index)]; }

    void Fill(const T& value) {
        for (int i = 0; i < count; ++i) elements[i] = value;
    }

    void SetCursor(int index) {
        if (index < 0 || index >= count) Fail(YSystemException::KindOutOfRange, LineSetCursor);
        cursor = elements + index;
    }

    // Standing just behind the last element is allowed; one step further is not. The check comes
    // before the step: a pointer beyond that position may not even be formed.
    void Advance() {
        if (!cursor || cursor >= elements + count) Fail(YSystemException::KindOutOfRange, LineAdvance);
        ++cursor;
    }

    // The element under the cursor; null before SetCursor or after a resize.
    T* Cursor() const { return cursor; }

private:
    [[noreturn]] static void Fail(int kind, int line) { throw YSystemException(kind, line, SourceFile); }

    int Checked(int index) const {
        if (index < 0 || index >= count) Fail(YSystemException::KindOutOfRange, LineIndex);
        return index;
    }

    void Release() {
        for (int i = count - 1; i >= 0; --i) elements[i].~T();
        YMemory::Free(elements);
        elements = nullptr;
        count = 0;
    }

    T* elements = nullptr;
    int count = 0;
    T* cursor = nullptr;
};
