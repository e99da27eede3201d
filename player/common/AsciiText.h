#pragma once

// Letter case and blanks of plain ASCII text. Only the 26 ASCII letters are folded,
// so UTF-8 text passes through unchanged: no byte of a multi-byte UTF-8 character is
// in the ASCII range. (Code page 932 is different: the second byte of a double-byte
// character can be an ASCII letter, so such text is converted to UTF-8 first.)

#include <string>
#include <string_view>

namespace orvane {

constexpr char AsciiToLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline void AsciiFoldInPlace(std::string& text) noexcept {
    for (char& c : text) c = AsciiToLower(c);
}

// `text` with its ASCII letters in lower case.
inline std::string AsciiFold(std::string_view text) {
    std::string folded(text);
    AsciiFoldInPlace(folded);
    return folded;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
    }
    return true;
}

// `text` without the leading and trailing characters that are in `characters`.
constexpr std::string_view Trim(std::string_view text, std::string_view characters) noexcept {
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

}  // namespace orvane
