#include "core/schedule/batch_options.h"

#include "core/capacity/shaft_check.h"
#include "core/project/project.h"
#include "core/save/file_system.h"
#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/batch.h"
#include "core/texts/language.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

namespace saxolith
{

namespace
{

using Problem = std::optional<std::string>;

// One option of the command line: its name, whether a value follows it ("--out DIR" or "--out=DIR"), and
// what it sets (a value given to an option that takes none is passed over). An option is added here and
// in BatchOptions, and used where the run needs it.
struct OptionRow {
    std::string_view name;
    bool takesValue;
    Problem (*apply)(const std::string &value, BatchOptions &options);
};

Problem number(const std::string &option, const std::string &value, double &into)
{
    const std::optional<double> given = strictNumber(value);
    if (!given) {
        return option + " " + std::string(batchText::notANumber) + value;
    }
    into = *given;
    return std::nullopt;
}

template <std::string TitleBlock::*Text> Problem setTitle(const std::string &value, BatchOptions &o)
{
    o.reportSettings.titleBlock.*Text = value;
    return {};
}

// The report's settings, each as the dialog's field of the same name; taken after --report-settings FILE,
// whatever their order, as they change what the file gives.
constexpr std::array<OptionRow, 13> reportRows{{
    {"--project-name", true, setTitle<&TitleBlock::projectName>},
    {"--project-number", true, setTitle<&TitleBlock::projectNumber>},
    {"--subproject", true, setTitle<&TitleBlock::subItem>},
    {"--institute", true, setTitle<&TitleBlock::designUnit>},
    {"--designer", true, setTitle<&TitleBlock::designer>},
    {"--checker", true, setTitle<&TitleBlock::checker>},
    {"--reviewer", true, setTitle<&TitleBlock::reviewer>},
    {"--approver", true, setTitle<&TitleBlock::approver>},
    {"--lead", true, setTitle<&TitleBlock::lead>},
    {"--stage", true, setTitle<&TitleBlock::stage>},
    {"--date", true, setTitle<&TitleBlock::date>},
    {"--report-number", true, setTitle<&TitleBlock::reportNumber>},
    {"--pile-type", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.reportSettings.pileType = value;
         return {};
     }},
}};

// The settings of --report-settings FILE over those `settings` holds; nothing when read.
Problem readSettingsFile(const std::string &file, ReportSettings &settings)
{
    std::string bytes;
    errno = 0;
    const bool read = readFileInPieces(file, std::size_t{1} << 20, [&bytes](std::string_view piece) {
        bytes.append(piece);
        return bytes.size() <= largestProjectFile;
    });
    if (!read) {
        return fillIn(batchText::cannotReadSettings, {file, reasonText(errno != 0 ? errno : EIO)});
    }
    if (auto problem = readReportSettingsFile(bytes, settings)) {
        return fillIn(batchText::cannotReadSettings, {file, *problem});
    }
    return std::nullopt;
}

constexpr std::array<OptionRow, 16> optionRows{{
    {"--report-settings", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.reportSettingsFile = value;
         return {};
     }},
    {"--help", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.help = true;
         return {};
     }},
    {"-h", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.help = true;
         return {};
     }},
    {"--version", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.version = true;
         return {};
     }},
    {"--template", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.templateWanted = true;
         return {};
     }},
    {"--pdf", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.pdf = true;
         return {};
     }},
    {"--xlsx", false,
     [](const std::string &, BatchOptions &o) -> Problem {
         o.xlsx = true;
         return {};
     }},
    {"--report", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         if (value == "pdf" || value == "PDF") {
             o.report = ReportFormat::Pdf;
         } else if (value == "docx" || value == "DOCX") {
             o.report = ReportFormat::Docx;
         } else {
             return std::string(batchText::unknownReport) + value;
         }
         return std::nullopt;
     }},
    {"--concrete", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         const ConcreteGrade *grade = concreteGradeByName(value);
         o.reportSettings.concreteGrade = grade != nullptr ? std::string(grade->name) : value;
         return std::nullopt;
     }},
    {"--psic", true,
     [](const std::string &value, BatchOptions &o) {
         return number("--psic", value, o.reportSettings.psiC);
     }},
    {"--gamma", true,
     [](const std::string &value, BatchOptions &o) {
         return number("--gamma", value, o.reportSettings.gamma);
     }},
    {"--out", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.outFolder = value;
         return {};
     }},
    {"--project", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.project = value;
         return {};
     }},
    {"--boreholes", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.boreholes = value;
         return {};
     }},
    {"--encoding", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         if (!(o.codePage = codePageByName(value))) {
             return std::string(batchText::unknownEncoding) + value;
         }
         return std::nullopt;
     }},
    {"--language", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         if (!(o.reportSettings.language = languageByName(value))) {
             return std::string(batchText::unknownLanguage) + value;
         }
         return std::nullopt;
     }},
}};

} // namespace

std::optional<std::string> codePageByName(std::string_view name)
{
    std::string lower;
    for (const char c : name) {
        lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "gbk") {
        return "GBK";
    }
    if (lower == "utf-8" || lower == "utf8") {
        return "UTF-8";
    }
    return std::nullopt;
}

std::optional<std::string> parseBatchOptions(const std::vector<std::string> &arguments, BatchOptions &options)
{
    // The language first: a mistake anywhere on the line is told in it.
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].starts_with("--language=")) {
            options.reportSettings.language = languageByName(std::string_view(arguments[i]).substr(11));
        } else if (arguments[i] == "--language" && i + 1 < arguments.size()) {
            options.reportSettings.language = languageByName(arguments[i + 1]);
        }
    }
    std::vector<std::string> positional;
    std::vector<std::pair<const OptionRow *, std::string>> reportOptions;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string arg = arguments[i];
        std::optional<std::string> value;
        if (arg.starts_with("--") && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg.erase(arg.find('='));
        }
        const auto named = [&arg](const OptionRow &option) { return option.name == arg; };
        const auto reportRow = std::find_if(reportRows.begin(), reportRows.end(), named);
        const auto row = reportRow != reportRows.end()
                             ? reportRow
                             : std::find_if(optionRows.begin(), optionRows.end(), named);
        if (row == optionRows.end()) {
            if (arg.size() > 1 && arg.starts_with("-")) {
                return std::string(batchText::unknownOption) + arg;
            }
            positional.push_back(arg);
            continue;
        }
        if (row->takesValue && !value) {
            if (i + 1 == arguments.size()) {
                return std::string(batchText::missingValue) + arg;
            }
            value = arguments[++i];
        }
        if (reportRow != reportRows.end()) {
            reportOptions.emplace_back(&*row, *value);
        } else if (auto problem = row->apply(row->takesValue ? *value : std::string(), options)) {
            return problem;
        }
    }
    if (options.reportSettingsFile) {
        if (auto problem = readSettingsFile(*options.reportSettingsFile, options.reportSettings)) {
            return problem;
        }
    }
    for (const auto &[row, value] : reportOptions) {
        if (auto problem = row->apply(value, options)) {
            return problem;
        }
    }
    if (const auto problem = reportSettingsProblem(options.reportSettings)) {
        return problem;
    }
    if (positional.size() > 1) {
        return std::string(batchText::oneSchedule);
    }
    if (!positional.empty()) {
        options.schedule = positional.front();
    } else if (!options.templateWanted && !options.help && !options.version) {
        return std::string(batchText::noSchedule);
    }
    return std::nullopt;
}

} // namespace saxolith
