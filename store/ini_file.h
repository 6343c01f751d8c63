#pragma once
// An initialization file (sections of key=value lines) held in memory: load once,
// read and change values, save once with a crash-safe write. Every line that is not
// changed is kept byte for byte: comments, blank lines, unknown sections and keys,
// and each line's own line end (a file written on Windows keeps its CRLF, an old
// Mac file its CR). A file
// in UTF-16 with a byte order mark (as the Windows profile functions and Notepad
// write it) is held as UTF-8 and written back in UTF-16 of the same byte order.
#include <string>
#include <string_view>
#include <vector>

#include "store/store_result.h"
#include "store/text_encoding.h"

namespace ostrel {

inline constexpr size_t kMaxValueLength = 255;  // a value fits a 256-byte buffer

// The number rule of the settings: leading white space, an optional sign, decimal
// digits up to the first other character; no digits give 0 (values beyond the
// range of int are held at its limits).
int ParseIntLikeAtoi(std::string_view text);

class IniFile {
  public:
    IniFile() = default;
    // A document made from text, as Load would read it from a file.
    static IniFile FromText(std::string_view text);

    // Reads the file at path (see ReadStoredFile). A missing file gives an empty
    // document and Ok; a file that exists but cannot be read, is no regular file or
    // is too large gives an empty document and IoFailure with the reason in why,
    // so that a caller never writes over content it could not see.
    StoreResult Load(const std::string& path, std::string* why = nullptr);
    // Writes the document to path in one crash-safe step; the reason of a failure
    // in why (the system's words).
    StoreResult Save(const std::string& path, std::string* why = nullptr) const;
    // The whole file content as Save writes it.
    std::string Text() const;

    // The value of key in section (both found without regard to case), blanks around
    // it removed, then one pair of double quotes around it, at most 255 characters;
    // "" when the section or key is absent.
    // A longer limit serves lists of paths, which a cut would turn into another path.
    std::string Get(std::string_view section, std::string_view key,
                    size_t limit = kMaxValueLength) const;
    bool Has(std::string_view section, std::string_view key) const;
    // Whether a section of that name (without regard to case) is in the document.
    bool HasSection(std::string_view section) const;

    // Stores value under key in section, in double quotes when Get would otherwise
    // not read it back as it is (blanks or quotes at its ends). An existing value
    // is replaced where it stands; a new key goes after the last key of its
    // section; a new section goes at the end of the file. Refused, with the
    // document unchanged: values over 255 characters (TooLong), and values holding
    // a line break or NUL, empty names, section names holding ']' and key names
    // holding '=' (InvalidText).
    StoreResult Set(std::string_view section, std::string_view key, std::string_view value,
                    size_t limit = kMaxValueLength);

    // Every key line, in the file's order: its section and key as the file
    // spells them (trimmed), and whether it is the one that Get finds (a key
    // given again in the section, or in a section of the same name, is not).
    struct KeyLine {
        std::string section, key;
        bool found;
    };
    std::vector<KeyLine> KeyLines() const;

  private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\n", "\r\n", "\r" or "" (last line without a line end)
    };
    // Where a key stands: the line of the key, or -1.
    int FindKey(std::string_view section, std::string_view key) const;
    const std::string& NewLineEnd() const;

    std::vector<Line> lines_;
    std::string bom_;  // a UTF-8 byte order mark at the start, kept as it was
    FileEncoding encoding_ = FileEncoding::Bytes;
};

}  // namespace ostrel
