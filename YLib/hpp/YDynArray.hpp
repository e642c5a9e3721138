#pragma once

#include <new>

#include "YMemory.hpp"
#include "YSystemException.hpp"

// A growable array that keeps its elements in blocks of a fixed number of elements, so that an
// element never moves once it exists. Every slot of an allocated block holds a constructed element,
// also beyond the count: a shrink keeps the surviving blocks, and a later growth finds their values.
template <class T>
class YDynArray {
public:
    static constexpr const char* SourceFile = "hpp/YDynArray";
    static constexpr int LineNegativeSize = 94;
    static constexpr int LineNoMemoryNewTable = 108;
    static constexpr int LineNoMemoryNewBlocks = 119;
    static constexpr int LineNoMemoryGrowTable = 130;
    static constexpr int LineNoMemoryGrowBlocks = 139;
    static constexpr int LineNoMemoryShrinkTable = 159;
    static constexpr int LineIndex = 173;
    static constexpr int LineLast = 239;

    explicit YDynArray(int blockSize = 32) : blockSize(blockSize < 1 ? 1 : blockSize) {}
    YDynArray(const YDynArray&) = delete;
    YDynArray& operator=(const YDynArray&) = delete;
    ~YDynArray() { SetSize(0); }

    int Count() const { return count; }
    int BlockSize() const { return blockSize; }

    // When memory runs out the array keeps its elements and its count.
    void SetSize(int newCount) {
        if (newCount < 0) Fail(YSystemException::KindIllegalParameter, LineNegativeSize);
        int oldBlocks = BlocksFor(count);
        int newBlocks = BlocksFor(newCount);
        if (newBlocks > oldBlocks) Grow(oldBlocks, newBlocks);
        else if (newBlocks < oldBlocks) Shrink(oldBlocks, newBlocks, newCount);
        count = newCount;
    }

    // Appends one element and returns its index.
    int Add() {
        SetSize(count + 1);
        return count - 1;
    }

    void RemoveAll() { SetSize(0); }

    T& operator[](int index) { return Element(Checked(index)); }
    const T& operator[](int index) const { return Element(Checked(index)); }

    T& Last() {
        if (count == 0) Fail(YSystemException::KindOutOfRange, LineLast);
        return Element(count - 1);
    }

private:
    [[noreturn]] static void Fail(int kind, int line) { throw YSystemException(kind, line, SourceFile); }

    int BlocksFor(int elementCount) const { return (elementCount + blockSize - 1) / blockSize; }

    int Checked(int index) const {
        if (index < 0 || index >= count) Fail(YSystemException::KindOutOfRange, LineIndex);
        return index;
    }

    T& Element(int index) const { return blocks[index / blockSize][index % blockSize]; }

    void Grow(int oldBlocks, int newBlocks) {
        bool newTable = blocks == nullptr;
        void* table = newTable ? YMemory::Allocate(sizeof(T*) * newBlocks) : YMemory::Reallocate(blocks, sizeof(T*) * newBlocks);
        if (!table) Fail(YSystemException::KindNoMemory, newTable ? LineNoMemoryNewTable : LineNoMemoryGrowTable);
        blocks = static_cast<T**>(table);
        for (int b = oldBlocks; b < newBlocks; ++b) {
            blocks[b] = NewBlock();
            if (!blocks[b]) {
                // Give back what this growth took; a larger table than needed does no harm.
                while (b > oldBlocks) DeleteBlock(blocks[--b]);
                if (oldBlocks == 0) {
                    YMemory::Free(blocks);
                    blocks = nullptr;
                }
                Fail(YSystemException::KindNoMemory, newTable ? LineNoMemoryNewBlocks : LineNoMemoryGrowBlocks);
            }
        }
    }

    void Shrink(int oldBlocks, int newBlocks, int newCount) {
        for (int b = oldBlocks - 1; b >= newBlocks; --b) DeleteBlock(blocks[b]);
        if (newBlocks == 0) {
            YMemory::Free(blocks);
            blocks = nullptr;
            return;
        }
        void* table = YMemory::Reallocate(blocks, sizeof(T*) * newBlocks);
        if (!table) {
            // The old, larger table is still valid: keep it with the blocks that remain.
            count = newCount;
            Fail(YSystemException::KindNoMemory, LineNoMemoryShrinkTable);
        }
        blocks = static_cast<T**>(table);
    }

    T* NewBlock() {
        void* block = YMemory::Allocate(sizeof(T) * static_cast<std::size_t>(blockSize));
        if (!block) return nullptr;
        T* slots = static_cast<T*>(block);
        for (int i = 0; i < blockSize; ++i) new (slots + i) T();
        return slots;
    }

    void DeleteBlock(T* slots) {
        for (int i = blockSize - 1; i >= 0; --i) slots[i].~T();
        YMemory::Free(slots);
    }

    int count = 0;
    int blockSize;
    T** blocks = nullptr;
};
