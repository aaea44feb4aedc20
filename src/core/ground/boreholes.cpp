#include "core/ground/boreholes.h"

#include "core/capacity/calculation.h"
#include "core/text/ascii_number.h"
#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/ground.h"
#include "core/texts/schedule.h"

#include <algorithm>

namespace saxolith
{

namespace
{

// A column's name as it is compared, and without a unit in brackets at its end.
std::string withoutUnit(std::string key)
{
    if (key.ends_with(')')) {
        if (const std::size_t open = key.rfind('('); open != std::string::npos && open > 0) {
            key.resize(open);
        }
    }
    return key;
}

std::string columnLabel(BoreholeColumn column)
{
    const BoreholeColumnName &name = boreholeColumnNames[static_cast<std::size_t>(column)];
    return std::string(name.english) + "/" + std::string(name.chinese);
}

// Site reports write a value a layer does not have as a dash.
bool isDash(std::string_view cell)
{
    return cell == "-" || cell == "—" || cell == "－" || cell == "/";
}

class LayerRow
{
  public:
    LayerRow(int line, const std::vector<std::string_view> &fields,
             const std::vector<std::optional<BoreholeColumn>> &columns)
        : m_line(line)
    {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (columns[i]) {
                m_cells[static_cast<std::size_t>(*columns[i])] = trimmedCell(fields[i]);
            }
        }
    }

    std::string_view cell(BoreholeColumn column) const { return m_cells[static_cast<std::size_t>(column)]; }

    // An empty cell reads as nothing; otherwise a number, or the error that it is not one.
    std::optional<double> number(BoreholeColumn column, std::string &error) const
    {
        const std::string_view text = cell(column);
        if (text.empty() || isDash(text)) {
            return std::nullopt;
        }
        const auto value = strictNumber(asciiNumber(text));
        if (!value) {
            error = fillIn(groundText::notNumber, {columnLabel(column), quotedCell(text)});
        }
        return value;
    }

    // A resistance or strength: empty, or a number not below 0 (above 0 with `positive`).
    std::optional<double> amount(BoreholeColumn column, bool positive, std::string &error) const
    {
        const auto value = number(column, error);
        if (value && (*value < 0.0 || (positive && *value == 0.0))) {
            error = fillIn(positive ? groundText::notPositive : groundText::negative,
                           {columnLabel(column), quotedCell(cell(column))});
        }
        return value;
    }

    int line() const { return m_line; }

  private:
    int m_line;
    std::array<std::string_view, boreholeColumnCount> m_cells{};
};

class BoreholesReader
{
  public:
    explicit BoreholesReader(BoreholesReading &reading) : m_reading(reading) {}

    bool take(int line, const std::vector<std::string_view> &fields)
    {
        if (m_columns.empty()) {
            return header(line, fields);
        }
        if (fields.size() != m_columns.size()) {
            return fail(line, fillIn(scheduleText::cellCount,
                                     {std::to_string(fields.size()), std::to_string(m_columns.size())}));
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!m_columns[i] && !trimmedCell(fields[i]).empty()) {
                return fail(line, fillIn(scheduleText::unnamedColumn, {std::to_string(i + 1)}));
            }
        }
        return layer(LayerRow(line, fields, m_columns));
    }

    // After the last record: a file without a header or without rows is refused too.
    void finish()
    {
        if (m_reading.error) {
            return;
        }
        if (m_columns.empty()) {
            fail(1, std::string(groundText::emptyFile));
        } else if (m_reading.boreholes.empty()) {
            fail(m_headerLine + 1, std::string(groundText::noRows));
        }
    }

  private:
    bool fail(int line, std::string text)
    {
        m_reading.error = ScheduleError{line, std::move(text)};
        return false;
    }

    bool header(int line, const std::vector<std::string_view> &fields)
    {
        m_headerLine = line;
        std::array<bool, boreholeColumnCount> seen{};
        for (const std::string_view field : fields) {
            const std::string_view name = trimmedCell(field);
            if (name.empty()) {
                m_columns.emplace_back();
                continue;
            }
            const auto column = boreholeColumnByName(name);
            if (!column) {
                return fail(line, fillIn(groundText::unknownColumn, {quotedCell(name)}));
            }
            bool &already = seen[static_cast<std::size_t>(*column)];
            if (already) {
                return fail(line, fillIn(scheduleText::repeatedColumn, {quotedCell(name)}));
            }
            already = true;
            m_columns.push_back(column);
        }
        for (const BoreholeColumnName &name : boreholeColumnNames) {
            if (name.required && !seen[static_cast<std::size_t>(name.column)]) {
                return fail(line, fillIn(groundText::missingColumn, {columnLabel(name.column)}));
            }
        }
        return true;
    }

    bool layer(const LayerRow &row)
    {
        using enum BoreholeColumn;
        const int line = row.line();
        std::string error;
        const auto missing = [&](BoreholeColumn column) {
            return fail(line, fillIn(scheduleText::missingCell, {columnLabel(column)}));
        };
        const std::string_view id = row.cell(Hole);
        if (id.empty()) {
            return missing(Hole);
        }
        const std::string_view number = row.cell(Layer);
        if (number.empty()) {
            return missing(Layer);
        }
        const auto collar = row.number(Collar, error);
        const auto bottom = row.number(Bottom, error);
        if (!error.empty()) {
            return fail(line, std::move(error));
        }
        if (!bottom) {
            return missing(Bottom);
        }
        if (!(*bottom > 0.0)) {
            return fail(line,
                        fillIn(groundText::notPositive, {columnLabel(Bottom), quotedCell(row.cell(Bottom))}));
        }
        GroundLayer layer;
        layer.line = line;
        layer.number = number;
        layer.name = row.cell(Name);
        layer.bottom = *bottom;
        layer.qsia = row.amount(Qsia, false, error);
        layer.qsik = row.amount(Qsik, false, error);
        layer.qpa = row.amount(Qpa, true, error);
        layer.frk = row.amount(Frk, true, error);
        if (!error.empty()) {
            return fail(line, std::move(error));
        }
        if (const std::string_view integrity = row.cell(Integrity);
            !integrity.empty() && !isDash(integrity)) {
            layer.integrity = asciiNumber(integrity);
            const IntegrityReading reading = readIntegrity(layer.integrity);
            if (!reading.cls && !reading.index) {
                return fail(line, fillIn(groundText::badIntegrity, {quotedCell(integrity)}));
            }
        }

        bool added = false;
        Borehole &hole = m_reading.boreholes.hole(id, added);
        if (added) {
            if (!collar) {
                return fail(line, fillIn(groundText::noCollar, {quotedCell(id), columnLabel(Collar)}));
            }
            hole.line = line;
            hole.collar = *collar;
        } else if (collar && *collar != hole.collar) {
            return fail(line, fillIn(groundText::collarDiffers,
                                     {formatGeneral(*collar), quotedCell(id), std::to_string(hole.line),
                                      formatGeneral(hole.collar)}));
        }
        if (!hole.layers.empty()) {
            const GroundLayer &above = hole.layers.back();
            if (!(layer.bottom > above.bottom)) {
                return fail(line, fillIn(groundText::depthNotIncreasing,
                                         {formatGeneral(layer.bottom), quotedCell(id),
                                          std::to_string(above.line), formatGeneral(above.bottom)}));
            }
            layer.top = above.bottom;
        }
        if (const GroundLayer *same = hole.layer(layer.number)) {
            return fail(line, fillIn(groundText::repeatedLayer,
                                     {quotedCell(id), quotedCell(layer.number), std::to_string(same->line)}));
        }
        hole.layers.push_back(std::move(layer));
        return true;
    }

    BoreholesReading &m_reading;
    std::vector<std::optional<BoreholeColumn>> m_columns;
    int m_headerLine = 0;
};

} // namespace

std::optional<BoreholeColumn> boreholeColumnByName(std::string_view name)
{
    const std::string wanted = columnNameKey(name);
    const std::string bare = withoutUnit(wanted);
    for (const BoreholeColumnName &entry : boreholeColumnNames) {
        for (const std::string_view given : {entry.english, entry.chinese}) {
            const std::string key = columnNameKey(given);
            if (wanted == key || bare == withoutUnit(key)) {
                return entry.column;
            }
        }
    }
    return std::nullopt;
}

const GroundLayer *Borehole::layer(std::string_view number) const
{
    const auto found = std::find_if(layers.begin(), layers.end(),
                                    [number](const GroundLayer &l) { return l.number == number; });
    return found == layers.end() ? nullptr : &*found;
}

const Borehole *Boreholes::find(std::string_view id) const
{
    const auto found = m_index.find(std::string(id));
    return found == m_index.end() ? nullptr : &m_holes[found->second];
}

Borehole &Boreholes::hole(std::string_view id, bool &added)
{
    const auto [at, inserted] = m_index.try_emplace(std::string(id), m_holes.size());
    added = inserted;
    if (inserted) {
        m_holes.emplace_back().id = id;
    }
    return m_holes[at->second];
}

BoreholesReading readBoreholes(std::string_view bytes)
{
    BoreholesReading reading;
    std::string text;
    if (auto error = tableText(bytes, text)) {
        reading.error = std::move(error);
        return reading;
    }
    BoreholesReader reader(reading);
    auto layout = forEachRecord(text, fieldSeparator(text),
                                [&reader](int line, const std::vector<std::string_view> &fields) {
                                    return reader.take(line, fields);
                                });
    if (layout && !reading.error) {
        reading.error = std::move(layout);
    }
    reader.finish();
    if (reading.error) {
        reading.boreholes = Boreholes();
    }
    return reading;
}

} // namespace saxolith
