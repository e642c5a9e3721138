#include "YByteBuffer.hpp"

#include <cstring>

#include "YMemory.hpp"
#include "YSystemException.hpp"

YByteBuffer::YByteBuffer(int size) { SetSize(size); }

YByteBuffer::YByteBuffer(const YByteBuffer& other) { *this = other; }

YByteBuffer& YByteBuffer::operator=(const YByteBuffer& other) {
    if (this != &other) {
        SetSize(other.size);
        if (size > 0) std::memcpy(data, other.data, size);
    }
    return *this;
}

YByteBuffer::~YByteBuffer() { SetSize(0); }

void YByteBuffer::Fail(int kind, int line) { throw YSystemException(kind, line, SourceFile); }

void YByteBuffer::SetSize(int newSize) {
    if (newSize == size) return;
    if (newSize < 0) Fail(YSystemException::KindIllegalParameter, LineSetSize);
    if (newSize == 0) {
        YMemory::Free(data);
        data = nullptr;
        size = 0;
        return;
    }
    void* block = data ? YMemory::Reallocate(data, newSize) : YMemory::Allocate(newSize);
    if (!block) Fail(YSystemException::KindNoMemory, LineSetSize);
    data = static_cast<unsigned char*>(block);
    size = newSize;
}

void YByteBuffer::Fill(unsigned char value) {
    if (size > 0) std::memset(data, value, size);
}

unsigned char& YByteBuffer::operator[](int index) {
    if (index < 0 || index >= size) Fail(YSystemException::KindOutOfRange, LineIndex);
    return data[index];
}

unsigned char YByteBuffer::operator[](int index) const {
    if (index < 0 || index >= size) Fail(YSystemException::KindOutOfRange, LineIndex);
    return data[index];
}

void YByteBuffer::CheckRange(int offset, int count, int size, int line) {
    long long end = static_cast<long long>(offset) + (count > 0 ? count : 0);
    if (offset < 0 || end > size) Fail(YSystemException::KindOutOfRange, line);
}

int YByteBuffer::Put(int offset, const YByteBuffer& other) {
    CheckRange(offset, other.size, size, LinePutBuffer);
    if (other.size > 0) std::memmove(data + offset, other.data, other.size);
    return offset + other.size;
}

int YByteBuffer::Put(int offset, const void* bytes, int count) {
    CheckRange(offset, count, size, LinePutBytes);
    if (count > 0) std::memmove(data + offset, bytes, count);
    return offset + count;
}

int YByteBuffer::Put(int offset, const YByteBuffer& other, int from, int count) {
    CheckRange(offset, count, size, LinePutRange);
    CheckRange(from, count, other.size, LinePutRange);
    if (count > 0) std::memmove(data + offset, other.data + from, count);
    return offset + count;
}

int YByteBuffer::Get(int offset, void* bytes, int count) const {
    CheckRange(offset, count, size, LineGetBytes);
    if (count > 0) std::memcpy(bytes, data + offset, count);
    return offset + count;
}
