#pragma once

// The two encodings a settings file can be in, and the conversions between them and
// the UTF-8 the rest of the program works in. Settings files are usually Shift-JIS
// (code page 932), the encoding Japanese desktops save text in; files edited on Linux
// are usually UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

enum class FileEncoding { Utf8, Cp932 };

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF). Plain ASCII is UTF-8.
bool IsValidUtf8(std::string_view bytes) noexcept;

// The encoding of a whole file. Bytes that are not valid UTF-8 make it code page 932;
// valid UTF-8 with a leading byte order mark is UTF-8. Other valid UTF-8 is taken as
// code page 932 only when it looks like Shift-JIS half-width katakana: pairs of
// katakana can form two-byte UTF-8 sequences ("ﾃｽ" is C3 BD, the UTF-8 of "ý"), so a
// file that has no character beyond U+07FF (no Japanese text in UTF-8), has one from
// U+0080 to U+00FF (C1 controls and Latin-1 letters and signs, rare in settings text)
// and is valid code page 932 is read as code page 932.
FileEncoding DetectEncoding(std::string_view bytes) noexcept;

// Length of the longest prefix of `bytes` that is at most `limit` bytes long and does
// not end in the middle of a character of `encoding`.
std::size_t CutLength(std::string_view bytes, std::size_t limit, FileEncoding encoding) noexcept;

// Text of the file's encoding as UTF-8. A byte that is not valid code page 932
// becomes U+FFFD; UTF-8 text is passed through unchanged.
std::string ToUtf8(std::string_view bytes, FileEncoding encoding);

// UTF-8 text in the file's encoding. A character code page 932 cannot represent, or
// a byte that is not valid UTF-8, becomes "?".
std::string FromUtf8(std::string_view utf8, FileEncoding encoding);

}  // namespace orvane
