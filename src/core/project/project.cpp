#include "core/project/project.h"

#include "core/ground/ground_pile.h"
#include "core/optimise/option_grid.h"
#include "core/report/report_document.h"
#include "core/schedule/schedule_file.h"
#include "core/text/fill_in.h"
#include "core/texts/project.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <set>
#include <sstream>

namespace saxolith
{

namespace
{

using Json = nlohmann::ordered_json;

// What marks a file as this program's project, whatever its version.
constexpr std::string_view formatKey = "format";
constexpr std::string_view formatName = "saxolith-project";
constexpr std::string_view versionKey = "schemaVersion";
// Deeper nesting than any project has is refused before the parser would recurse into it.
constexpr int deepestNesting = 32;

// A field missing or of the wrong kind: the reading stops with its name.
struct BadField {
    std::string name;
};

Json inputJson(const CalculationInput &input)
{
    return Json{{"section", input.sectionItem},
                {"first", input.firstDimension},
                {"second", input.secondDimension},
                {"route", static_cast<int>(input.route)},
                {"qpa", input.qpa},
                {"frk", input.frk},
                {"psiMode", static_cast<int>(input.psiMode)},
                {"integrity", input.integrity},
                {"manualPsi", input.manualPsi},
                {"precision", input.precision}};
}

Json optionalNumber(const std::optional<double> &value)
{
    return value ? Json(*value) : Json(nullptr);
}

Json layerJson(const GroundLayer &layer)
{
    return Json{{"line", layer.line},         {"number", layer.number},
                {"name", layer.name},         {"top", layer.top},
                {"bottom", layer.bottom},     {"qsia", optionalNumber(layer.qsia)},
                {"qsik", optionalNumber(layer.qsik)}, {"qpa", optionalNumber(layer.qpa)},
                {"frk", optionalNumber(layer.frk)},   {"integrity", layer.integrity}};
}

// What a pile of another method keeps: its ground as it was found, its method, socket and rock; its parts
// are made again when it is read.
Json groundJson(const GroundPile &pile)
{
    const PileProfile &profile = pile.profile;
    Json layers = Json::array();
    for (const ProfileLayer &layer : profile.layers) {
        layers.push_back(Json{{"number", layer.number},
                              {"name", layer.name},
                              {"length", layer.length},
                              {"qsia", optionalNumber(layer.qsia)},
                              {"qsik", optionalNumber(layer.qsik)}});
    }
    return Json{{"method", methodName(pile.method)},
                {"process", processName(pile.process)},
                {"socket", pile.socket},
                {"qpa", pile.qpa},
                {"frk", pile.frk},
                {"profile", Json{{"hole", profile.hole},
                                 {"collar", profile.collar},
                                 {"top", profile.top},
                                 {"topDepth", profile.topDepth},
                                 {"holeDepth", profile.holeDepth},
                                 {"lengthAbove", profile.sums.lengthAbove},
                                 {"layers", std::move(layers)},
                                 {"bearing", layerJson(profile.bearing)}}}};
}

Json entryJson(const BookEntry &entry)
{
    Json json{{"id", entry.pileName}, {"time", entry.timeText}, {"input", inputJson(entry.input)}};
    if (entry.ground) {
        json["ground"] = groundJson(*entry.ground);
    }
    return json;
}

// The report's fields added after the first layout: written only when given, so a project without them
// keeps its bytes, and read as empty (or the default) where absent.
struct LaterTextField {
    const char *key;
    std::string TitleBlock::*text;
};
constexpr std::array<LaterTextField, 4> laterTitleFields{{
    {"approver", &TitleBlock::approver},
    {"lead", &TitleBlock::lead},
    {"stage", &TitleBlock::stage},
    {"reportNumber", &TitleBlock::reportNumber},
}};

void addLaterReportFields(Json &report, const ReportSettings &settings)
{
    for (const LaterTextField &later : laterTitleFields) {
        if (const std::string &value = settings.titleBlock.*later.text; !value.empty()) {
            report["titleBlock"][later.key] = value;
        }
    }
    if (settings.pileType != ReportSettings{}.pileType) {
        report["pileType"] = settings.pileType;
    }
}

Json projectJson(const Project &project)
{
    Json json;
    json[formatKey] = formatName;
    json[versionKey] = projectSchemaVersion;
    const TitleBlock &title = project.report.titleBlock;
    json["report"] = Json{{"titleBlock",
                           Json{{"projectName", title.projectName},
                                {"projectNumber", title.projectNumber},
                                {"subItem", title.subItem},
                                {"designUnit", title.designUnit},
                                {"designer", title.designer},
                                {"checker", title.checker},
                                {"reviewer", title.reviewer},
                                {"date", title.date}}},
                          {"concreteGrade", project.report.concreteGrade},
                          {"psiC", project.report.psiC},
                          {"gamma", project.report.gamma}};
    addLaterReportFields(json["report"], project.report);
    json["inputScreen"] = inputJson(project.inputScreen);
    json["optionGrid"] = project.optionGrid;
    Json entries = Json::array();
    for (const BookEntry &entry : project.entries) {
        entries.push_back(entryJson(entry));
    }
    json["book"] = Json{{"closingTime", project.closingTime}, {"entries", std::move(entries)}};
    if (!project.boreholes.empty()) {
        json["boreholes"] = project.boreholes;
    }
    return json;
}

void writeJson(std::ostream &out, const Json &json)
{
    // One entry a line keeps a large file readable and a difference between two versions small.
    out << json.dump(1, '\t', false, Json::error_handler_t::replace) << '\n';
}

const Json &field(const Json &object, std::string_view key, const std::string &where)
{
    const std::string name = where.empty() ? std::string(key) : where + "." + std::string(key);
    if (!object.is_object()) {
        throw BadField{where};
    }
    const auto found = object.find(key);
    if (found == object.end()) {
        throw BadField{name};
    }
    return *found;
}

// Control characters would break a book line apart.
std::string text(const Json &object, std::string_view key, const std::string &where, bool oneLine = true)
{
    const Json &value = field(object, key, where);
    if (!value.is_string()) {
        throw BadField{where.empty() ? std::string(key) : where + "." + std::string(key)};
    }
    std::string result = value.get<std::string>();
    if (oneLine && std::any_of(result.begin(), result.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        throw BadField{where.empty() ? std::string(key) : where + "." + std::string(key)};
    }
    return result;
}

int whole(const Json &object, std::string_view key, const std::string &where, int lowest, int highest)
{
    const Json &value = field(object, key, where);
    if (!value.is_number_integer() || value.get<long long>() < lowest || value.get<long long>() > highest) {
        throw BadField{where + "." + std::string(key)};
    }
    return value.get<int>();
}

double number(const Json &object, std::string_view key, const std::string &where)
{
    const Json &value = field(object, key, where);
    if (!value.is_number()) {
        throw BadField{where.empty() ? std::string(key) : where + "." + std::string(key)};
    }
    return value.get<double>();
}

CalculationInput readInput(const Json &json, const std::string &where)
{
    CalculationInput input;
    input.sectionItem = whole(json, "section", where, -1, static_cast<int>(SectionItem::Rectangular));
    input.firstDimension = text(json, "first", where);
    input.secondDimension = text(json, "second", where);
    input.route = static_cast<StrengthRoute>(whole(json, "route", where, 1, 2));
    input.qpa = text(json, "qpa", where);
    input.frk = text(json, "frk", where);
    input.psiMode = static_cast<PsiMode>(whole(json, "psiMode", where, 1, 2));
    input.integrity = text(json, "integrity", where);
    input.manualPsi = text(json, "manualPsi", where);
    input.precision = whole(json, "precision", where, 0, precisionChoiceCount - 1);
    return input;
}

std::optional<double> optionalNumber(const Json &object, std::string_view key, const std::string &where)
{
    const Json &value = field(object, key, where);
    if (value.is_null()) {
        return std::nullopt;
    }
    return number(object, key, where);
}

GroundLayer readLayer(const Json &json, const std::string &where)
{
    GroundLayer layer;
    layer.line = whole(json, "line", where, 0, std::numeric_limits<int>::max());
    layer.number = text(json, "number", where);
    layer.name = text(json, "name", where);
    layer.top = number(json, "top", where);
    layer.bottom = number(json, "bottom", where);
    layer.qsia = optionalNumber(json, "qsia", where);
    layer.qsik = optionalNumber(json, "qsik", where);
    layer.qpa = optionalNumber(json, "qpa", where);
    layer.frk = optionalNumber(json, "frk", where);
    layer.integrity = text(json, "integrity", where);
    return layer;
}

std::shared_ptr<GroundPile> readGround(const Json &json, const std::string &where)
{
    auto pile = std::make_shared<GroundPile>();
    const auto method = methodByName(text(json, "method", where));
    const auto process = processByName(text(json, "process", where));
    if (!method || !process) {
        throw BadField{where + (method ? ".process" : ".method")};
    }
    pile->method = *method;
    pile->process = *process;
    pile->socket = number(json, "socket", where);
    pile->qpa = number(json, "qpa", where);
    pile->frk = number(json, "frk", where);
    const std::string at = where + ".profile";
    const Json &profileJson = field(json, "profile", where);
    PileProfile &profile = pile->profile;
    profile.hole = text(profileJson, "hole", at);
    profile.collar = number(profileJson, "collar", at);
    profile.top = number(profileJson, "top", at);
    profile.topDepth = number(profileJson, "topDepth", at);
    profile.holeDepth = number(profileJson, "holeDepth", at);
    const Json &layers = field(profileJson, "layers", at);
    if (!layers.is_array()) {
        throw BadField{at + ".layers"};
    }
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const std::string layerAt = at + ".layers[" + std::to_string(i + 1) + "]";
        ProfileLayer &layer = profile.layers.emplace_back();
        layer.number = text(layers[i], "number", layerAt);
        layer.name = text(layers[i], "name", layerAt);
        layer.length = number(layers[i], "length", layerAt);
        layer.qsia = optionalNumber(layers[i], "qsia", layerAt);
        layer.qsik = optionalNumber(layers[i], "qsik", layerAt);
    }
    profile.bearing = readLayer(field(profileJson, "bearing", at), at + ".bearing");
    profile.sums = groundSums(profile.layers, profile.bearing);
    profile.sums.lengthAbove = number(profileJson, "lengthAbove", at);
    return pile;
}

void readLaterReportFields(const Json &report, ReportSettings &settings)
{
    const Json &title = report.at("titleBlock");
    for (const LaterTextField &later : laterTitleFields) {
        if (title.contains(later.key)) {
            settings.titleBlock.*later.text = text(title, later.key, "report.titleBlock");
        }
    }
    if (report.contains("pileType")) {
        settings.pileType = text(report, "pileType", "report");
    }
}

ReportSettings readReport(const Json &json)
{
    const std::string where = "report";
    const std::string titleWhere = "report.titleBlock";
    const Json &title = field(json, "titleBlock", where);
    ReportSettings report;
    TitleBlock &block = report.titleBlock;
    block.projectName = text(title, "projectName", titleWhere);
    block.projectNumber = text(title, "projectNumber", titleWhere);
    block.subItem = text(title, "subItem", titleWhere);
    block.designUnit = text(title, "designUnit", titleWhere);
    block.designer = text(title, "designer", titleWhere);
    block.checker = text(title, "checker", titleWhere);
    block.reviewer = text(title, "reviewer", titleWhere);
    block.date = text(title, "date", titleWhere);
    report.concreteGrade = text(json, "concreteGrade", where);
    report.psiC = number(json, "psiC", where);
    report.gamma = number(json, "gamma", where);
    readLaterReportFields(json, report);
    // As the report's dialog takes them: a project never brings in settings it could not hold.
    if (reportSettingsProblem(report)) {
        ReportSettings field = ReportSettings{};
        field.concreteGrade = report.concreteGrade;
        if (reportSettingsProblem(field)) {
            throw BadField{where + ".concreteGrade"};
        }
        field.psiC = report.psiC;
        throw BadField{where + (reportSettingsProblem(field) ? ".psiC" : ".gamma")};
    }
    return report;
}

std::vector<std::vector<std::string>> readGrid(const Json &json)
{
    const std::string where = "optionGrid";
    if (!json.is_array() || json.size() != static_cast<std::size_t>(optionGridRows)) {
        throw BadField{where};
    }
    std::vector<std::vector<std::string>> grid;
    for (const Json &row : json) {
        if (!row.is_array() || row.size() != static_cast<std::size_t>(optionGridColumns) ||
            !std::all_of(row.begin(), row.end(), [](const Json &cell) { return cell.is_string(); })) {
            throw BadField{where};
        }
        grid.push_back(row.get<std::vector<std::string>>());
    }
    return grid;
}

// The deepest nesting of arrays and objects, counted outside strings.
int nesting(std::string_view bytes)
{
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

// The keys of each object the parser is in, so that a key given twice (which the parser lets the last
// win) refuses the file. A handful of keys are looked through, many kept sorted.
class RepeatedKeys
{
  public:
    bool operator()(int, Json::parse_event_t event, Json &parsed)
    {
        if (event == Json::parse_event_t::object_start) {
            m_levels.emplace_back();
        } else if (event == Json::parse_event_t::object_end && !m_levels.empty()) {
            m_levels.pop_back();
        } else if (event == Json::parse_event_t::key && !m_levels.empty() && !m_repeated) {
            if (!m_levels.back().add(parsed.get_ref<const std::string &>())) {
                m_repeated = parsed.get<std::string>();
            }
        }
        return true;
    }
    const std::optional<std::string> &repeated() const { return m_repeated; }

  private:
    struct Level {
        std::vector<std::string> few;
        std::set<std::string, std::less<>> many;
        bool add(const std::string &key)
        {
            constexpr std::size_t fewKeys = 16;
            if (!many.empty()) {
                return many.insert(key).second;
            }
            if (std::find(few.begin(), few.end(), key) != few.end()) {
                return false;
            }
            few.push_back(key);
            if (few.size() > fewKeys) {
                many.insert(few.begin(), few.end());
                few.clear();
            }
            return true;
        }
    };
    std::vector<Level> m_levels;
    std::optional<std::string> m_repeated;
};

std::string entryName(const BookEntry &entry, std::size_t index)
{
    return entry.pileName.empty() ? std::string(book::pileNumberPrefix) + std::to_string(index + 1)
                                  : entry.pileName;
}

// Records every entry into `book` as it was recorded; the reason of the first entry refused.
std::optional<std::string> recordEntries(const Project &project, CalculationBook &book)
{
    for (std::size_t i = 0; i < project.entries.size(); ++i) {
        const BookEntry &entry = project.entries[i];
        CalculationOutcome outcome = entryOutcome(entry);
        if (outcome.end != CalculationEnd::Completed || !outcome.record) {
            const std::string &why = outcome.end == CalculationEnd::ConversionFailure ? outcome.errorBoxText
                                                                                      : outcome.statusText;
            return fillIn(projectText::refusedEntry, {std::to_string(i + 1), entryName(entry, i), why});
        }
        book.record(*outcome.record, entry.timeText, entry.pileName);
    }
    book.setClosingTime(project.closingTime);
    return std::nullopt;
}

ProjectReading refused(std::string error)
{
    ProjectReading reading;
    reading.error = std::move(error);
    return reading;
}

} // namespace

std::vector<std::vector<std::string>> startOptionGrid()
{
    std::vector<std::vector<std::string>> grid(optionGridRows);
    for (int row = 0; row < optionGridRows; ++row) {
        for (int column = 0; column < optionGridColumns; ++column) {
            grid[static_cast<std::size_t>(row)].emplace_back(optionGridStartText(row, column));
        }
    }
    return grid;
}

Project projectOf(const CalculationBook &book)
{
    Project project;
    project.entries = book.entries();
    project.closingTime = book.closingTime();
    return project;
}

void writeProject(std::ostream &out, const Project &project)
{
    writeJson(out, projectJson(project));
}

void writeJournal(std::ostream &out, const Project &project, std::string_view projectPath)
{
    Json json = projectJson(project);
    json["journal"] = Json{{"projectPath", std::string(projectPath)}};
    writeJson(out, json);
}

namespace
{

// A string as the project's JSON writes it: a plain one as it is, any other through the library.
void appendJsonString(std::string &out, const std::string &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
    });
    if (plain) {
        out += '"';
        out += text;
        out += '"';
    } else {
        out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
}

// An entry's object as the whole file's dump indents it, three levels down (book, entries).
void appendEntryJson(std::string &out, const BookEntry &entry)
{
    const auto key = [&out](std::string_view indent, std::string_view name) {
        out += indent;
        out += '"';
        out += name;
        out += "\": ";
    };
    const auto text = [&](std::string_view name, const std::string &value, bool last = false) {
        key("\t\t\t\t\t", name);
        appendJsonString(out, value);
        out += last ? "\n" : ",\n";
    };
    const auto whole = [&](std::string_view name, int value, bool last = false) {
        key("\t\t\t\t\t", name);
        out += std::to_string(value);
        out += last ? "\n" : ",\n";
    };
    if (entry.ground) {
        // Rare and nested: the library's own layout, moved three levels in.
        const std::string dumped = entryJson(entry).dump(1, '\t', false, Json::error_handler_t::replace);
        for (const char c : dumped) {
            out += c;
            if (c == '\n') {
                out += "\t\t\t";
            }
        }
        return;
    }
    const CalculationInput &input = entry.input;
    out += "{\n";
    key("\t\t\t\t", "id");
    appendJsonString(out, entry.pileName);
    out += ",\n";
    key("\t\t\t\t", "time");
    appendJsonString(out, entry.timeText);
    out += ",\n";
    key("\t\t\t\t", "input");
    out += "{\n";
    whole("section", input.sectionItem);
    text("first", input.firstDimension);
    text("second", input.secondDimension);
    whole("route", static_cast<int>(input.route));
    text("qpa", input.qpa);
    text("frk", input.frk);
    whole("psiMode", static_cast<int>(input.psiMode));
    text("integrity", input.integrity);
    text("manualPsi", input.manualPsi);
    whole("precision", input.precision, true);
    out += "\t\t\t\t}\n\t\t\t}";
}

} // namespace

ProjectStreamWriter::ProjectStreamWriter(Project project) : m_project(std::move(project))
{
    // The whole file with one entry, cut around that entry's text.
    m_project.entries.assign(1, BookEntry{});
    std::ostringstream whole;
    writeProject(whole, m_project);
    const std::string text = whole.str();
    std::string entry;
    appendEntryJson(entry, m_project.entries.front());
    const std::size_t at = text.rfind(entry);
    m_head = text.substr(0, at);
    m_tail = text.substr(at + entry.size());
    m_project.entries.clear();
}

void ProjectStreamWriter::appendEntry(std::string &out, const BookEntry &entry)
{
    out += m_entries++ == 0 ? std::string_view(m_head) : std::string_view(",\n\t\t\t");
    appendEntryJson(out, entry);
}

void ProjectStreamWriter::finish(std::string &out)
{
    if (m_entries > 0) {
        out += m_tail;
        return;
    }
    m_project.closingTime.clear(); // a book without entries has no time line
    std::ostringstream whole;
    writeProject(whole, m_project);
    out += whole.str();
}

ProjectReading readProject(std::string_view bytes, CalculationBook *book)
{
    if (bytes.empty()) {
        return refused(std::string(projectText::emptyFile));
    }
    if (bytes.size() > largestProjectFile) {
        return refused(std::string(projectText::tooLarge));
    }
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || (bytes[start] != '{' && bytes[start] != '[')) {
        return refused(std::string(projectText::notJson));
    }
    if (nesting(bytes) > deepestNesting) {
        return refused(std::string(projectText::tooDeep));
    }
    Json json;
    RepeatedKeys keys;
    try {
        json = Json::parse(bytes.begin(), bytes.end(), std::ref(keys));
    } catch (const Json::parse_error &error) {
        // The parser stops past the last byte when the text simply ends too soon.
        if (error.byte >= bytes.size()) {
            return refused(fillIn(projectText::truncated, {std::to_string(bytes.size())}));
        }
        return refused(fillIn(projectText::corrupt, {std::to_string(error.byte)}));
    } catch (const nlohmann::json::exception &) {
        // A number too large for any type the parser holds.
        return refused(std::string(projectText::hugeNumber));
    }
    if (keys.repeated()) {
        return refused(fillIn(projectText::repeatedKey, {*keys.repeated()}));
    }
    if (!json.is_object() || !json.contains(formatKey) || json[formatKey] != formatName) {
        return refused(std::string(projectText::foreignJson));
    }
    const auto version = json.find(versionKey);
    if (version == json.end() || !version->is_number_integer() || version->get<long long>() < 1) {
        return refused(fillIn(projectText::badVersion, {version == json.end() ? "" : version->dump()}));
    }
    if (version->get<long long>() > projectSchemaVersion) {
        return refused(fillIn(projectText::newerVersion,
                              {version->dump(), std::to_string(projectSchemaVersion)}));
    }

    ProjectReading reading;
    Project &project = reading.project.emplace();
    try {
        project.report = readReport(field(json, "report", ""));
        project.inputScreen = readInput(field(json, "inputScreen", ""), "inputScreen");
        project.optionGrid = readGrid(field(json, "optionGrid", ""));
        const Json &bookJson = field(json, "book", "");
        const Json &entries = field(bookJson, "entries", "book");
        if (!entries.is_array()) {
            throw BadField{"book.entries"};
        }
        project.entries.reserve(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string where = "book.entries[" + std::to_string(i + 1) + "]";
            const Json &entry = entries[i];
            std::string id = text(entry, "id", where);
            // As long as a schedule's: the book lays out every id, and a longer one has no place in it.
            if (std::count_if(id.begin(), id.end(), [](char c) {
                    return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
                }) > static_cast<std::ptrdiff_t>(longestId)) {
                throw BadField{where + ".id"};
            }
            project.entries.push_back({readInput(field(entry, "input", where), where + ".input"),
                                       std::move(id), text(entry, "time", where)});
            if (entry.contains("ground")) {
                std::shared_ptr<GroundPile> ground = readGround(entry["ground"], where + ".ground");
                // Its parts from its calculation; an entry the command refuses is refused below.
                if (const CalculationOutcome outcome = calculate(project.entries.back().input); outcome.record) {
                    ground->parts = groundParts(*ground, *outcome.record);
                }
                project.entries.back().ground = std::move(ground);
            }
        }
        project.closingTime = text(bookJson, "closingTime", "book");
        if (json.contains("boreholes")) {
            project.boreholes = text(json, "boreholes", "", false);
        }
        if (const auto journal = json.find("journal"); journal != json.end()) {
            reading.projectPath = text(*journal, "projectPath", "journal");
        }
    } catch (const BadField &bad) {
        return refused(fillIn(projectText::badField, {bad.name}));
    }

    CalculationBook rebuilt;
    if (auto error = recordEntries(project, rebuilt)) {
        return refused(std::move(*error));
    }
    if (book != nullptr) {
        *book = std::move(rebuilt);
    }
    return reading;
}

std::optional<std::string> rebuildBook(const Project &project, CalculationBook &book)
{
    CalculationBook rebuilt;
    if (auto error = recordEntries(project, rebuilt)) {
        return error;
    }
    book = std::move(rebuilt);
    return std::nullopt;
}

std::optional<std::string> readReportSettingsFile(std::string_view bytes, ReportSettings &settings)
{
    if (bytes.size() > largestProjectFile) {
        return std::string(projectText::tooLarge);
    }
    Json json;
    try {
        json = nesting(bytes) > deepestNesting ? Json() : Json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::exception &) {
        return std::string(projectText::notJson);
    }
    if (!json.is_object()) {
        return std::string(projectText::notJson);
    }
    // A project's "report", or the same object alone.
    const bool inProject = json.contains("report");
    const Json &report = inProject ? json["report"] : json;
    const std::string where = inProject ? "report" : "";
    const auto name = [&where](std::string_view key) {
        return where.empty() ? std::string(key) : where + "." + std::string(key);
    };
    ReportSettings read = settings;
    try {
        if (!report.is_object()) {
            throw BadField{where};
        }
        if (report.contains("titleBlock")) {
            const Json &title = report["titleBlock"];
            const std::string titleWhere = name("titleBlock");
            for (const auto &[key, member] :
                 std::array<std::pair<const char *, std::string TitleBlock::*>, 12>{{
                     {"projectName", &TitleBlock::projectName},
                     {"projectNumber", &TitleBlock::projectNumber},
                     {"subItem", &TitleBlock::subItem},
                     {"designUnit", &TitleBlock::designUnit},
                     {"designer", &TitleBlock::designer},
                     {"checker", &TitleBlock::checker},
                     {"reviewer", &TitleBlock::reviewer},
                     {"date", &TitleBlock::date},
                     {"approver", &TitleBlock::approver},
                     {"lead", &TitleBlock::lead},
                     {"stage", &TitleBlock::stage},
                     {"reportNumber", &TitleBlock::reportNumber},
                 }}) {
                if (!title.is_object()) {
                    throw BadField{titleWhere};
                }
                if (title.contains(key)) {
                    read.titleBlock.*member = text(title, key, titleWhere);
                }
            }
        }
        for (const auto &[key, member] :
             std::array<std::pair<const char *, std::string ReportSettings::*>, 2>{
                 {{"concreteGrade", &ReportSettings::concreteGrade},
                  {"pileType", &ReportSettings::pileType}}}) {
            if (report.contains(key)) {
                read.*member = text(report, key, where);
            }
        }
        for (const auto &[key, member] : std::array<std::pair<const char *, double ReportSettings::*>, 2>{
                 {{"psiC", &ReportSettings::psiC}, {"gamma", &ReportSettings::gamma}}}) {
            if (report.contains(key)) {
                read.*member = number(report, key, where);
            }
        }
    } catch (const BadField &bad) {
        return fillIn(projectText::badField, {bad.name});
    }
    settings = std::move(read);
    return std::nullopt;
}

std::string projectFileStem(std::string_view projectName)
{
    std::string stem;
    for (const char c : projectName) {
        const bool refused = static_cast<unsigned char>(c) < 0x20 ||
                             std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        stem += refused ? '_' : c;
    }
    // Blanks and dots at either end are lost or refused by some systems.
    const std::size_t first = stem.find_first_not_of(" .");
    if (first == std::string::npos) {
        return {};
    }
    return stem.substr(first, stem.find_last_not_of(" .") - first + 1);
}

} // namespace saxolith
