#pragma once

#include "YDynArray.hpp"
#include "YString.hpp"

// One line of a section: a key with its value, or a comment (empty key, the whole line as value).
struct YIniEntry {
    bool removed = false;
    YString key;
    YString value;
};

// A named section and its lines in file order. Only section 0 has no name.
struct YIniSection {
    YString name;
    YDynArray<YIniEntry> entries;
};

// An INI-style settings file held in memory as ordered sections of ordered lines, so that a load
// and save keep comments and the order of sections and keys. Section names and keys compare
// without regard to letter case and keep the spelling under which they were first read or stored.
// Section 0 holds whatever precedes the first header and is never found by name.
class YIniFile {
public:
    YIniFile() = default;
    YIniFile(const YIniFile&) = delete;
    YIniFile& operator=(const YIniFile&) = delete;
    // Saves when something was stored since the last load or save.
    ~YIniFile();

    void SetFileName(const YString& path) { fileName = path; }
    const YString& FileName() const { return fileName; }
    // The text of the last failed load or save.
    const YString& LastError() const { return lastError; }
    bool IsModified() const { return modified; }

    // Replaces the whole content by the file's, which is 8-bit text; a UTF-8 byte-order mark is
    // skipped. False when the file could not be opened or holds what cannot be such text (a UTF-16
    // byte-order mark, a NUL byte or another control character than tab, vertical tab, form feed,
    // CR and Ctrl-Z): the content is then section 0 alone. False too when the file could not be
    // read to its end: the content is what was read. A file that exists but could not be read
    // (or decoded) is never written until the next Load: see Save.
    bool Load();
    // Writes the content to a temporary file beside the file and then puts it in the file's place
    // (YTextFile::Replace, which keeps the file's identity), so that a failure at any step leaves
    // the old file as it was. When the temporary file cannot be created (a folder that takes no new
    // file) or another program holds the file open, the file is written in place instead; only
    // there can a failed write (a full disk) leave a partly written file. False, with nothing
    // written, when the last Load found the file but could not read it (LastError then still
    // names that failure) or the file is read-only; false, too, when every way failed.
    bool Save();

    // `value` is emptied first; false when the section or the key does not exist.
    bool GetValue(const YString& section, const YString& key, YString& value) const;
    // Appends the section and/or the key when missing; always counts as a change.
    void SetValue(const YString& section, const YString& key, const YString& value);
    // The key is no longer found or saved; storing it again appends it at the end of its section.
    bool RemoveKey(const YString& section, const YString& key);
    // -1 when the section does not exist; comments and removed keys do not count.
    int KeyCount(const YString& section) const;
    // `key` is emptied first; the index counts as KeyCount does.
    bool KeyAt(const YString& section, int index, YString& key) const;

    // The stored number when it parses and lies in [min, max]; otherwise `defaultValue`, which is
    // then stored in place of what was there.
    void ReadInt(const YString& section, const YString& key, int& value, int min, int max, int defaultValue);
    void ReadDouble(const YString& section, const YString& key, double& value, double min, double max, double defaultValue);
    void WriteInt(const YString& section, const YString& key, int value);
    void WriteDouble(const YString& section, const YString& key, double value);

    // Save writes the new content to the file name followed by this suffix.
    static constexpr const char* TemporarySuffix = ".tmp";

private:
    // Both give -1 when nothing matches.
    int FindSection(const YString& name) const;
    int FindKey(int section, const YString& key) const;
    int AddSection(YString name);
    void AddEntry(int section, YString key, YString value);
    // Discards the content and starts again with an empty section 0.
    void StartContent();
    // Adds one trimmed line of the file; `currentSection` is -1 after a header without a name.
    void TakeLine(const YString& line, int& currentSection);
    // The whole text of the file, each line followed by a line feed.
    void ComposeContent(YString& text) const;
    // Writes the text of ComposeContent into the file itself; `step` names the failure to open it.
    bool SaveInPlace(const YString& text, const char* step);
    // Sets lastError to "<step> INI file (<file name>) failed." and returns false.
    bool Fail(const char* step);

    YDynArray<YIniSection> sections;
    YString lastError;
    bool modified = false;
    YString fileName;
    // The last Load found the file but could not read it: Save leaves it alone.
    bool fileUnreadable = false;
};
