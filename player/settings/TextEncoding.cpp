#include "settings/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "common/Cp932.h"

namespace orvane {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the UTF-8 sequence starting at `pos`, or 0 when it is malformed.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t pos) noexcept {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char c = at(pos);
    if (c < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;   // overlong
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;   // overlong
        if (c == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) return 0;
    if (at(pos + 1) < low || at(pos + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(pos + i) < 0x80 || at(pos + i) > 0xBF) return 0;
    }
    return length;
}

// One iconv descriptor per direction, opened on first use and kept: opening one
// costs far more than converting a short value.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `input`; each character iconv refuses is replaced by `replacement` and
    // skipped (a whole UTF-8 sequence when the input is UTF-8, else one byte), so the
    // conversion always finishes.
    std::string Convert(std::string_view input, std::string_view replacement, bool fromUtf8) {
        std::lock_guard lock(mutex_);
        std::string out;
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            out.assign(input);
            return out;
        }
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        out.reserve(input.size() * 3 / 2 + 8);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: a byte that does not start a valid character.
            out.append(replacement);
            std::size_t skip = 1;
            if (fromUtf8) {
                const auto offset = static_cast<std::size_t>(in - input.data());
                skip = std::max<std::size_t>(1, Utf8SequenceLength(input, offset));
            }
            in += skip;
            inLeft -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t handle_;
    std::mutex mutex_;
};

Converter& Cp932ToUtf8Converter() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& Utf8ToCp932Converter() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

// True when `bytes` is well-formed code page 932: ASCII, half-width katakana, and
// lead bytes each followed by a trail byte.
bool IsValidCp932(std::string_view bytes) noexcept {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
        if (!IsCp932LeadByte(c) || i + 1 >= bytes.size() ||
            !IsCp932TrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            return false;
        }
        ++i;
    }
    return true;
}

// Valid UTF-8 `bytes` that are more likely Shift-JIS half-width katakana (see
// DetectEncoding).
bool LooksLikeHalfWidthKatakana(std::string_view bytes) noexcept {
    bool latin1 = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, pos);
        if (length > 2) return false;
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead == 0xC2 || lead == 0xC3) latin1 = true;  // U+0080 to U+00FF
        pos += length;
    }
    return latin1 && IsValidCp932(bytes);
}

bool IsAscii(std::string_view bytes) noexcept {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) noexcept {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(bytes, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

FileEncoding DetectEncoding(std::string_view bytes) noexcept {
    if (!IsValidUtf8(bytes)) return FileEncoding::Cp932;
    if (bytes.starts_with(kByteOrderMark)) return FileEncoding::Utf8;
    return LooksLikeHalfWidthKatakana(bytes) ? FileEncoding::Cp932 : FileEncoding::Utf8;
}

std::size_t CutLength(std::string_view bytes, std::size_t limit, FileEncoding encoding) noexcept {
    if (bytes.size() <= limit) return bytes.size();
    if (encoding == FileEncoding::Utf8) {
        std::size_t cut = limit;
        // Step back over continuation bytes to the start of the cut character.
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
        return cut;
    }
    std::size_t pos = 0;
    while (pos < limit) {
        const std::size_t length = IsCp932LeadByte(static_cast<unsigned char>(bytes[pos])) ? 2 : 1;
        if (pos + length > limit) break;
        pos += length;
    }
    return pos;
}

std::string ToUtf8(std::string_view bytes, FileEncoding encoding) {
    if (encoding == FileEncoding::Utf8 || IsAscii(bytes)) return std::string(bytes);
    return Cp932ToUtf8Converter().Convert(bytes, kReplacementCharacter, false);
}

std::string FromUtf8(std::string_view utf8, FileEncoding encoding) {
    if (IsAscii(utf8)) return std::string(utf8);
    if (encoding == FileEncoding::Cp932) return Utf8ToCp932Converter().Convert(utf8, "?", true);
    // A malformed byte written into a UTF-8 file would make the whole file read as
    // code page 932 next time, so it is replaced.
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t length = Utf8SequenceLength(utf8, pos);
        if (length == 0) {
            out.push_back('?');
            ++pos;
        } else {
            out.append(utf8.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

}  // namespace orvane
