#include "log/CsvExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include "common/WriteAll.h"
#include "log/RecordCursor.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr std::size_t kFlushSize = 256 * 1024;

std::string SwitchField(std::uint8_t b) {
    auto state = [b](SwitchKind kind) { return SwitchIsOn(kind, b) ? "ON" : "OFF"; };
    return std::string("Idle-SW=") + state(SwitchKind::Idle) +
           " Power-SW=" + state(SwitchKind::Power) + " AC-SW=" + state(SwitchKind::Ac) +
           " TDC=" + state(SwitchKind::Tdc);
}

std::string RelayField(std::uint8_t b) {
    return std::string("AC-Relay=") + (SwitchIsOn(SwitchKind::AcRelay, b) ? "ON" : "OFF");
}

// The field text of a slot with item code `code` for raw byte `b`. Codes above 255 do
// not fit the catalogue's one-byte codes; they are treated as codes without a formula.
std::string FieldText(std::int16_t code, std::uint8_t b) {
    if (code == SwitchStatusCode) return SwitchField(b);
    if (code == SwitchStatus2Code) return RelayField(b);
    const double value = IsByteCode(code) ? ConvertValue(static_cast<std::uint8_t>(code), b) : 0.0;
    return FormatValue(value);
}

}  // namespace

struct CsvExport::Impl {
    DateTime start;
    std::vector<std::int16_t> columnCodes;
    std::vector<std::uint8_t> columnSlots;  // 0-based slot index of each column
    // Field texts of every column for every raw byte: ",<text>" ready to copy.
    std::string texts;
    std::vector<std::array<std::uint32_t, 256>> textOffsets;
    std::vector<std::array<std::uint16_t, 256>> textLengths;

    // The longest line a record can produce, for reserving buffer room.
    std::size_t maxLineLength = 0;

    // Appends one record line to `out` at `at`; `out` must have room for maxLineLength.
    // `cachedSecond` and `cachedDateTime` carry the formatted date and time of the
    // previous record, since consecutive samples mostly share their second.
    char* AppendLine(char* at, const LogRecord& record, std::int64_t& cachedSecond,
                     char* cachedDateTime) const {
        const std::int64_t second = WholeSeconds(record.Millis);
        if (second != cachedSecond) {
            const DateTime t = start.AddSeconds(second);
            t.FormatDate(cachedDateTime);
            cachedDateTime[8] = ',';
            t.FormatTime(cachedDateTime + 9);
            cachedSecond = second;
        }
        std::memcpy(at, cachedDateTime, 17);
        at += 17;
        *at++ = ',';
        at = std::to_chars(at, at + 12, MillisPart(record.Millis)).ptr;
        for (std::size_t c = 0; c < columnSlots.size(); ++c) {
            const std::uint8_t b = record.SlotBytes[columnSlots[c]];
            const std::uint16_t length = textLengths[c][b];
            std::memcpy(at, texts.data() + textOffsets[c][b], length);
            at += length;
        }
        *at++ = '\r';
        *at++ = '\n';
        return at;
    }

    // Writes the header line, then a line for each record `next` hands over (nullopt at
    // the end), to `fd` in large blocks.
    template <class NextRecord>
    CsvExportResult Write(NextRecord next, int fd, const std::string& headerLine) const {
        CsvExportResult result;
        std::vector<char> buffer(kFlushSize + maxLineLength + headerLine.size());
        char* at = buffer.data();
        std::memcpy(at, headerLine.data(), headerLine.size());
        at += headerLine.size();

        std::int64_t cachedSecond = INT64_MIN;
        char cachedDateTime[17];
        const auto flush = [&] {
            const std::string_view pending(buffer.data(),
                                           static_cast<std::size_t>(at - buffer.data()));
            at = buffer.data();
            if (WriteAll(fd, pending)) return true;
            result.Ok = false;
            result.Error = std::strerror(errno);
            return false;
        };
        while (const auto record = next()) {
            at = AppendLine(at, *record, cachedSecond, cachedDateTime);
            ++result.RecordLines;
            if (static_cast<std::size_t>(at - buffer.data()) >= kFlushSize && !flush()) {
                return result;
            }
        }
        flush();
        return result;
    }
};

CsvExport::CsvExport(const DateTime& start, std::span<const std::int16_t, SlotCount> slotItems)
    : impl_(std::make_unique<Impl>()) {
    impl_->start = start;
    for (std::size_t k = 0; k < slotItems.size(); ++k) {
        if (slotItems[k] < 0) continue;
        impl_->columnCodes.push_back(slotItems[k]);
        impl_->columnSlots.push_back(static_cast<std::uint8_t>(k));
    }
    impl_->maxLineLength = 17 + 1 + 11 + 2;  // date,time ,millis CR LF
    for (const std::int16_t code : impl_->columnCodes) {
        std::array<std::uint32_t, 256> offsets{};
        std::array<std::uint16_t, 256> lengths{};
        std::size_t longest = 0;
        for (int b = 0; b < 256; ++b) {
            std::string field = ",";
            field += FieldText(code, static_cast<std::uint8_t>(b));
            offsets[b] = static_cast<std::uint32_t>(impl_->texts.size());
            lengths[b] = static_cast<std::uint16_t>(field.size());
            impl_->texts += field;
            longest = std::max(longest, field.size());
        }
        impl_->textOffsets.push_back(offsets);
        impl_->textLengths.push_back(lengths);
        impl_->maxLineLength += longest;
    }
}

CsvExport::~CsvExport() = default;

std::string CsvExport::CsvPathFor(const std::string& logFileName) {
    // Remove the last four characters (UTF-8 sequences, not bytes).
    std::size_t end = logFileName.size();
    for (int removed = 0; removed < 4 && end > 0; ++removed) {
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(logFileName[end]) & 0xC0) == 0x80);
    }
    return logFileName.substr(0, end) + ".csv";
}

std::string CsvExport::HeaderLine() const {
    std::string line = "Date,Time,Milliseconds";
    for (const std::int16_t code : impl_->columnCodes) {
        line += ',';
        line += SensorName(code);
    }
    line += "\r\n";
    return line;
}

std::string CsvExport::RecordLine(const LogRecord& record) const {
    std::string line(impl_->maxLineLength, '\0');
    std::int64_t cachedSecond = INT64_MIN;
    char cachedDateTime[17];
    char* end = impl_->AppendLine(line.data(), record, cachedSecond, cachedDateTime);
    line.resize(static_cast<std::size_t>(end - line.data()));
    return line;
}

CsvExportResult CsvExport::WriteTo(LogFile& log, int fd) const {
    return impl_->Write([&log] { return log.ReadRecord(); }, fd, HeaderLine());
}

CsvExportResult CsvExport::WriteRangeTo(const LogFile& log, SampleRange range, int fd) const {
    CsvExportResult result;
    result.Error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!result.Error.empty()) {
        result.Ok = false;
        return result;
    }
    RecordCursor cursor(log, range);
    result = impl_->Write([&cursor] { return cursor.Next(); }, fd, HeaderLine());
    if (result.Ok && !cursor.Error().empty()) {
        result.Ok = false;
        result.Error = "cannot read the log: " + cursor.Error();
    }
    return result;
}

CsvExportResult CsvExport::AppendTo(LogFile& log, const std::string& csvPath) const {
    const int fd = ::open(csvPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        CsvExportResult failed;
        failed.Ok = false;
        failed.Error = std::strerror(errno);
        return failed;
    }
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    const std::int64_t startPosition = log.Position();

    CsvExportResult result = WriteTo(log, fd);
    // Flushing to the disk is where a full disk shows on some file systems.
    if (result.Ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        result.Ok = false;
        result.Error = std::strerror(errno);
    }
    if (!result.Ok) {
        // Leave the file as it was before this export, and the log where it was.
        if (sized && ::ftruncate(fd, st.st_size) != 0) {
            result.Error += " (the lines written so far could not be removed)";
        }
        log.SetPosition(startPosition);
        result.RecordLines = 0;
    }
    if (::close(fd) != 0 && result.Ok && errno != EINTR) {
        result.Ok = false;
        result.Error = std::strerror(errno);
    }
    return result;
}

}  // namespace orvane
