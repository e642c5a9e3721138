#pragma once

// An owned block of raw bytes with an explicit size. Resizing keeps the bytes that fit; a size of
// 0 frees the block. Copies are deep.
class YByteBuffer {
public:
    static constexpr const char* SourceFile = "Cpp/YByteBuffer";
    static constexpr int LineSetSize = 73;
    static constexpr int LineIndex = 129;
    static constexpr int LineResourceNotFound = 153;
    static constexpr int LineResourceEmpty = 158;
    static constexpr int LineResourceNotLoaded = 166;
    static constexpr int LineResourceNotLocked = 171;
    static constexpr int LinePutBuffer = 187;
    static constexpr int LinePutBytes = 200;
    static constexpr int LinePutRange = 214;
    static constexpr int LineGetBytes = 227;

    YByteBuffer() = default;
    explicit YByteBuffer(int size);
    YByteBuffer(const YByteBuffer& other);
    YByteBuffer& operator=(const YByteBuffer& other);
    ~YByteBuffer();

    // When memory runs out the buffer keeps its block and size. A negative size is an illegal
    // parameter.
    void SetSize(int newSize);
    void Empty() { SetSize(0); }
    void Fill(unsigned char value);

    unsigned char* Data() { return data; }
    const unsigned char* Data() const { return data; }
    int Size() const { return size; }

    unsigned char& operator[](int index);
    unsigned char operator[](int index) const;

    // Copy bytes in or out at `offset`; each returns the offset just behind what it copied. A range
    // that does not lie inside the buffer throws kind 5, also when `count` is below 1 and nothing
    // would be copied.
    int Put(int offset, const YByteBuffer& other);
    int Put(int offset, const void* bytes, int count);
    int Put(int offset, const YByteBuffer& other, int from, int count);
    int Get(int offset, void* bytes, int count) const;

#ifdef _WIN32
    // The program's resource `id` of type "BINARY". Failures throw kind 1.
    bool LoadResource(unsigned id);
#endif

private:
    [[noreturn]] static void Fail(int kind, int line);
    static void CheckRange(int offset, int count, int size, int line);

    unsigned char* data = nullptr;
    int size = 0;
};
