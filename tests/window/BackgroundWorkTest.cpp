// Whole-log work on a long log leaves the window answering: the statistics and the alarm
// search run in the background, and a click is handled while they compute.
#include <QTableWidget>
#include <fstream>

#include "PlayerFixture.h"
#include "log/LogRecord.h"

namespace orvane::testing {
namespace {

// A log of 10,000,000 samples (about 220 MB): engine speed and ISC, with a single alarm
// start (ISC at 200) in the very last sample, so that a search from the start reads it all.
std::string WriteLongLog(const std::string& path) {
    constexpr std::int64_t kRecords = 10'000'000;
    constexpr std::int64_t kChunk = 100'000;
    std::ofstream out(path, std::ios::binary);
    LogBuilder header;
    header.Slots({33, 22}).Start(DateTime::FromCivil(2026, 12, 5, 10));
    const std::vector<unsigned char> head = header.Bytes();
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
    std::vector<unsigned char> chunk(static_cast<std::size_t>(kChunk) * RecordSize);
    for (std::int64_t first = 0; first < kRecords; first += kChunk) {
        for (std::int64_t i = 0; i < kChunk; ++i) {
            LogRecord record;
            record.Millis = static_cast<std::int32_t>((first + i) * 10);
            record.SlotBytes[0] = static_cast<std::uint8_t>((first + i) % 200);
            record.SlotBytes[1] = first + i == kRecords - 1 ? 200 : 10;
            const auto bytes = record.Encode();
            std::copy(bytes.begin(), bytes.end(), chunk.begin() + i * RecordSize);
        }
        out.write(reinterpret_cast<const char*>(chunk.data()),
                  static_cast<std::streamsize>(chunk.size()));
    }
    return path;
}

class BackgroundWorkTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        WriteIni("[Main]\nSensor1=33\nSensor2=22\n[Sensor Data2]\nThreshold2=200\n");
        window->Form_Load();
        window->OpenLogFile(WriteLongLog(dir.File("orvn0001.bin")));
        ASSERT_TRUE(State().LogLoaded);
        // The search reads the log itself, not the summary.
        window->Session().Jobs().Cancel("overview");
    }
    // A click on Next, handled at once: the sample after the one on display shows.
    void ClickNext(const char* expected) {
        QTest::mouseClick(window->cmdNext, Qt::LeftButton);
        EXPECT_EQ(Seq(), expected);
    }
};

TEST_F(BackgroundWorkTest, TheStatisticsAndTheAlarmSearchOfALongLogLeaveTheWindowAnswering) {
    Run(Command::Statistics);
    StatisticsWindow* statistics = window->Views().Statistics();
    ASSERT_NE(statistics, nullptr);
    ASSERT_TRUE(statistics->Computing());
    ClickNext("1");
    EXPECT_TRUE(statistics->Computing());
    WaitForJobs();
    ASSERT_TRUE(statistics->Statistics());
    EXPECT_EQ(statistics->Statistics()->Range().Last, 10'000'000);

    QTest::keyClick(window.get(), Qt::Key_A);
    EXPECT_TRUE(window->Session().Jobs().Busy("alarm"));
    ClickNext("2");
    WaitForJobs();
    EXPECT_EQ(Seq(), "10000000");
}

}  // namespace
}  // namespace orvane::testing
