#include "settings/IniDocument.h"

#include <algorithm>

#include "common/AsciiText.h"
#include "common/Cp932.h"

namespace orvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Names and values lose the spaces and tabs around them.
std::string_view TrimBlanks(std::string_view text) noexcept {
    return Trim(text, " \t");
}

// Position of the "]" that closes a section name. In code page 932 the second byte of
// a double-byte character can be 0x5D, so those characters are stepped over whole.
std::size_t FindClosingBracket(std::string_view line, FileEncoding encoding) noexcept {
    if (encoding == FileEncoding::Utf8) return line.find(']');
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == ']') return i;
        if (IsCp932LeadByte(c)) ++i;
    }
    return std::string_view::npos;
}

bool HasAny(std::string_view text, std::string_view characters) noexcept {
    return text.find_first_of(characters) != std::string_view::npos;
}

}  // namespace

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {
    Parse();
}

std::string IniDocument::NameOf(std::string_view bytes) const {
    std::string name = ToUtf8(TrimBlanks(bytes), encoding_);
    AsciiFoldInPlace(name);
    return name;
}

void IniDocument::Parse() {
    encoding_ = DetectEncoding(bytes_);
    const std::string_view all(bytes_);
    const std::size_t firstLf = all.find('\n');
    lineEnd_ = (firstLf != std::string_view::npos && firstLf > 0 && all[firstLf - 1] == '\r')
                   ? "\r\n"
                   : "\n";

    Section* current = nullptr;
    bool currentIsFirst = false;
    std::size_t pos = all.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (pos < all.size()) {
        std::size_t lineEnd = all.find('\n', pos);
        const bool hasLf = lineEnd != std::string_view::npos;
        if (!hasLf) lineEnd = all.size();
        std::size_t textEnd = lineEnd;
        if (hasLf && textEnd > pos && all[textEnd - 1] == '\r') --textEnd;
        const std::size_t next = hasLf ? lineEnd + 1 : lineEnd;
        const Occurrence here{next, !hasLf};

        const std::string_view line = TrimBlanks(all.substr(pos, textEnd - pos));
        if (line.starts_with('[')) {
            const std::size_t close = FindClosingBracket(line, encoding_);
            if (close != std::string_view::npos) {
                auto [it, inserted] = sections_.try_emplace(NameOf(line.substr(1, close - 1)));
                current = &it->second;
                currentIsFirst = inserted;
                if (inserted) current->first = here;
            }
        } else if (current != nullptr && !line.empty() && line.front() != ';') {
            const std::size_t equals = line.find('=');
            if (equals != std::string_view::npos && equals > 0) {
                const std::size_t afterEquals =
                    static_cast<std::size_t>(line.data() - all.data()) + equals + 1;
                const std::size_t valueBegin =
                    std::min(textEnd, all.find_first_not_of(" \t", afterEquals));
                current->keys.try_emplace(NameOf(line.substr(0, equals)),
                                          Entry{valueBegin, std::max(valueBegin, textEnd)});
                if (currentIsFirst) current->first = here;
            }
        }
        pos = next;
    }
}

const IniDocument::Entry* IniDocument::Find(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(AsciiFold(TrimBlanks(section)));
    if (s == sections_.end()) return nullptr;
    const auto k = s->second.keys.find(AsciiFold(TrimBlanks(key)));
    return k == s->second.keys.end() ? nullptr : &k->second;
}

std::optional<std::string> IniDocument::Value(std::string_view section,
                                              std::string_view key) const {
    const Entry* entry = Find(section, key);
    if (entry == nullptr) return std::nullopt;
    std::string_view value = TrimBlanks(
        std::string_view(bytes_).substr(entry->valueBegin, entry->valueEnd - entry->valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    value = value.substr(0, value.find('\0'));
    value = value.substr(0, CutLength(value, MaxValueBytes, encoding_));
    return ToUtf8(value, encoding_);
}

std::optional<std::string> IniDocument::WithValue(std::string_view section, std::string_view key,
                                                  std::string_view value) const {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    using namespace std::string_view_literals;
    const std::string_view lineBreaks("\r\n\0", 3);
    if (section.empty() || key.empty() || HasAny(section, lineBreaks) || HasAny(key, lineBreaks) ||
        HasAny(section, "]"sv) || HasAny(key, "="sv) || key.front() == ';' || key.front() == '[') {
        return std::nullopt;
    }
    const std::string sectionBytes = FromUtf8(section, encoding_);
    const std::string keyBytes = FromUtf8(key, encoding_);
    if (ToUtf8(sectionBytes, encoding_) != section || ToUtf8(keyBytes, encoding_) != key) {
        return std::nullopt;  // not UTF-8, or not representable in the file's encoding
    }
    std::string text(value);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    const std::string encoded = FromUtf8(text, encoding_);

    std::string out;
    out.reserve(bytes_.size() + encoded.size() + section.size() + key.size() + 16);
    if (const Entry* entry = Find(section, key)) {
        out.append(bytes_, 0, entry->valueBegin);
        out.append(encoded);
        out.append(bytes_, entry->valueEnd);
        return KeepingEncoding(std::move(out));
    }
    const std::string keyLine = keyBytes + "=" + encoded;
    const auto s = sections_.find(AsciiFold(section));
    if (s != sections_.end()) {
        const Occurrence& at = s->second.first;
        out.append(bytes_, 0, at.insertAt);
        if (at.insertNeedsLineEnd) out.append(lineEnd_);
        out.append(keyLine);
        if (!at.insertNeedsLineEnd) out.append(lineEnd_);
        out.append(bytes_, at.insertAt);
        return KeepingEncoding(std::move(out));
    }
    out = bytes_;
    if (!out.empty() && out.back() != '\n') out.append(lineEnd_);
    out.append("[").append(sectionBytes).append("]").append(lineEnd_);
    out.append(keyLine).append(lineEnd_);
    return KeepingEncoding(std::move(out));
}

std::optional<std::string> IniDocument::KeepingEncoding(std::string edited) const {
    const FileEncoding detected = DetectEncoding(edited);
    if (detected == encoding_ || ToUtf8(edited, detected) == ToUtf8(edited, encoding_)) {
        return edited;
    }
    // Latin-1 text written into a UTF-8 file without a byte order mark can make the file
    // look like Shift-JIS katakana: the mark keeps it UTF-8.
    if (encoding_ == FileEncoding::Utf8) return std::string(kByteOrderMark) + edited;
    return std::nullopt;  // Shift-JIS that would read as UTF-8: not written
}

}  // namespace orvane
