#include "link/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace zul {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// "[name]" -> name; false for any other line.
bool SectionName(const std::string& text, std::string& name) {
    std::string t = Trim(text);
    if (t.empty() || t[0] != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" -> key and the position where the value begins (after '=' and blanks).
bool KeyLine(const std::string& text, std::string& key, size_t& valueStart) {
    std::string t = Trim(text);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(text.substr(0, eq));
    if (key.empty()) return false;
    valueStart = eq + 1;
    while (valueStart < text.size() && IsBlank(text[valueStart])) ++valueStart;
    return true;
}

std::string UnquoteValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// The text to put after '=' so that reading gives `value` back.
std::string QuoteValue(const std::string& value) {
    std::string v = value;
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';  // a line end would split the line
    bool needsQuotes = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        needsQuotes = true;
    return needsQuotes ? "\"" + v + "\"" : v;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += size_t(w);
    }
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) { Load(); }

bool IniFile::Load() {
    lines_.clear();
    modified_ = false;
    exists_ = false;
    readable_ = true;
    struct stat st{};
    if (::stat(path_.c_str(), &st) != 0) {
        // Missing: an empty profile that Save() creates. Anything else (a folder we
        // may not enter, a name too long) cannot be read and must not be written.
        readable_ = errno == ENOENT;
        return readable_;
    }
    exists_ = true;
    if (!S_ISREG(st.st_mode) || size_t(st.st_size) > kMaxBytes) {
        readable_ = false;
        return false;
    }
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        readable_ = false;
        return false;
    }
    std::string data;
    char buf[8192];
    for (;;) {
        ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            ::close(fd);
            readable_ = false;
            return false;
        }
        if (r == 0) break;
        data.append(buf, size_t(r));
        if (data.size() > kMaxBytes) {
            ::close(fd);
            readable_ = false;
            return false;
        }
    }
    ::close(fd);
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find_first_of("\r\n", pos);
        Line line;
        if (end == std::string::npos) {
            line.text = data.substr(pos);
            pos = data.size();
        } else {
            line.text = data.substr(pos, end - pos);
            size_t eolLen = data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n' ? 2 : 1;
            line.eol = data.substr(end, eolLen);
            pos = end + eolLen;
        }
        lines_.push_back(std::move(line));
    }
    return true;
}

int IniFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (SectionName(lines_[i].text, name) && SameName(name, section)) return int(i);
    return -1;
}

int IniFile::SectionEnd(int h) const {
    std::string name;
    for (size_t i = size_t(h) + 1; i < lines_.size(); ++i)
        if (SectionName(lines_[i].text, name)) return int(i);
    return int(lines_.size());
}

int IniFile::FindKey(int h, const std::string& key) const {
    const int end = SectionEnd(h);
    std::string k;
    size_t vs = 0;
    for (int i = h + 1; i < end; ++i)
        if (KeyLine(lines_[size_t(i)].text, k, vs) && SameName(k, key)) return i;
    return -1;
}

bool IniFile::Read(const std::string& section, const std::string& key, std::string& value) const {
    if (!readable_) return false;
    int h = FindSection(section);
    if (h < 0) return false;
    int k = FindKey(h, key);
    if (k < 0) return false;
    std::string name;
    size_t vs = 0;
    KeyLine(lines_[size_t(k)].text, name, vs);
    value = UnquoteValue(lines_[size_t(k)].text.substr(vs));
    return true;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    std::string v;
    return Read(section, key, v) ? v : defaultValue;
}

bool IniFile::ParseInteger(const std::string& text, int32_t& value) {
    std::string t = Trim(text);
    if (t.empty() || t.size() > 20) return false;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > int64_t(UINT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > int64_t(UINT32_MAX)) return false;
    value = int32_t(uint32_t(v));
    return true;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t defaultValue) const {
    std::string v;
    int32_t n = 0;
    if (Read(section, key, v) && ParseInteger(v, n)) return n;
    return defaultValue;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    int h = FindSection(section);
    if (h < 0) return keys;
    const int end = SectionEnd(h);
    std::string k;
    size_t vs = 0;
    for (int i = h + 1; i < end; ++i)
        if (KeyLine(lines_[size_t(i)].text, k, vs)) keys.push_back(k);
    return keys;
}

bool IniFile::HasSection(const std::string& section) const { return FindSection(section) >= 0; }

std::string IniFile::NewLineEnd() const {
    for (const Line& l : lines_)
        if (!l.eol.empty()) return l.eol;
    return "\r\n";
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!readable_) return;
    const std::string eol = NewLineEnd();
    const std::string quoted = QuoteValue(value);
    int h = FindSection(section);
    if (h < 0) {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
        lines_.push_back({"[" + section + "]", eol});
        lines_.push_back({key + "=" + quoted, eol});
        modified_ = true;
        return;
    }
    int k = FindKey(h, key);
    if (k >= 0) {
        Line& line = lines_[size_t(k)];
        std::string name;
        size_t vs = 0;
        KeyLine(line.text, name, vs);
        std::string text = line.text.substr(0, vs) + quoted;
        if (text != line.text) {
            line.text = std::move(text);
            modified_ = true;
        }
        return;
    }
    // A new key goes after the last non-blank line of its section.
    int at = h + 1;
    const int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (!Trim(lines_[size_t(i)].text).empty()) at = i + 1;
    if (lines_[size_t(at - 1)].eol.empty()) lines_[size_t(at - 1)].eol = eol;
    lines_.insert(lines_.begin() + at, Line{key + "=" + quoted, eol});
    modified_ = true;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

std::string IniFile::Text() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

bool WriteFileAtomically(const std::string& path, const std::string& data) {
    return WriteFileAtomicallyBy(path, [&data](const std::string& tmp) {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return false;
        const bool ok = WriteAll(fd, data);
        return ::close(fd) == 0 && ok;
    });
}

bool WriteFileAtomicallyBy(const std::string& path, const std::function<bool(const std::string&)>& fill) {
    // Write through a symbolic link to the file it names.
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    mode_t mode = 0666;
    struct stat st{};
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    // One temporary name per target: a writer killed half-way leaves at most this
    // one file, which the next write of the same target replaces.
    const std::string tmp = AtomicWriteTemporary(target);
    bool ok = fill(tmp);
    if (ok) {
        const int fd = ::open(tmp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        ok = fd >= 0 && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
        if (fd >= 0) ok = ::close(fd) == 0 && ok;
    }
    if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // The rename itself survives a power cut once the folder is on disk.
    const std::string folder = std::filesystem::path(target).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string AtomicWriteTemporary(const std::string& path) {
    const std::filesystem::path p(path);
    return (p.parent_path() / ("." + p.filename().string() + ".part")).string();
}

bool IniFile::Save() {
    if (!readable_) return false;
    if (!modified_) return true;
    if (!WriteFileAtomically(path_, Text())) return false;
    exists_ = true;
    modified_ = false;
    return true;
}

}  // namespace zul
