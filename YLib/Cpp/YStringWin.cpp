// The string-table operations of YString, which need the program module's resources.
#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "YModule.hpp"
#include "YString.hpp"
#include "YSystemException.hpp"

namespace {

// Loads entry `id` into `text` (ScratchSize bytes); nothing loaded, also for an empty entry, throws
// kind 3 with the caller's line.
void LoadEntry(unsigned id, char* text, int line) {
    if (LoadStringA(ModuleInstance(), id, text, YString::ScratchSize) == 0)
        throw YSystemException(YSystemException::KindSystem, line, YString::SourceFile);
}

}  // namespace

void YString::LoadResource(unsigned id) {
    char text[ScratchSize];
    LoadEntry(id, text, LineLoadResource);
    *this = text;
}

void YString::FormatResource(unsigned id, ...) {
    char format[ScratchSize];
    LoadEntry(id, format, LineFormatResourceLoad);
    char scratch[ScratchSize];
    va_list arguments;
    va_start(arguments, id);
    int written = std::vsnprintf(scratch, sizeof scratch, format, arguments);
    va_end(arguments);
    StoreFormatted(scratch, written, false, LineFormatResource);
}

void YString::AppendFormatResource(unsigned id, ...) {
    char format[ScratchSize];
    LoadEntry(id, format, LineAppendFormatResourceLoad);
    char scratch[ScratchSize];
    va_list arguments;
    va_start(arguments, id);
    int written = std::vsnprintf(scratch, sizeof scratch, format, arguments);
    va_end(arguments);
    StoreFormatted(scratch, written, true, LineAppendFormatResource);
}
