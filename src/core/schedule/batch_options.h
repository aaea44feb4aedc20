// The command line of saxolith-batch: what it asks for, read without touching a file but the report's
// settings file.
#pragma once

#include "core/report/report_document.h"
#include "core/report/report_settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

struct BatchOptions {
    bool help = false;
    bool version = false;
    bool templateWanted = false;
    std::string schedule; // or the template's file; empty: the template goes to standard output
    std::string outFolder = ".";
    std::optional<std::string> codePage; // "GBK" or "UTF-8"; none: the locale's
    bool pdf = false;
    bool xlsx = false;
    std::string project; // the project file to write; empty: none
    std::string boreholes; // the boreholes file the rows' holes are found in; empty: none
    std::optional<ReportFormat> report;
    std::optional<std::string> reportSettingsFile; // the project or JSON file the settings are read from
    ReportSettings reportSettings; // with --language, the language of the run's messages, results and report
};

// "gbk" → "GBK", "utf-8" or "utf8" → "UTF-8", in any case; nothing for any other name.
std::optional<std::string> codePageByName(std::string_view name);

// Reads the arguments after the program's name ("--out DIR" or "--out=DIR" alike). Nothing when they
// are understood; otherwise what is wrong, as the usage text's first line.
std::optional<std::string> parseBatchOptions(const std::vector<std::string> &arguments, BatchOptions &options);

} // namespace saxolith
