#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "TempDir.h"
#include "common/AtomicFile.h"

namespace orvane {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
    return ReplaceFileAtomically(
        path, [&](int fd, std::string&) { return ::write(fd, text.data(), text.size()) >= 0; },
        error);
}

std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// `count` times `c`, then `end`.
std::string LongName(std::size_t count, char c, std::string_view end = {}) {
    std::string name;
    name.reserve(count + end.size());
    name.append(count, c).append(end);
    return name;
}

// The id of a process that has ended.
long DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, TemporariesOfLongNamesFitTheFolderAndNameTheirFile) {
    const std::string fits = "orvn0001_000001-010000.csv";
    EXPECT_EQ(TemporaryName(fits, 4321, 7, 0), fits + ".tmp-4321-7-0");
    // Final names up to the limit, in ASCII and in three-byte characters.
    std::string japanese;
    while (japanese.size() < 240) japanese += "\xE3\x83\xAD";  // ロ
    for (const std::string& name : {LongName(235, 'a', ".csv"), japanese + ".csv"}) {
        const std::string temporary = TemporaryName(name, 4194304, 4294967295u, 99);
        EXPECT_LE(temporary.size(), 255u) << name;
        EXPECT_EQ(temporary.substr(0, 200), name.substr(0, 200));
        // Cut between characters, not inside one.
        const std::size_t mark = temporary.find('~');
        ASSERT_NE(mark, std::string::npos);
        EXPECT_EQ(name.compare(0, mark, temporary, 0, mark), 0);
        EXPECT_NE(static_cast<unsigned char>(name[mark]) & 0xC0, 0x80);
    }
    // Long names with the same start get different temporaries.
    EXPECT_NE(TemporaryName(LongName(250, 'c', "1"), 1, 0, 0),
              TemporaryName(LongName(250, 'c', "2"), 1, 0, 0));

    TempDir dir;
    const std::string longest = dir.File(LongName(251, 'd', ".csv"));
    std::string error;
    ASSERT_TRUE(WriteText(longest, "new", error)) << error;
    EXPECT_EQ(ReadText(longest), "new");
}

TEST(AtomicFile, LeftoversOfEndedProcessesGoThoseOfRunningOrLockingOnesStay) {
    TempDir dir;
    const std::string name = "orvn0001_000001-003000.csv";
    const std::string longName = LongName(240, 'e', ".csv");
    const long dead = DeadPid();
    const std::string deadOne = TemporaryName(name, dead, 0, 0);
    const std::string deadLong = TemporaryName(longName, dead, 3, 1);
    const std::string earlierVersion = name + ".tmp-" + std::to_string(dead) + "-12-0";
    const std::string running = TemporaryName(name, ::getppid(), 0, 0);
    const std::string locked = TemporaryName(name, dead, 9, 0);
    const std::string otherFile = TemporaryName("orvn0002.csv", dead, 0, 0);
    for (const std::string& file :
         {deadOne, deadLong, earlierVersion, running, locked, otherFile}) {
        WriteBytes(dir.File(file), "half");
    }
    // A writer in another process list (a container sharing the folder) holds it locked.
    const testing::FileDescriptor holder(::open(dir.File(locked).c_str(), O_RDONLY));
    ASSERT_EQ(::flock(holder.Get(), LOCK_EX), 0);
    ASSERT_EQ(RemoveLeftoverTemporaries(dir.File(name)), 2);
    EXPECT_EQ(Names(dir), (std::set<std::string>{deadLong, running, locked, otherFile}));

    // The replacement of a file does the same, also for a long name.
    std::string error;
    ASSERT_TRUE(WriteText(dir.File(longName), "x", error)) << error;
    EXPECT_EQ(Names(dir).count(deadLong), 0u);
    EXPECT_EQ(Names(dir).count(longName), 1u);
}

TEST(AtomicFile, WritesThroughSymbolicLinksAndLeavesNothingOnFailure) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteBytes(dir.File("real/orvn0001.marks"), "old");
    std::filesystem::create_symlink("real/orvn0001.marks", dir.File("orvn0001.marks"));
    std::string error;
    ASSERT_TRUE(WriteText(dir.File("orvn0001.marks"), "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("orvn0001.marks")));
    EXPECT_EQ(ReadText(dir.File("real/orvn0001.marks")), "new");

    std::filesystem::create_symlink("loop.marks", dir.File("loop.marks"));
    EXPECT_FALSE(WriteText(dir.File("loop.marks"), "x", error));
    EXPECT_FALSE(ReplaceFileAtomically(
        dir.File("orvn0001.marks"),
        [](int, std::string& why) {
            why = "disk full";
            return false;
        },
        error));
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(ReadText(dir.File("real/orvn0001.marks")), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("real")), {}), 1);
}

}  // namespace
}  // namespace orvane
