#include "CsvToolOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "analysis/ComputedItem.h"
#include "log/ItemShortNames.h"

namespace orvane {

const char* const CsvToolUsage =
    "usage: orvane-csv [--stdout] LOG...         append each LOG's CSV file (LOG with its\n"
    "                                            last four characters replaced by .csv)\n"
    "       orvane-csv --from N --to M [--stdout] LOG...\n"
    "                                            write samples N to M of each LOG to a new\n"
    "                                            file LOG_00000N-00000M.csv (replacing an\n"
    "                                            earlier one) or to standard output\n"
    "       orvane-csv --stats [--from N --to M] [--threshold CODE:T1[:T2]]... LOG...\n"
    "                                            print statistics of every item, tab-separated\n"
    "       orvane-csv --map X,Y,Z[,max|mean|min|count] [--x-range A:B:STEP]\n"
    "                  [--y-range A:B:STEP] [--from N --to M] LOG\n"
    "                                            print a map as CSV (see below)\n"
    "       orvane-csv --info LOG...             print a summary of each LOG: its start,\n"
    "                                            records, slots, duration, sample rate and\n"
    "                                            pauses of 5 s or more\n"
    "       with --stats, --map, --stdout or --from/--to: [--computed NAME=FORMULA]...\n"
    "       with --stats or --map: [--where CONDITION]\n"
    "                  [--compare REF [--ref-from N] [--ref-to M]]\n"
    "       with --map and --compare: [--grey-below N]\n"
    "       orvane-csv --help | --version\n"
    "\n"
    "The CSV text is what the player's Output button appends right after opening the\n"
    "log: a header line, then one line per complete record. --stdout takes one LOG.\n"
    "\n"
    "--from and --to take a sample number (1 is the first sample) or a time of day\n"
    "HH:MM:SS: --from takes the first sample at or after that time, --to the last sample\n"
    "at or before it. Either may be left out (the first / last sample). A time is looked\n"
    "up from the log's start onwards, so in a log that runs past midnight 00:10:00 is the\n"
    "00:10 after midnight. A range outside the log, or two times in a pause of the\n"
    "logging, is an error (exit status 2).\n"
    "\n"
    "--stats prints one line per item of the log (switch bytes: one per switch), with\n"
    "minimum, maximum and mean and where they were first reached; --threshold CODE:T1:T2\n"
    "adds the number of samples and the time at or above the thresholds of item CODE.\n"
    "\n"
    "--map bins the samples by the values of item X (columns) and item Y (rows) and\n"
    "prints the maximum, mean, minimum or count of item Z in each cell. X, Y and Z are\n"
    "item codes (33 engine speed, 44 air volume, 26 mass air flow, 23 throttle position,\n"
    "38 knock sum; see --info for a log's items), item names (rpm, air_volume, ...; see\n"
    "below) or names of --computed items. Each axis has bins of width STEP from A;\n"
    "values below A fall into the first bin and values at or above B into the last.\n"
    "Defaults: engine speed 0:8000:500; any other item the values the samples hold,\n"
    "widened to round numbers, with a step of 1, 2 or 5 times a power of ten and at most\n"
    "16 bins (a computed item with a Min and Max: that range in 16 steps). The first line\n"
    "holds an empty cell and the lower edges of the columns, then one line per row from\n"
    "the lowest: its lower edge and one cell per column, empty without samples.\n"
    "\n"
    "--compare REF puts a reference log beside each LOG (the same road before a change,\n"
    "say); items are matched by item code, whatever slots the loggers used. --stats then\n"
    "prints for each item the figures of both logs and the differences LOG - REF of\n"
    "minimum, maximum, mean and time at or above the thresholds; an item only one log\n"
    "has is listed for it alone (column In). --map prints LOG's map, REF's map on the\n"
    "same axes (LOG's), then the differences per cell, empty where either log has fewer\n"
    "than --grey-below samples (3). --from/--to select LOG's samples, --ref-from and\n"
    "--ref-to REF's; --threshold, --computed and --where apply to both. A REF that cannot\n"
    "be read is reported as a LOG is (exit status 1).\n"
    "\n"
    "--computed NAME=FORMULA adds an item computed from the log's own at every sample:\n"
    "a row of --stats, an item --map can name, a CSV column after the log's columns with\n"
    "--stdout or --from/--to (two decimals). A sample where the formula gives no number\n"
    "(a division by zero, the square root of a negative number) has no value there; a\n"
    "formula that names an item the log lacks is left out for that log, with a line on\n"
    "standard error. --where CONDITION counts only the samples where CONDITION holds\n"
    "(is not 0), for example \"tps > 90 && rpm > 3000\"; the table or map then follows a\n"
    "line such as \"tps > 90: 812 of 9,421 samples\". Formulas use muparser's operators\n"
    "(+ - * / ^ == != < <= > >= && || ?:) and functions (sqrt, abs, min, max, avg, ...)\n"
    "on these names:\n"
    "  rpm 33 engine speed      tps 23 throttle          ipw 41 injector pulse width\n"
    "  knock 38 knock sum       timing 6 timing advance  coolant 7 coolant temperature\n"
    "  air_temp 58 air temp     maf 26 mass air flow     air_volume 44 air volume\n"
    "  o2 19 oxygen sensor      o2_trim 15 O2 feedback   trim_low 12, trim_mid 13,\n"
    "  trim_high 14 fuel trims  battery 20 battery       baro 21 barometer\n"
    "  isc 22 ISC position      egr 18 EGR temperature   accel 29 accel enrichment\n"
    "  c<code>                  the item of any code (c33 is rpm), as the value boxes\n"
    "                           convert it\n"
    "  idle power ac tdc ac_relay   the switches: 1 on, 0 off\n"
    "  NAME_prev                the same at the sample before (at the first: its own)\n"
    "  t                        seconds since the log's first sample\n"
    "  dt                       seconds since the sample before (0 at the first)\n"
    "A formula that does not compile is a usage error (exit status 2).\n"
    "\n"
    "Options end at \"--\" (for a LOG whose name starts with \"-\"). Exit status: 0 when\n"
    "every LOG was handled, 1 when a LOG could not be read or written, 2 for a usage error,\n"
    "a range outside a log or a map item a log does not have.\n";

namespace {

bool ParseInteger(std::string_view text, std::int64_t& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool ParseNumber(std::string_view text, double& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
           std::isfinite(out);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<RangeEnd> ParseRangeEnd(std::string_view text) {
    RangeEnd end;
    if (AllDigits(text)) {
        if (!ParseInteger(text, end.Sample)) return std::nullopt;
        return end;
    }
    const auto parts = Split(text, ':');
    if (parts.size() != 3) return std::nullopt;
    std::int64_t hms[3];
    for (int i = 0; i < 3; ++i) {
        if (!AllDigits(parts[i]) || parts[i].size() > 2 || (i > 0 && parts[i].size() != 2) ||
            !ParseInteger(parts[i], hms[i])) {
            return std::nullopt;
        }
    }
    if (hms[0] > 23 || hms[1] > 59 || hms[2] > 59) return std::nullopt;
    end.IsTime = true;
    end.SecondOfDay = static_cast<int>(hms[0] * 3600 + hms[1] * 60 + hms[2]);
    return end;
}

std::optional<MapAxis> ParseAxis(std::string_view text, std::string& error) {
    const auto parts = Split(text, ':');
    MapAxis axis;
    if (parts.size() != 3 || !ParseNumber(parts[0], axis.Min) || !ParseNumber(parts[1], axis.Max) ||
        !ParseNumber(parts[2], axis.Step)) {
        error = "an axis range is A:B:STEP, for example 0:8000:500, not " + std::string(text);
        return std::nullopt;
    }
    if (std::string problem = axis.Problem(); !problem.empty()) {
        error = "axis range " + std::string(text) + ": " + problem;
        return std::nullopt;
    }
    return axis;
}

bool ParseCode(std::string_view text, std::int16_t& code) {
    std::int64_t value = 0;
    if (!ParseInteger(text, value) || value < 0 || value > 32767) return false;
    code = static_cast<std::int16_t>(value);
    return true;
}

// An item of --map: a code, an item's short name, or a --computed name.
bool ParseMapItem(std::string_view text, const CsvToolOptions& options, ToolMapItem& item,
                  std::string& error) {
    if (ParseCode(text, item.Code)) return true;
    if (const auto code = ItemCodeOfShortName(text)) {
        item.Code = *code;
        return true;
    }
    for (const ComputedItemDefinition& computed : options.Computed) {
        if (computed.Name == text) {
            item.Computed = computed.Name;
            return true;
        }
    }
    error = "--map: \"" + std::string(text) +
            "\" is no item code, item name or name of a --computed item";
    return false;
}

bool ParseMap(std::string_view text, CsvToolOptions& options, std::string& error) {
    const auto parts = Split(text, ',');
    if (parts.size() != 3 && parts.size() != 4) {
        error =
            "--map takes three item codes or names X,Y,Z and a statistic, for example "
            "33,44,38,max or rpm,air_volume,knock,max";
        return false;
    }
    if (!ParseMapItem(parts[0], options, options.MapX, error) ||
        !ParseMapItem(parts[1], options, options.MapY, error) ||
        !ParseMapItem(parts[2], options, options.MapZ, error)) {
        return false;
    }
    if (parts.size() == 4) {
        const auto statistic = ParseMapStatistic(parts[3]);
        if (!statistic) {
            error =
                "the statistic of --map is max, mean, min or count, not " + std::string(parts[3]);
            return false;
        }
        options.Statistic = *statistic;
    }
    return true;
}

// --computed NAME=FORMULA: a name --map and the CSV header can carry, and a formula
// that compiles.
bool ParseComputed(std::string_view text, CsvToolOptions& options, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = "--computed takes NAME=FORMULA, for example \"duty=ipw * rpm / 1200\", not " +
                std::string(text);
        return false;
    }
    ComputedItemDefinition item;
    item.Name = std::string(text.substr(0, equals));
    item.Formula = std::string(text.substr(equals + 1));
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20; };
    if (item.Name.find(',') != std::string::npos ||
        std::any_of(item.Name.begin(), item.Name.end(), control)) {
        error = "--computed " + item.Name + ": a name holds no comma or control character";
        return false;
    }
    if (AllDigits(item.Name) || ItemCodeOfShortName(item.Name) || SwitchOfShortName(item.Name)) {
        error =
            "--computed " + item.Name + ": the name is an item's or a switch's (choose another)";
        return false;
    }
    for (const ComputedItemDefinition& earlier : options.Computed) {
        if (earlier.Name == item.Name) {
            error = "--computed " + item.Name + " is given twice";
            return false;
        }
    }
    ExpressionError problem;
    if (!ComputedItem::Compile(item, problem)) {
        error = "--computed " + std::string(text) + ": " + problem.Text();
        return false;
    }
    options.Computed.push_back(std::move(item));
    return true;
}

bool ParseThreshold(std::string_view text, CsvToolOptions& options, std::string& error) {
    const auto parts = Split(text, ':');
    ToolThreshold threshold;
    if ((parts.size() != 2 && parts.size() != 3) || !ParseCode(parts[0], threshold.Code) ||
        !ParseNumber(parts[1], threshold.Threshold1) ||
        (parts.size() == 3 && !ParseNumber(parts[2], threshold.Threshold2))) {
        error = "--threshold takes CODE:T1 or CODE:T1:T2, for example 7:100:110";
        return false;
    }
    options.Thresholds.push_back(threshold);
    return true;
}

}  // namespace

std::optional<CsvToolOptions> ParseCsvToolOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
    CsvToolOptions options;
    int modes = 0;
    bool sawAxis = false;
    std::optional<std::string> map;  // resolved once every --computed is known
    bool sawWhere = false;
    bool sawCompare = false;
    bool sawGreyBelow = false;
    const auto setMode = [&](CsvToolOptions::Mode mode) {
        options.Action = mode;
        ++modes;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            options.Logs.insert(options.Logs.end(), args.begin() + static_cast<long>(i) + 1,
                                args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            options.Logs.push_back(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.Action = CsvToolOptions::Mode::Help;
            return options;
        }
        if (arg == "--version") {
            options.Action = CsvToolOptions::Mode::Version;
            return options;
        }
        // Options with a value: "--name VALUE" or "--name=VALUE".
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        const bool takesValue = name == "--from" || name == "--to" || name == "--map" ||
                                name == "--x-range" || name == "--y-range" ||
                                name == "--threshold" || name == "--computed" ||
                                name == "--where" || name == "--compare" || name == "--ref-from" ||
                                name == "--ref-to" || name == "--grey-below";
        if (takesValue && !value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        } else if (!takesValue && value) {
            error = name + " takes no value";
            return std::nullopt;
        }

        if (name == "--stdout") {
            options.ToStdout = true;
        } else if (name == "--info") {
            setMode(CsvToolOptions::Mode::Info);
        } else if (name == "--stats") {
            setMode(CsvToolOptions::Mode::Stats);
        } else if (name == "--map") {
            setMode(CsvToolOptions::Mode::Map);
            map = *value;
        } else if (name == "--from" || name == "--to" || name == "--ref-from" ||
                   name == "--ref-to") {
            auto end = ParseRangeEnd(*value);
            if (!end) {
                error = name + " takes a sample number or a time of day HH:MM:SS, not " + *value;
                return std::nullopt;
            }
            (name == "--from"       ? options.From
             : name == "--to"       ? options.To
             : name == "--ref-from" ? options.RefFrom
                                    : options.RefTo) = std::move(end);
        } else if (name == "--compare") {
            if (sawCompare) {
                error = "--compare is given twice (one reference log)";
                return std::nullopt;
            }
            if (value->empty()) {
                error = "--compare needs a reference log";
                return std::nullopt;
            }
            options.Compare = *value;
            sawCompare = true;
        } else if (name == "--grey-below") {
            std::int64_t least = 0;
            if (!ParseInteger(*value, least) || least < 1) {
                error = "--grey-below takes a number of samples, 1 or more, not " + *value;
                return std::nullopt;
            }
            options.GreyBelow = least;
            sawGreyBelow = true;
        } else if (name == "--x-range" || name == "--y-range") {
            auto axis = ParseAxis(*value, error);
            if (!axis) return std::nullopt;
            (name == "--x-range" ? options.XRange : options.YRange) = axis;
            sawAxis = true;
        } else if (name == "--threshold") {
            if (!ParseThreshold(*value, options, error)) return std::nullopt;
        } else if (name == "--computed") {
            if (!ParseComputed(*value, options, error)) return std::nullopt;
        } else if (name == "--where") {
            if (sawWhere) {
                error = "--where is given twice (one condition: join them with &&)";
                return std::nullopt;
            }
            ExpressionError problem;
            if (!Expression::Compile(*value, problem)) {
                error = "--where " + *value + ": " + problem.Text();
                return std::nullopt;
            }
            options.Where = *value;
            sawWhere = true;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }

    if (map && !ParseMap(*map, options, error)) return std::nullopt;

    using Mode = CsvToolOptions::Mode;
    const bool ranged = options.From || options.To;
    if (modes > 1) {
        error = "--info, --stats and --map cannot be combined";
    } else if (options.ToStdout && options.Action != Mode::Export) {
        error = "--stdout goes with an export only (--stats and --map print anyway)";
    } else if ((options.From || options.To) && options.Action == Mode::Info) {
        error = "--from and --to do not go with --info";
    } else if (sawAxis && options.Action != Mode::Map) {
        error = "--x-range and --y-range go with --map";
    } else if (!options.Thresholds.empty() && options.Action != Mode::Stats) {
        error = "--threshold goes with --stats";
    } else if (!options.Computed.empty() &&
               (options.Action == Mode::Info ||
                (options.Action == Mode::Export && !options.ToStdout && !ranged))) {
        error =
            "--computed goes with --stats, --map, --stdout or --from/--to (a CSV file "
            "that is appended to keeps its columns)";
    } else if (sawWhere && options.Action != Mode::Stats && options.Action != Mode::Map) {
        error = "--where goes with --stats and --map";
    } else if (sawCompare && options.Action != Mode::Stats && options.Action != Mode::Map) {
        error = "--compare goes with --stats and --map";
    } else if ((options.RefFrom || options.RefTo) && !sawCompare) {
        error = "--ref-from and --ref-to go with --compare";
    } else if (sawGreyBelow && (options.Action != Mode::Map || !sawCompare)) {
        error = "--grey-below goes with --map and --compare";
    } else if (options.Logs.empty()) {
        error = "no log named";
    } else if ((options.ToStdout || options.Action == Mode::Map) && options.Logs.size() != 1) {
        error = options.ToStdout ? "--stdout takes one log" : "--map takes one log";
    }
    if (!error.empty()) return std::nullopt;
    return options;
}

}  // namespace orvane
