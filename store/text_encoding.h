#pragma once
// The encodings in which settings and configuration files arrive: bytes as they
// are (UTF-8 or Windows-1252), and UTF-16 with a byte order mark, as the Windows
// profile functions and Notepad write them.
#include <string>
#include <string_view>

namespace ostrel {

enum class FileEncoding { Bytes, Utf16Le, Utf16Be };

// The encoding a file's first bytes announce: a UTF-16 byte order mark, else Bytes.
FileEncoding EncodingOf(std::string_view content);

// UTF-16 text (after its byte order mark) as UTF-8. A lone surrogate is kept as
// as its own three-byte form, so that text read and written back unchanged gives
// the same bytes; an odd last byte, half a character, is dropped.
std::string Utf16ToUtf8(std::string_view units, FileEncoding encoding);
// UTF-8 text as UTF-16 units, without a byte order mark; a byte that is no part
// of a UTF-8 sequence is taken as Windows-1252, as the Windows program would.
std::string Utf8ToUtf16(std::string_view text, FileEncoding encoding);

}  // namespace ostrel
