#include "core/schedule/batch_options.h"

#include "core/capacity/shaft_check.h"
#include "core/text/number_text.h"
#include "core/texts/batch.h"

namespace saxolith
{

namespace
{

// One of the report's options; nothing when its value is understood.
std::optional<std::string> reportOption(const std::string &option, const std::string &value,
                                        BatchOptions &options)
{
    ReportSettings &settings = options.reportSettings;
    if (option == "--report") {
        if (value == "pdf" || value == "PDF") {
            options.report = ReportFormat::Pdf;
        } else if (value == "docx" || value == "DOCX") {
            options.report = ReportFormat::Docx;
        } else {
            return std::string(batchText::unknownReport) + value;
        }
    } else if (option == "--project-name") {
        settings.titleBlock.projectName = value;
    } else if (option == "--concrete") {
        settings.concreteGrade = value;
        if (const ConcreteGrade *grade = concreteGradeByName(value)) {
            settings.concreteGrade = std::string(grade->name);
        }
    } else {
        const std::optional<double> number = strictNumber(value);
        if (!number) {
            return option + " " + std::string(batchText::notANumber) + value;
        }
        (option == "--psic" ? settings.psiC : settings.gamma) = *number;
    }
    return std::nullopt;
}

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
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (value) {
                return value;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--template") {
            options.templateWanted = true;
        } else if (arg == "--pdf") {
            options.pdf = true;
        } else if (arg == "--xlsx") {
            options.xlsx = true;
        } else if (arg == "--report" || arg == "--project-name" || arg == "--concrete" || arg == "--psic" ||
                   arg == "--gamma") {
            const auto given = takeValue();
            if (!given) {
                return std::string(batchText::missingValue) + arg;
            }
            if (auto problem = reportOption(arg, *given, options)) {
                return problem;
            }
        } else if (arg == "--out" || arg == "--encoding" || arg == "--project") {
            const auto given = takeValue();
            if (!given) {
                return std::string(batchText::missingValue) + arg;
            }
            if (arg == "--out") {
                options.outFolder = *given;
            } else if (arg == "--project") {
                options.project = *given;
            } else if (!(options.codePage = codePageByName(*given))) {
                return std::string(batchText::unknownEncoding) + *given;
            }
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            return std::string(batchText::unknownOption) + arg;
        } else {
            positional.push_back(arg);
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
