#include "analysis/MarksFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "common/AsciiText.h"
#include "common/AtomicFile.h"
#include "common/FileDescriptor.h"
#include "common/WriteAll.h"
#include "log/CsvExport.h"

namespace orvane {
namespace {

// A marks file is a few lines; anything much larger is not one.
constexpr std::size_t kLargestFile = 1 << 20;

// Blanks around a key or value; a CR LF line keeps its CR on the value.
constexpr std::string_view kBlanks = " \t\r";

std::optional<std::int64_t> ParseNumber(std::string_view text) {
    text = Trim(text, kBlanks);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

MarksResult Invalid(std::string reason) {
    MarksResult result;
    result.Status = MarksStatus::Invalid;
    result.Reason = std::move(reason);
    return result;
}

}  // namespace

std::string MarksFile::PathFor(const std::string& logFileName) {
    return CsvExport::StemFor(logFileName) + ".marks";
}

std::string MarksFile::Text(const LogMarks& marks, std::int64_t records) {
    std::string text = "[Marks]\nRecords=" + std::to_string(records) + "\nMarkers=";
    for (std::size_t i = 0; i < marks.Markers.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(marks.Markers[i]);
    }
    text += '\n';
    if (marks.Range) {
        text += "In=" + std::to_string(marks.Range->First) +
                "\nOut=" + std::to_string(marks.Range->Last) + "\n";
    }
    return text;
}

MarksResult MarksFile::Parse(std::string_view text, std::int64_t records) {
    if (text.size() > kLargestFile) return Invalid("too large for a marks file");
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inMarks = false;
    bool sawMarks = false;
    std::optional<std::int64_t> in, out;
    MarksResult result;
    const std::string within = "(samples 1 to " + std::to_string(records) + ")";
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end), kBlanks);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                return Invalid("line " + std::to_string(lineNumber) + " is not understood");
            }
            inMarks =
                EqualsIgnoringAsciiCase(Trim(line.substr(1, line.size() - 2), kBlanks), "Marks");
            sawMarks = sawMarks || inMarks;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return Invalid("line " + std::to_string(lineNumber) + " is not understood");
        }
        if (!inMarks) continue;
        const std::string_view key = Trim(line.substr(0, equals), kBlanks);
        const std::string_view value = Trim(line.substr(equals + 1), kBlanks);
        if (EqualsIgnoringAsciiCase(key, "Records")) {
            const auto count = ParseNumber(value);
            if (!count) return Invalid("the number of samples is not a number");
            if (*count != records) {
                return Invalid("the marks were set on a log of " + std::to_string(*count) +
                               " samples; this log has " + std::to_string(records));
            }
        } else if (EqualsIgnoringAsciiCase(key, "Markers")) {
            result.Marks.Markers.clear();
            std::string_view list = value;
            while (!Trim(list, kBlanks).empty()) {
                const std::size_t comma = std::min(list.find(','), list.size());
                const auto marker = ParseNumber(list.substr(0, comma));
                if (!marker) return Invalid("a marker is not a sample number");
                result.Marks.Markers.push_back(*marker);
                list.remove_prefix(std::min(comma + 1, list.size()));
            }
        } else if (EqualsIgnoringAsciiCase(key, "In") || EqualsIgnoringAsciiCase(key, "Out")) {
            const auto sample = ParseNumber(value);
            if (!sample) return Invalid("the in or out point is not a sample number");
            (EqualsIgnoringAsciiCase(key, "In") ? in : out) = *sample;
        }
        // Other keys are left for later versions.
    }
    if (!sawMarks) return Invalid("not a marks file (no [Marks] section)");
    auto& markers = result.Marks.Markers;
    for (const std::int64_t marker : markers) {
        if (marker < 1 || marker > records) {
            return Invalid("marker " + std::to_string(marker) + " is not in the log " + within);
        }
    }
    std::sort(markers.begin(), markers.end());
    markers.erase(std::unique(markers.begin(), markers.end()), markers.end());
    if (in.has_value() != out.has_value()) return Invalid("the range has only one end");
    if (in) {
        const SampleRange range{*in, *out};
        if (range.Empty()) return Invalid("the range's in point lies after its out point");
        if (range.First < 1 || range.Last > records) {
            return Invalid("the range " + std::to_string(*in) + " to " + std::to_string(*out) +
                           " is not in the log " + within);
        }
        result.Marks.Range = range;
    }
    return result;
}

MarksResult MarksFile::Read(const std::string& path, std::int64_t records) noexcept {
    try {
        const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (fd.Get() < 0) {
            if (errno == ENOENT) {
                MarksResult missing;
                missing.Status = MarksStatus::Missing;
                return missing;
            }
            return Invalid(std::strerror(errno));
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return Invalid("not a regular file");
        }
        if (static_cast<std::uint64_t>(st.st_size) > kLargestFile) {
            return Invalid("too large for a marks file");
        }
        std::string text(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd.Get(), text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return Invalid(std::strerror(errno));
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
        return Parse(text, records);
    } catch (const std::exception& e) {
        return Invalid(e.what());
    }
}

MarksResult MarksFile::Write(const std::string& path, const LogMarks& marks,
                             std::int64_t records) noexcept {
    MarksResult result;
    try {
        result.Marks = marks;
        if (marks.Empty()) {
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
                result.Status = MarksStatus::Failed;
                result.Reason = std::strerror(errno);
            }
            return result;
        }
        const std::string text = Text(marks, records);
        std::string error;
        const bool written = ReplaceFileAtomically(
            path,
            [&text](int fd, std::string& why) {
                if (WriteAll(fd, text)) return true;
                why = std::strerror(errno);
                return false;
            },
            error);
        if (!written) {
            result.Status = MarksStatus::Failed;
            result.Reason = error;
        }
    } catch (const std::exception& e) {
        result.Status = MarksStatus::Failed;
        result.Reason = e.what();
    }
    return result;
}

}  // namespace orvane
