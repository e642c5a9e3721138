#include "YIniFile.hpp"

#include <utility>

#include "YSystemException.hpp"
#include "YTextFile.hpp"

namespace {

// Blanks and tabs surround items by hand; a CR is what is left of a doubled line end. Trimming all
// three keeps every saved item free of them, so a saved file reads back as it was saved.
constexpr const char* Blanks = " \t\r";

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void TrimBlanks(YString& text) { text.Trim(YString::TrimStart | YString::TrimEnd, Blanks); }

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
    StartContent();
    YTextFile file;
    if (!file.Open(fileName, YTextFile::ModeRead)) return Fail("Opening");
    int currentSection = 0;
    YString line;
    while (!file.IsEof()) {
        file.ReadLine(line);
        TakeLine(line, currentSection);
    }
    if (file.HasFailed()) return Fail("Reading");
    return true;
}

void YIniFile::TakeLine(YString& line, int& currentSection) {
    TrimBlanks(line);
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
    if (fileName.IsEmpty()) return Fail("Creating");
    YString temporaryName = fileName;
    temporaryName += TemporarySuffix;
    YTextFile file;
    if (!file.Open(temporaryName, YTextFile::ModeWrite)) return Fail("Creating");
    bool written;
    try {
        written = WriteContent(file);
    } catch (const YSystemException&) {
        file.Close();
        YTextFile::Remove(temporaryName);
        throw;
    }
    // Closing writes what is still buffered, so it can fail like any write.
    if (!file.Close() || !written) {
        YTextFile::Remove(temporaryName);
        return Fail("Writing");
    }
    if (!YTextFile::Replace(temporaryName, fileName)) {
        YTextFile::Remove(temporaryName);
        return Fail("Replacing");
    }
    return true;
}

bool YIniFile::WriteContent(YTextFile& file) const {
    YString line;
    for (int s = 0; s < sections.Count(); ++s) {
        const YIniSection& section = sections[s];
        if (!section.name.IsEmpty()) {
            line.Empty();
            if (!file.WriteLine(line)) return false;
            line = "[";
            line += section.name;
            line += ']';
            if (!file.WriteLine(line)) return false;
        }
        for (int e = 0; e < section.entries.Count(); ++e) {
            const YIniEntry& entry = section.entries[e];
            if (entry.removed) continue;
            if (entry.key.IsEmpty()) {
                if (!file.WriteLine(entry.value)) return false;
                continue;
            }
            line = entry.key;
            line += " = ";
            line += entry.value;
            if (!file.WriteLine(line)) return false;
        }
    }
    return true;
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
