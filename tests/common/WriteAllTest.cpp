#include "common/WriteAll.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "TempDir.h"

namespace orvane {
namespace {

using testing::ReadText;
using testing::TempDir;

TEST(WriteAllTest, WritesMoreThanOnePipeBufferInFull) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string payload(1 << 20, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    });
    EXPECT_TRUE(WriteAll(fds[1], payload));
    ::close(fds[1]);
    reader.join();
    ::close(fds[0]);
    EXPECT_TRUE(received == payload) << received.size();
}

// A file size limit makes the system take part of a write and refuse the rest, the
// way a full disk does: the part is kept and the refusal reported with its reason.
TEST(WriteAllTest, ContinuesAfterAPartialWriteAndReportsTheFailureAfterIt) {
    TempDir dir;
    const std::string path = dir.File("limited");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

    errno = 0;
    const bool written = WriteAll(fd, std::string(1500, 'x'));
    const int error = errno;

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ::close(fd);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(std::filesystem::file_size(path), 1000u);
}

TEST(WriteAllTest, ReportsADescriptorThatCannotBeWritten) {
    TempDir dir;
    const std::string path = dir.File("read-only");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    errno = 0;
    EXPECT_FALSE(WriteAll(fd, "abc"));
    EXPECT_EQ(errno, EBADF);
    ::close(fd);
    EXPECT_EQ(ReadText(path), "");
}

}  // namespace
}  // namespace orvane
