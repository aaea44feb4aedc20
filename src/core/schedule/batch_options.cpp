#include "core/schedule/batch_options.h"

#include "core/capacity/shaft_check.h"
#include "core/text/number_text.h"
#include "core/texts/batch.h"

#include <algorithm>
#include <array>

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

constexpr std::array<OptionRow, 15> optionRows{{
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
    {"--project-name", true,
     [](const std::string &value, BatchOptions &o) -> Problem {
         o.reportSettings.titleBlock.projectName = value;
         return {};
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
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string arg = arguments[i];
        std::optional<std::string> value;
        if (arg.starts_with("--") && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg.erase(arg.find('='));
        }
        const auto row = std::find_if(optionRows.begin(), optionRows.end(),
                                      [&arg](const OptionRow &option) { return option.name == arg; });
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
        if (auto problem = row->apply(row->takesValue ? *value : std::string(), options)) {
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
