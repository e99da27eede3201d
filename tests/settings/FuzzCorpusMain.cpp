// Runs a fuzz target's entry point over every file of the corpus folders given on the
// command line, and over a fixed set of hostile inputs, so normal builds exercise the
// fuzz targets without libFuzzer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Run(const std::string& input) {
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()),
                                  input.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream file(entry.path(), std::ios::binary);
            std::string input(entry.file_size(), '\0');
            file.read(input.data(), static_cast<std::streamsize>(input.size()));
            Run(input);
            ++count;
        }
    }
    // Random bytes, and random mixes of the characters the parsers care about.
    std::mt19937 random(12345);
    static const char kAlphabet[] =
        "[]=;\"' \t\r\n\0&HhOoEe+-.0123456789AF\x81\x82\xE0\xFC\xEF\xBB\xBF";
    const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string input(random() % 200, '\0');
        for (char& c : input) {
            c = round % 2 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        }
        Run(input);
        ++count;
    }
    std::printf("%zu inputs run\n", count);
    return count > 0 ? 0 : 1;
}
