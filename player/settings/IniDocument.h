#pragma once

// One settings file held in memory: its bytes exactly as read, its encoding, and an
// index of its sections and keys. Lookups are served from the index; an edit produces
// the new bytes of the file with only the one value changed.
//
// Format: "[name]" lines open sections; "key=value" lines inside a section give
// values; lines whose first non-blank character is ";" are comments; any other line
// is ignored, as are keys before the first section. Lines end in LF or CR LF. Section
// and key names are trimmed of spaces and tabs and matched regardless of ASCII letter
// case. A section may occur more than once: its occurrences are read as one section,
// and the first occurrence of a key wins.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/TextEncoding.h"

namespace orvane {

class IniDocument {
public:
    // The longest value handed out, in bytes of the file's encoding.
    static constexpr std::size_t MaxValueBytes = 254;

    IniDocument() = default;
    explicit IniDocument(std::string bytes);

    const std::string& Bytes() const noexcept { return bytes_; }
    FileEncoding Encoding() const noexcept { return encoding_; }

    // The value of `key` in `section` (UTF-8 names) as UTF-8, or nothing when the
    // section or key is missing. The value is trimmed of spaces and tabs, loses one
    // matching pair of surrounding double or single quotes, ends at a NUL byte, and is
    // cut to MaxValueBytes bytes of the file's encoding at a character boundary.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // The bytes of the file after setting `key` in `section` to `value` (all UTF-8):
    // the value of the key's first occurrence is replaced; a missing key is added after
    // the last key of the section's first occurrence; a missing section is added at the
    // end. The value is written in the file's encoding with the file's line ends; every
    // other byte stays as it is. Names that could not be read back as the same section
    // and key (empty, or holding a line break, "]" in a section, "=" in a key, or a key
    // starting with ";" or "[") give nothing. Line breaks in the value become spaces.
    // The file keeps its encoding: a UTF-8 file that would otherwise read as code page
    // 932 gets a byte order mark, and a code page 932 file that would read as UTF-8
    // gives nothing.
    std::optional<std::string> WithValue(std::string_view section, std::string_view key,
                                         std::string_view value) const;

private:
    struct Entry {
        std::size_t valueBegin;  // first byte after "=" and the blanks after it
        std::size_t valueEnd;    // end of the line's text (before CR LF / LF)
    };
    struct Occurrence {
        std::size_t insertAt;     // end of the line of the header or the last key
        bool insertNeedsLineEnd;  // that line has no line end (end of file)
    };
    struct Section {
        std::unordered_map<std::string, Entry> keys;  // folded key -> first occurrence
        Occurrence first{};
    };

    void Parse();
    std::optional<std::string> KeepingEncoding(std::string edited) const;
    const Entry* Find(std::string_view section, std::string_view key) const;
    std::string NameOf(std::string_view bytes) const;

    std::string bytes_;
    FileEncoding encoding_ = FileEncoding::Utf8;
    std::string lineEnd_ = "\n";
    std::unordered_map<std::string, Section> sections_;  // folded name -> section
};

}  // namespace orvane
