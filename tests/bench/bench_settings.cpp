// Reading the settings file: every key of the layout schema from a full settings
// file (as at start-up), and a key from a 10 MB file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "settings/LayoutSchema.h"
#include "settings/SectionReader.h"
#include "settings/modCommon.h"

namespace {

const orvane::testing::TempDir& Folder() {
    static const orvane::testing::TempDir folder;
    return folder;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A settings file with every key of the schema, each with a value of its kind, in
// CR LF lines like the files Windows users have.
std::string FullSettingsFile() {
    std::string file;
    std::string section;
    for (const orvane::SettingKey& key : orvane::EveryLayoutKey()) {
        if (key.section != section) file += "[" + (section = key.section) + "]\r\n";
        std::string value = "12";
        if (key.kind == orvane::ReadKind::Text) value = "ＭＳ Ｐゴシック";
        if (key.kind == orvane::ReadKind::Flag || key.kind == orvane::ReadKind::BooleanText) {
            value = "True";
        }
        file += key.key + "=" + value + "\r\n";
    }
    return file;
}

// Reads every key of every section of the schema once, as the start-up does.
std::size_t ReadEveryKey() {
    std::size_t count = 0;
    for (const orvane::SectionDef& def : orvane::LayoutSections()) {
        const int slots = def.perSlot ? orvane::DisplaySlotCount : 1;
        for (int slot = 1; slot <= slots; ++slot) {
            const orvane::SectionReader reader(def.id, def.perSlot ? slot : 0, 0x21);
            for (const orvane::KeyDef& key : def.keys) {
                const int indexes = key.numbered ? orvane::SlotCount : 1;
                for (int index = 1; index <= indexes; ++index) {
                    orvane::SettingValue value;
                    if (key.numbered) {
                        value = reader.ReadNumbered(key.key, index);
                    } else if (key.defaultValue.kind == orvane::DefaultKind::Caller) {
                        value = reader.Read(key.key, 255.0);
                    } else {
                        value = reader.Read(key);
                    }
                    benchmark::DoNotOptimize(value);
                    ++count;
                }
            }
        }
    }
    return count;
}

void BM_ReadEveryKeyOfFullFile(benchmark::State& state) {
    const std::string path = Folder().File("full.ini");
    WriteFile(path, FullSettingsFile());
    orvane::SetSettingsFilePath(path);
    const bool parseEachTime = state.range(0) != 0;
    std::size_t keys = 0;
    for (auto _ : state) {
        if (parseEachTime) orvane::ForgetCachedSettings();
        keys = ReadEveryKey();
    }
    state.counters["keys"] = static_cast<double>(keys);
    state.counters["per_key_ns"] =
        benchmark::Counter(static_cast<double>(keys) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(parseEachTime ? "file read and parsed first" : "file already parsed");
}
BENCHMARK(BM_ReadEveryKeyOfFullFile)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_ReadKeyOf10MBFile(benchmark::State& state) {
    const std::string path = Folder().File("big.ini");
    std::string bytes = "[Main]\r\nTransparent=200\r\n";
    for (int section = 0; bytes.size() < 10'000'000; ++section) {
        bytes += "[Section " + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 20; ++key) bytes += "Key" + std::to_string(key) + "=some value\r\n";
    }
    bytes += "[Last]\r\nLong=" + std::string(100000, 'x') + "\r\n";
    WriteFile(path, bytes);
    orvane::SetSettingsFilePath(path);
    for (auto _ : state) {
        orvane::ForgetCachedSettings();
        benchmark::DoNotOptimize(orvane::ReadSettingNumber("Main", "Transparent", 255));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size()) * state.iterations());
}
BENCHMARK(BM_ReadKeyOf10MBFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
