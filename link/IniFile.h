// A settings file in the classic profile layout: "[section]" lines followed by
// "key=value" lines. Writing a key replaces its value in place; every other line
// (comments, foreign sections, unknown keys, lines we cannot make sense of) stays
// byte for byte as it was; a missing section or key is added. Section and key names
// compare without regard to ASCII case, the first occurrence wins. Values are bytes
// (the program keeps its texts in cp1251) and are trimmed of blanks when read, with
// one pair of enclosing quotes removed; a value that would not survive that is
// written inside double quotes.
//
// Changes are made in memory and reach the disk with Save(), which writes the whole
// file to a temporary name beside it and renames it into place, and only when some
// value really changed: an untouched file keeps its bytes and its modification time.
// A file that exists but cannot be read gives no values and is never overwritten.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zul {

class IniFile {
public:
    // Larger files are not settings files of ours: treated as unreadable.
    static constexpr size_t kMaxBytes = 4u << 20;

    explicit IniFile(std::string path);

    // (Re)reads the file. A missing file gives an empty profile (true); a file that
    // exists but cannot be read gives an empty profile that cannot be saved (false).
    bool Load();
    bool Readable() const { return readable_; }
    bool Modified() const { return modified_; }
    const std::string& Path() const { return path_; }

    // True when the key exists; `value` gets its text.
    bool Read(const std::string& section, const std::string& key, std::string& value) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // A missing key, or a value that is not a whole decimal integer within
    // -2^31 .. 2^32-1, gives the default; values above 2^31-1 wrap as 32-bit.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    // Names of the keys of a section in file order (first section of that name).
    std::vector<std::string> Keys(const std::string& section) const;
    bool HasSection(const std::string& section) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

    // Writes the file when something changed (temporary name, then rename).
    // False when the file could not be written; the old file is then untouched.
    bool Save();

    // The whole content as it would be saved.
    std::string Text() const;

    // Parses an integer the way ReadInteger does.
    static bool ParseInteger(const std::string& text, int32_t& value);

private:
    struct Line {
        std::string text;  // without the line end
        std::string eol;   // "\r\n", "\n", "\r" or "" (last line without one)
    };
    // Index of the header line of a section, or -1.
    int FindSection(const std::string& section) const;
    // Index of the key's line inside the section starting at header `h`, or -1.
    int FindKey(int h, const std::string& key) const;
    int SectionEnd(int h) const;  // index of the next header, or the line count
    std::string NewLineEnd() const;

    std::string path_;
    std::vector<Line> lines_;
    bool exists_ = false;
    bool readable_ = true;
    bool modified_ = false;
};

// Every file the program keeps is written here: `data` goes to a temporary file
// beside `path` (AtomicWriteTemporary), is flushed to disk and renamed into place,
// so the old file survives a failure or a crash at any moment whole. The file keeps
// its permissions (a new one gets the usual ones). False on failure, the old file
// then untouched.
bool WriteFileAtomically(const std::string& path, const std::string& data);
// The same for a file another writer makes (a workbook): `fill` writes the whole
// file at the temporary path it is given and says whether it succeeded.
bool WriteFileAtomicallyBy(const std::string& path, const std::function<bool(const std::string& temporary)>& fill);
// The temporary file of a write of `path`: ".NAME.part" in the same folder.
std::string AtomicWriteTemporary(const std::string& path);

}  // namespace zul
