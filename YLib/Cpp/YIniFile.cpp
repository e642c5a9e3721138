#include "YIniFile.hpp"

#include <cstring>
#include <utility>

#include "YSystemException.hpp"
#include "YTextFile.hpp"

namespace {

// Blanks and tabs surround items by hand; a CR is what is left of a doubled line end, a Ctrl-Z the
// end-of-text mark of old editors. Trimming them all keeps every saved item free of them, so a
// saved file reads back as it was saved.
constexpr const char* Blanks = " \t\r\x1A";

// The byte-order marks that editors put before the text: UTF-8's is skipped, and a UTF-16 file is
// no 8-bit text at all.
constexpr const char* Utf8Mark = "\xEF\xBB\xBF";
constexpr const char* Utf16Marks[] = {"\xFF\xFE", "\xFE\xFF"};

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void TrimBlanks(YString& text) { text.Trim(YString::TrimStart | YString::TrimEnd, Blanks); }

bool StartsWith(const YString& text, const char* start) {
    int length = static_cast<int>(std::strlen(start));
    return text.Length() >= length && std::memcmp(text.CStr(), start, length) == 0;
}

// Control characters other than the white space of text files (tab, line ends, vertical tab, form
// feed) and Ctrl-Z come from no text editor: the file is something else (UTF-16, UTF-32, a binary
// file).
bool IsTextByte(char c) { return static_cast<unsigned char>(c) >= 0x20 || (c >= '\t' && c <= '\r') || c == '\x1A'; }

// Trims the line and skips a UTF-8 mark before it; false when the line cannot be 8-bit text. The
// mark is skipped at the start of any line, and a UTF-16 mark refused there, so that what a save
// writes first always reads back the same.
bool DecodeLine(YString& line) {
    for (int i = 0; i < line.Length(); ++i)
        if (!IsTextByte(line[i])) return false;
    TrimBlanks(line);
    while (StartsWith(line, Utf8Mark)) {
        line.Delete(0, static_cast<int>(std::strlen(Utf8Mark)));
        TrimBlanks(line);
    }
    for (const char* mark : Utf16Marks)
        if (StartsWith(line, mark)) return false;
    return true;
}

// Closing writes what is still buffered, so it can fail like any write.
bool WriteAndClose(YTextFile& file, const YString& text) {
    bool written = text.IsEmpty() || file.WriteLine(text);
    return file.Close() && written;
}

}  // namespace

YIniFile::~YIniFile() {
    if (!modified) return;
    // Runs at process exit, where an exception would end the program abnormally and nobody could
    // be told about it anyway.
    try {
        Save();
    } catch (const YSystemException&) {
    }
}

bool YIniFile::Load() {
    modified = false;
    fileUnreadable = false;
    StartContent();
    YTextFile file;
    if (!file.Open(fileName, YTextFile::ModeRead)) {
        // Only a file that does not exist may be created; one that could not be opened (no read
        // permission, held by another program) keeps what it holds.
        fileUnreadable = !file.IsMissing();
        return Fail("Opening");
    }
    int currentSection = 0;
    YString line;
    while (!file.IsEof()) {
        file.ReadLine(line);
        if (!DecodeLine(line)) {
            // Written back, a file that is no 8-bit text would be lost: it counts as unreadable.
            fileUnreadable = true;
            StartContent();
            return Fail("Decoding");
        }
        TakeLine(line, currentSection);
    }
    if (file.HasFailed()) {
        fileUnreadable = true;
        return Fail("Reading");
    }
    return true;
}

void YIniFile::TakeLine(const YString& line, int& currentSection) {
    if (line.IsEmpty()) return;
    if (line[0] == ';') {
        if (currentSection >= 0) AddEntry(currentSection, YString(), line);
        return;
    }
    if (line[0] == '[') {
        int nameEnd = 1;
        while (nameEnd < line.Length() && IsNameCharacter(line[nameEnd])) ++nameEnd;
        if (nameEnd == 1) {
            currentSection = -1;
            return;
        }
        YString name = line.Range(1, nameEnd - 1);
        currentSection = FindSection(name);
        if (currentSection < 0) currentSection = AddSection(std::move(name));
        return;
    }
    if (currentSection < 0) return;
    int equals = line.Find('=');
    YString key = equals < 0 ? line : line.Range(0, equals - 1);
    YString value = equals < 0 ? YString() : line.Mid(equals + 1, line.Length());
    TrimBlanks(key);
    TrimBlanks(value);
    if (key.IsEmpty()) return;
    int entry = FindKey(currentSection, key);
    // A repeated key keeps the place and spelling of its first line and the value of its last.
    if (entry >= 0)
        sections[currentSection].entries[entry].value = std::move(value);
    else
        AddEntry(currentSection, std::move(key), std::move(value));
}

bool YIniFile::Save() {
    // Cleared first: whatever happens below, the destructor must not try again.
    modified = false;
    if (fileUnreadable) return false;
    if (fileName.IsEmpty()) return Fail("Creating");
    if (YTextFile::IsReadOnly(fileName)) return Fail("Replacing");
    // The whole text before any file is touched: running out of memory leaves every file alone.
    YString text;
    ComposeContent(text);
    YString temporaryName = fileName;
    temporaryName += TemporarySuffix;
    YTextFile file;
    // A folder that takes no new file may still let the file itself be written.
    if (!file.Open(temporaryName, YTextFile::ModeWrite)) return SaveInPlace(text, "Creating");
    if (!WriteAndClose(file, text)) {
        YTextFile::Remove(temporaryName);
        return Fail("Writing");
    }
    YTextFile::ReplaceResult replaced = YTextFile::Replace(temporaryName, fileName);
    if (replaced == YTextFile::ReplaceDone) return true;
    YTextFile::Remove(temporaryName);
    return replaced == YTextFile::ReplaceInUse ? SaveInPlace(text, "Replacing") : Fail("Replacing");
}

bool YIniFile::SaveInPlace(const YString& text, const char* step) {
    YTextFile file;
    if (!file.Open(fileName, YTextFile::ModeWrite)) return Fail(step);
    // The one way to a partly written file: the old content is gone from here on.
    return WriteAndClose(file, text) || Fail("Writing");
}

void YIniFile::ComposeContent(YString& text) const {
    // Each line as WriteLine would write it: a line feed follows unless the line ends with one.
    auto endLine = [&text](int lineStart) {
        if (text.Length() == lineStart || text[text.Length() - 1] != '\n') text += '\n';
    };
    text.Empty();
    for (int s = 0; s < sections.Count(); ++s) {
        const YIniSection& section = sections[s];
        if (!section.name.IsEmpty()) {
            text += '\n';
            int lineStart = text.Length();
            text += '[';
            text += section.name;
            text += ']';
            endLine(lineStart);
        }
        for (int e = 0; e < section.entries.Count(); ++e) {
            const YIniEntry& entry = section.entries[e];
            if (entry.removed) continue;
            int lineStart = text.Length();
            if (!entry.key.IsEmpty()) {
                text += entry.key;
                text += " = ";
            }
            text += entry.value;
            endLine(lineStart);
        }
    }
}

bool YIniFile::GetValue(const YString& section, const YString& key, YString& value) const {
    value.Empty();
    int s = FindSection(section);
    if (s < 0) return false;
    int e = FindKey(s, key);
    if (e < 0) return false;
    value = sections[s].entries[e].value;
    return true;
}

void YIniFile::SetValue(const YString& section, const YString& key, const YString& value) {
    // Stores before any load still need the nameless section 0 in front.
    if (sections.Count() == 0) StartContent();
    int s = FindSection(section);
    if (s < 0) s = AddSection(section);
    int e = FindKey(s, key);
    if (e < 0)
        AddEntry(s, key, value);
    else
        sections[s].entries[e].value = value;
    modified = true;
}

bool YIniFile::RemoveKey(const YString& section, const YString& key) {
    int s = FindSection(section);
    if (s < 0) return false;
    int e = FindKey(s, key);
    if (e < 0) return false;
    sections[s].entries[e].removed = true;
    // A removal is a change to save like any store.
    modified = true;
    return true;
}

int YIniFile::KeyCount(const YString& section) const {
    int s = FindSection(section);
    if (s < 0) return -1;
    const YDynArray<YIniEntry>& entries = sections[s].entries;
    int count = 0;
    for (int e = 0; e < entries.Count(); ++e)
        if (!entries[e].removed && !entries[e].key.IsEmpty()) ++count;
    return count;
}

bool YIniFile::KeyAt(const YString& section, int index, YString& key) const {
    key.Empty();
    int s = FindSection(section);
    if (s < 0 || index < 0) return false;
    const YDynArray<YIniEntry>& entries = sections[s].entries;
    for (int e = 0; e < entries.Count(); ++e) {
        if (entries[e].removed || entries[e].key.IsEmpty()) continue;
        if (index-- == 0) {
            key = entries[e].key;
            return true;
        }
    }
    return false;
}

void YIniFile::ReadInt(const YString& section, const YString& key, int& value, int min, int max, int defaultValue) {
    YString text;
    int stored;
    if (GetValue(section, key, text) && text.ToInt(stored) && stored >= min && stored <= max) {
        value = stored;
        return;
    }
    value = defaultValue;
    WriteInt(section, key, defaultValue);
}

void YIniFile::ReadDouble(const YString& section, const YString& key, double& value, double min, double max, double defaultValue) {
    YString text;
    double stored;
    // Written so that a not-a-number fails the test.
    if (GetValue(section, key, text) && text.ToDouble(stored) && stored >= min && stored <= max) {
        value = stored;
        return;
    }
    value = defaultValue;
    WriteDouble(section, key, defaultValue);
}

void YIniFile::WriteInt(const YString& section, const YString& key, int value) {
    YString text;
    text.Format("%d", value);
    SetValue(section, key, text);
}

void YIniFile::WriteDouble(const YString& section, const YString& key, double value) {
    YString text;
    text.Format("%f", value);
    SetValue(section, key, text);
}

int YIniFile::FindSection(const YString& name) const {
    for (int s = 1; s < sections.Count(); ++s)
        if (sections[s].name.CompareNoCase(name) == 0) return s;
    return -1;
}

int YIniFile::FindKey(int section, const YString& key) const {
    if (key.IsEmpty()) return -1;
    const YDynArray<YIniEntry>& entries = sections[section].entries;
    for (int e = 0; e < entries.Count(); ++e)
        if (!entries[e].removed && entries[e].key.CompareNoCase(key) == 0) return e;
    return -1;
}

void YIniFile::StartContent() {
    sections.RemoveAll();
    AddSection(YString());
}

int YIniFile::AddSection(YString name) {
    int s = sections.Add();
    YIniSection& section = sections[s];
    section.name = std::move(name);
    section.entries.RemoveAll();
    return s;
}

void YIniFile::AddEntry(int section, YString key, YString value) {
    // Key and value arrive as copies made before the entry exists: running out of memory adds nothing.
    YIniEntry& entry = sections[section].entries[sections[section].entries.Add()];
    entry.removed = false;
    entry.key = std::move(key);
    entry.value = std::move(value);
}

bool YIniFile::Fail(const char* step) {
    lastError = step;
    lastError += " INI file (";
    lastError += fileName;
    lastError += ") failed.";
    return false;
}
