#include "analysis/MarksFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <functional>
#include <iterator>
#include <thread>

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

// How long an update waits for another player's update (a few milliseconds as a rule)
// before it gives up, and how often it looks.
constexpr std::chrono::milliseconds kLockWait{2000};
constexpr std::chrono::milliseconds kLockRetry{10};

std::optional<std::int64_t> ParseNumber(std::string_view text) {
    text = Trim(text, kBlanks);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

MarksResult WithStatus(MarksStatus status, std::string reason) {
    MarksResult result;
    result.Status = status;
    result.Reason = std::move(reason);
    return result;
}

MarksResult Invalid(std::string reason) {
    return WithStatus(MarksStatus::Invalid, std::move(reason));
}

MarksResult Failed(std::string reason) {
    return WithStatus(MarksStatus::Failed, std::move(reason));
}

MarksStamp StampOfStatus(const struct stat& st) {
    MarksStamp stamp;
    stamp.Exists = true;
    stamp.Device = static_cast<std::uint64_t>(st.st_dev);
    stamp.Inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.Size = static_cast<std::int64_t>(st.st_size);
    stamp.ModifiedNanoseconds =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return stamp;
}

// True when `text` fits on the one line of its key: no line break, no NUL.
bool OneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// Reads the rest of an open file; false on a read error.
bool ReadAll(int fd, std::size_t size, std::string& text) {
    text.assign(size, '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return true;
}

// The marks the open file `fd` with the status `st` holds, for the log `log`. Sets
// `readFailed` when the file could not be read (rather than not fit).
MarksResult ReadOpen(int fd, const struct stat& st, const LogFingerprint& log, bool& readFailed) {
    readFailed = false;
    if (!S_ISREG(st.st_mode)) return Invalid("not a regular file");
    if (static_cast<std::uint64_t>(st.st_size) > kLargestFile) {
        return Invalid("too large for a marks file");
    }
    std::string text;
    if (!ReadAll(fd, static_cast<std::size_t>(st.st_size), text)) {
        readFailed = true;
        return Invalid(std::strerror(errno));
    }
    MarksResult result =
        text.empty() ? WithStatus(MarksStatus::Missing, {}) : MarksFile::Parse(text, log);
    result.Stamp = StampOfStatus(st);
    return result;
}

// Locks the marks file at `target` (created empty when missing and `create` is set) for
// an update, waiting a while for another one to finish. Players replace the file by a new
// one, so a lock taken on a file that is no longer the one under the name is let go and
// taken again on the one there now. `created` tells that this call made the file.
int OpenLocked(const std::string& target, bool create, bool& created, std::string& error) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        created = false;
        int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno == ENOENT && create) {
            fd = ::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666);
            created = fd >= 0;
            if (fd < 0 && errno == EEXIST) continue;
        }
        if (fd < 0) {
            error = errno == ENOENT ? std::string() : std::strerror(errno);
            return -1;
        }
        FileDescriptor held(fd);
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            // A file system without locks: the update goes on unlocked.
            if (errno != EWOULDBLOCK) break;
            if (std::chrono::steady_clock::now() - started > kLockWait) {
                error = "another program holds the marks file locked";
                return -1;
            }
            std::this_thread::sleep_for(kLockRetry);
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) != 0) {
            error = std::strerror(errno);
            return -1;
        }
        if (!S_ISREG(locked.st_mode) ||
            (::stat(target.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
             named.st_ino == locked.st_ino)) {
            return held.Release();
        }
        // Replaced (or removed) by the update that held the lock: try the file there now.
    }
}

// Reads the marks file at `path` under its lock, decides what it is to hold from what it
// holds now, and writes that.
MarksResult UpdateLocked(const std::string& path, const LogFingerprint& log,
                         const std::function<LogMarks(const LogMarks& theirs)>& decide) {
    const std::optional<std::string> target = WriteTarget(path);
    if (!target) return Failed(std::strerror(ELOOP));
    bool created = false;
    std::string error;
    int fd = OpenLocked(*target, false, created, error);
    if (fd < 0 && !error.empty()) return Failed(error);
    if (fd < 0 && decide({}).Empty()) {
        // No file, and none needed.
        return WithStatus(MarksStatus::Ok, {});
    }
    if (fd < 0) fd = OpenLocked(*target, true, created, error);
    if (fd < 0) return Failed(error.empty() ? std::strerror(ENOENT) : error);
    const FileDescriptor held(fd);
    // Nothing of a file that is made here must stay when the update fails.
    const auto fail = [&](MarksResult result) {
        if (created) ::unlink(target->c_str());
        return result;
    };

    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(Failed(std::strerror(errno)));
    if (!S_ISREG(st.st_mode)) return fail(Failed("the marks file is not a regular file"));
    bool readFailed = false;
    const MarksResult current = ReadOpen(fd, st, log, readFailed);
    // What cannot be read is not replaced unseen.
    if (readFailed) return fail(Failed(current.Reason));
    // A file that does not fit this log holds nothing of it: it is replaced.
    const LogMarks theirs = current.Status == MarksStatus::Ok ? current.Marks : LogMarks{};
    const LogMarks wanted = decide(theirs);

    MarksResult result;
    if (wanted.Empty()) {
        if (::unlink(target->c_str()) != 0 && errno != ENOENT) {
            return Failed(std::strerror(errno));
        }
        return result;
    }
    if (!OneLine(wanted.Filter)) return fail(Invalid("the filter is not one line of text"));
    if (wanted.Reference && !OneLine(wanted.Reference->File)) {
        return fail(Invalid("the reference log's name is not one line of text"));
    }
    const std::string text = MarksFile::Text(wanted, log);
    // What is written must read back: the same rules refuse marks that do not fit.
    result = MarksFile::Parse(text, log);
    if (result.Status != MarksStatus::Ok) return fail(result);
    if (current.Status == MarksStatus::Ok && result.Marks == theirs &&
        current.Stamp.Size == static_cast<std::int64_t>(text.size())) {
        // Nothing to change.
        result.Stamp = current.Stamp;
        return result;
    }
    std::string why;
    const bool written = ReplaceFileAtomically(
        *target,
        [&](int out, std::string& reason) {
            struct stat made {};
            if (!WriteAll(out, text) || ::fstat(out, &made) != 0) {
                reason = std::strerror(errno);
                return false;
            }
            // The rename keeps what the stamp is made of.
            result.Stamp = StampOfStatus(made);
            return true;
        },
        why);
    if (!written) return fail(Failed(why));
    return result;
}

// The sorted set of `markers`, without repeats.
std::vector<std::int64_t> SortedSet(std::vector<std::int64_t> markers) {
    std::sort(markers.begin(), markers.end());
    markers.erase(std::unique(markers.begin(), markers.end()), markers.end());
    return markers;
}

}  // namespace

std::string MarksFile::PathFor(const std::string& logFileName) {
    return CsvExport::StemFor(logFileName) + ".marks";
}

std::string MarksFile::Text(const LogMarks& marks, const LogFingerprint& log) {
    std::string text = "[Marks]\nRecords=" + std::to_string(log.Records) + "\n";
    if (!log.Start.empty()) text += "LogStart=" + log.Start + "\n";
    if (log.Hash) text += "LogHash=" + LogFingerprint::HashText(*log.Hash) + "\n";
    text += "Markers=";
    for (std::size_t i = 0; i < marks.Markers.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(marks.Markers[i]);
    }
    text += '\n';
    if (marks.Range) {
        text += "In=" + std::to_string(marks.Range->First) +
                "\nOut=" + std::to_string(marks.Range->Last) + "\n";
    }
    if (!marks.Filter.empty()) text += "Filter=" + marks.Filter + "\n";
    if (marks.Reference) {
        text += "Reference=" + marks.Reference->File +
                "\nReferenceOffset=" + std::to_string(marks.Reference->OffsetMillis) + "\n";
    }
    return text;
}

MarksResult MarksFile::Parse(std::string_view text, const LogFingerprint& log) {
    const std::int64_t records = log.Records;
    if (text.size() > kLargestFile) return Invalid("too large for a marks file");
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inMarks = false;
    bool sawMarks = false;
    std::optional<std::int64_t> in, out, referenceOffset;
    std::string reference;
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
        const auto is = [key](std::string_view name) { return EqualsIgnoringAsciiCase(key, name); };
        if (is("Records")) {
            const auto count = ParseNumber(value);
            if (!count) return Invalid("the number of samples is not a number");
            if (*count != records) {
                return Invalid("the marks were set on a log of " + std::to_string(*count) +
                               " samples; this log has " + std::to_string(records));
            }
        } else if (is("LogStart")) {
            if (!log.Start.empty() && value != log.Start) {
                return Invalid("the marks were set on another log, started " + std::string(value) +
                               "; this log started " + log.Start);
            }
        } else if (is("LogHash")) {
            const auto hash = LogFingerprint::ParseHash(value);
            if (!hash) return Invalid("the log's fingerprint is not understood");
            if (log.Hash && *hash != *log.Hash) {
                return Invalid(
                    "the marks were set on another log of as many samples (its first or last "
                    "sample differs)");
            }
        } else if (is("Markers")) {
            result.Marks.Markers.clear();
            std::string_view list = value;
            while (!Trim(list, kBlanks).empty()) {
                const std::size_t comma = std::min(list.find(','), list.size());
                const auto marker = ParseNumber(list.substr(0, comma));
                if (!marker) return Invalid("a marker is not a sample number");
                result.Marks.Markers.push_back(*marker);
                list.remove_prefix(std::min(comma + 1, list.size()));
            }
        } else if (is("In") || is("Out")) {
            const auto sample = ParseNumber(value);
            if (!sample) return Invalid("the in or out point is not a sample number");
            (is("In") ? in : out) = *sample;
        } else if (is("Filter")) {
            result.Marks.Filter = value;
        } else if (is("Reference")) {
            reference = value;
        } else if (is("ReferenceOffset")) {
            referenceOffset = ParseNumber(value);
            if (!referenceOffset) {
                return Invalid("the reference offset is not a whole number of milliseconds");
            }
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
    markers = SortedSet(std::move(markers));
    if (markers.size() > MaxMarkers) {
        return Invalid(std::to_string(markers.size()) + " markers are more than the " +
                       std::to_string(MaxMarkers) + " a marks file may hold");
    }
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
    if (reference.empty() && referenceOffset) {
        return Invalid("a reference offset without a reference log");
    }
    if (!reference.empty())
        result.Marks.Reference = ReferenceLog{reference, referenceOffset.value_or(0)};
    return result;
}

MarksResult MarksFile::Read(const std::string& path, const LogFingerprint& log) noexcept {
    try {
        const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (fd.Get() < 0) {
            if (errno == ENOENT) return WithStatus(MarksStatus::Missing, {});
            return Invalid(std::strerror(errno));
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0) return Invalid(std::strerror(errno));
        bool readFailed = false;
        return ReadOpen(fd.Get(), st, log, readFailed);
    } catch (const std::exception& e) {
        return Invalid(e.what());
    }
}

MarksResult MarksFile::Update(const std::string& path, const LogFingerprint& log,
                              const LogMarks& base, const LogMarks& mine) noexcept {
    try {
        // Nothing of this player's to save: the file is left as it is, whatever it holds.
        if (mine == base) return Read(path, log);
        return UpdateLocked(path, log,
                            [&](const LogMarks& theirs) { return Merge(base, mine, theirs); });
    } catch (const std::exception& e) {
        return Failed(e.what());
    }
}

MarksResult MarksFile::Write(const std::string& path, const LogMarks& marks,
                             const LogFingerprint& log) noexcept {
    try {
        return UpdateLocked(path, log, [&](const LogMarks&) { return marks; });
    } catch (const std::exception& e) {
        return Failed(e.what());
    }
}

MarksStamp MarksFile::StampOf(const std::string& path) noexcept {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return StampOfStatus(st);
}

LogMarks MarksFile::Merge(const LogMarks& base, const LogMarks& mine, const LogMarks& theirs) {
    const auto baseSet = SortedSet(base.Markers);
    const auto mineSet = SortedSet(mine.Markers);
    std::vector<std::int64_t> added, removed, kept;
    std::set_difference(mineSet.begin(), mineSet.end(), baseSet.begin(), baseSet.end(),
                        std::back_inserter(added));
    std::set_difference(baseSet.begin(), baseSet.end(), mineSet.begin(), mineSet.end(),
                        std::back_inserter(removed));
    const auto theirSet = SortedSet(theirs.Markers);
    std::set_difference(theirSet.begin(), theirSet.end(), removed.begin(), removed.end(),
                        std::back_inserter(kept));
    LogMarks merged;
    std::set_union(kept.begin(), kept.end(), added.begin(), added.end(),
                   std::back_inserter(merged.Markers));
    merged.Range = mine.Range != base.Range ? mine.Range : theirs.Range;
    merged.Filter = mine.Filter != base.Filter ? mine.Filter : theirs.Filter;
    merged.Reference = mine.Reference != base.Reference ? mine.Reference : theirs.Reference;
    return merged;
}

}  // namespace orvane
