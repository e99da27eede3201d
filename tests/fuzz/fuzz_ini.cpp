// Any bytes as a settings file: parse them, read keys, set a value, and check that the
// edit changed nothing but that value.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/IniDocument.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const orvane::IniDocument document(bytes);
    Require(document.Bytes() == bytes);

    // Names taken from the input itself, so keys that exist get looked up too.
    const std::string_view all(bytes);
    const std::string_view head = all.substr(0, all.find('\n'));
    for (const std::string_view section : {std::string_view("Main"), head.substr(0, 24)}) {
        for (const std::string_view key :
             {std::string_view("Sensor1"), head.substr(head.empty() ? 0 : 1, 8)}) {
            if (const auto value = document.Value(section, key)) {
                Require(value->find('\0') == std::string::npos);
            }
            // Writes refuse names that cannot be read back; the rest must read back the
            // written value, and a value that did not change leaves the bytes alone.
            const auto edited = document.WithValue(section, key, "42");
            if (!edited) continue;
            const orvane::IniDocument reread(*edited);
            // Replacing the only bytes that were not UTF-8 can turn a Shift-JIS file
            // into a UTF-8 one, and its names then read differently.
            if (reread.Encoding() != document.Encoding()) continue;
            const auto written = reread.Value(section, key);
            Require(written.has_value() && *written == "42");
            const auto again = reread.WithValue(section, key, "42");
            Require(again.has_value() && *again == *edited);
        }
    }
    return 0;
}
