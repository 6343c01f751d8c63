#include "store/ini_file.h"

#include <climits>
#include <set>

#include "store/atomic_file.h"
#include "store/read_file.h"

namespace ostrel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool HasAny(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

constexpr std::string_view kLineBreaksAndNul{"\r\n\0", 3};

bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// A value as the file holds it. Reading trims blanks and drops one pair of
// quotes, so a value that begins or ends with either gets a pair of quotes of its
// own and reads back exactly as written (as with the Windows profile reader).
std::string StoredForm(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value));
    if (!needsQuotes) return std::string(value);
    std::string quoted(1, '"');
    return quoted.append(value).append(1, '"');
}

// "[name]" (blanks allowed around and inside the brackets): the trimmed name.
bool ParseSection(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// "key=value": the trimmed key and everything after the first '='. Lines that
// start with ';' or '#' are comments.
bool ParseKey(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' ||
        trimmed.front() == '[')
        return false;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return !key.empty();
}

}  // namespace

int ParseIntLikeAtoi(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

IniFile IniFile::FromText(std::string_view text) {
    IniFile file;
    file.encoding_ = EncodingOf(text);
    std::string decoded;
    if (file.encoding_ != FileEncoding::Bytes) {
        decoded = Utf16ToUtf8(text.substr(2), file.encoding_);
        text = decoded;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        file.bom_ = std::string(text.substr(0, 3));
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        // A line ends at LF, CRLF or a lone CR (old Mac files).
        Line line;
        const size_t at = text.find_first_of("\r\n");
        if (at == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            line.text = std::string(text.substr(0, at));
            const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
            line.end = crlf ? "\r\n" : std::string(1, text[at]);
            text.remove_prefix(at + line.end.size());
        }
        file.lines_.push_back(std::move(line));
    }
    return file;
}

StoreResult IniFile::Load(const std::string& path, std::string* why) {
    std::string content;
    bool missing = false;
    if (!ReadStoredFile(path, content, why, &missing)) {
        *this = IniFile();
        return missing ? StoreResult::Ok : StoreResult::IoFailure;
    }
    *this = FromText(content);
    return StoreResult::Ok;
}

StoreResult IniFile::Save(const std::string& path, std::string* why) const {
    return WriteFileAtomically(path, Text(), why) ? StoreResult::Ok : StoreResult::IoFailure;
}

std::string IniFile::Text() const {
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.end;
    }
    if (encoding_ == FileEncoding::Bytes) return out;
    return (encoding_ == FileEncoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF") +
           Utf8ToUtf16(out, encoding_);
}

int IniFile::FindKey(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name, k, v;
        if (ParseSection(lines_[i].text, name)) {
            inSection = SameName(name, section);
        } else if (inSection && ParseKey(lines_[i].text, k, v) && SameName(k, key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string IniFile::Get(std::string_view section, std::string_view key, size_t limit) const {
    const int i = FindKey(section, key);
    if (i < 0) return {};
    std::string_view k, value;
    ParseKey(lines_[i].text, k, value);
    value = Trim(value);
    // A value is text: it ends at a NUL byte that a damaged file may hold.
    value = value.substr(0, value.find('\0'));
    // One pair of matching double quotes is dropped, as the Windows profile reader
    // drops it (DATA="007" is 007).
    if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, limit));
}

std::vector<IniFile::KeyLine> IniFile::KeyLines() const {
    std::vector<KeyLine> keys;
    // Names seen so far, without regard to case: the first line of a name is the
    // one FindKey finds. Keys before the first section belong to none.
    std::set<std::string> seen;
    const auto lower = [](std::string_view text) {
        std::string result(text);
        for (char& c : result) c = Lower(c);
        return result;
    };
    std::string_view section;
    bool inSection = false;
    for (const Line& line : lines_) {
        std::string_view name, key, value;
        if (ParseSection(line.text, name)) {
            section = name;
            inSection = true;
        } else if (ParseKey(line.text, key, value)) {
            const bool first = seen.insert(lower(section) + '\0' + lower(key)).second;
            keys.push_back({std::string(section), std::string(key), inSection && first});
        }
    }
    return keys;
}

bool IniFile::Has(std::string_view section, std::string_view key) const {
    return FindKey(section, key) >= 0;
}

bool IniFile::HasSection(std::string_view section) const {
    std::string_view name;
    for (const Line& line : lines_)
        if (ParseSection(line.text, name) && SameName(name, section)) return true;
    return false;
}

// New lines take the line end of the file's first line, so a Windows file stays CRLF.
const std::string& IniFile::NewLineEnd() const {
    static const std::string lf = "\n";
    for (const Line& line : lines_)
        if (!line.end.empty()) return line.end;
    return lf;
}

StoreResult IniFile::Set(std::string_view section, std::string_view key, std::string_view value,
                         size_t limit) {
    if (value.size() > limit) return StoreResult::TooLong;
    const std::string_view trimmedSection = Trim(section), trimmedKey = Trim(key);
    if (HasAny(value, kLineBreaksAndNul) || HasAny(section, kLineBreaksAndNul) ||
        HasAny(key, kLineBreaksAndNul) || trimmedSection.empty() || trimmedKey.empty() ||
        HasAny(section, "]") || HasAny(key, "=") || trimmedKey.front() == ';' ||
        trimmedKey.front() == '#' || trimmedKey.front() == '[')
        return StoreResult::InvalidText;

    const int existing = FindKey(trimmedSection, trimmedKey);
    if (existing >= 0) {
        // Keep the key as the file spells it; replace only what follows '='.
        std::string& text = lines_[existing].text;
        text.erase(text.find('=') + 1);
        text += StoredForm(value);
        return StoreResult::Ok;
    }

    const std::string end = NewLineEnd();
    std::string keyLine(trimmedKey);
    keyLine.append("=").append(StoredForm(value));
    // After the last key line of the section (or its header when it has no keys).
    int insertAfter = -1;
    bool inSection = false, seenSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name, k, v;
        if (ParseSection(lines_[i].text, name)) {
            if (seenSection) break;  // the first section of that name gets the key
            inSection = SameName(name, trimmedSection);
            if (inSection) {
                seenSection = true;
                insertAfter = static_cast<int>(i);
            }
        } else if (inSection && ParseKey(lines_[i].text, k, v)) {
            insertAfter = static_cast<int>(i);
        }
    }
    if (insertAfter >= 0) {
        // The line before may be the file's last line, written without a line end.
        if (lines_[insertAfter].end.empty()) lines_[insertAfter].end = end;
        lines_.insert(lines_.begin() + insertAfter + 1, Line{keyLine, end});
    } else {
        if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = end;
        std::string header("[");
        header.append(trimmedSection).append("]");
        lines_.push_back(Line{header, end});
        lines_.push_back(Line{keyLine, end});
    }
    return StoreResult::Ok;
}

}  // namespace ostrel
