#include "core/schedule/schedule_run.h"

#include "core/capacity/field_check.h"
#include "core/capacity/section_types.h"
#include "core/schedule/ground_row.h"
#include "core/save/encoding.h"
#include "core/text/ascii_number.h"
#include "core/text/fill_in.h"
#include "core/texts/input.h"
#include "core/texts/schedule.h"

#include <algorithm>
#include <array>
#include <functional>

namespace saxolith
{

namespace
{

constexpr std::size_t progressStep = 4096;

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// English names of the values, in lower case with single blanks; each stands for the Chinese name
// beside it, which is what the input screen holds.
struct EnglishName {
    std::string_view english;
    std::string_view chinese;
};
constexpr std::array<EnglishName, 8> englishSections{{
    {"round", "圆桩"},
    {"circular", "圆桩"},
    {"ellipse", "椭圆桩"},
    {"elliptical", "椭圆桩"},
    {"rectangle", "矩形桩"},
    {"rectangular", "矩形桩"},
    {"square", "方桩"},
    {"quadrate", "方桩"},
}};
constexpr std::array<EnglishName, 7> englishIntegrity{{
    {"intact", "完整"},
    {"fairly intact", "较完整"},
    {"relatively intact", "较完整"},
    {"fairly broken", "较破碎"},
    {"relatively broken", "较破碎"},
    {"fairly fractured", "较破碎"},
    {"fractured", "较破碎"},
}};
constexpr std::array<EnglishName, 9> englishPrecisions{{
    {"two decimals", "两位小数"},
    {"2 decimals", "两位小数"},
    {"one decimal", "一位小数"},
    {"1 decimal", "一位小数"},
    {"units", "个位取整"},
    {"integer", "个位取整"},
    {"ones", "个位取整"},
    {"tens", "十位取整"},
    {"hundreds", "百位取整"},
}};

// Lower case, with hyphens, underscores and runs of blanks as one blank: "Fairly-Intact" → "fairly intact".
std::string englishKey(std::string_view text)
{
    std::string key;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '-' || c == '_' || c == '\t';
        if (blank) {
            if (!key.empty() && key.back() != ' ') {
                key += ' ';
            }
        } else {
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    while (!key.empty() && key.back() == ' ') {
        key.pop_back();
    }
    return key;
}

template <std::size_t N> std::string_view chineseName(std::string_view text, const std::array<EnglishName, N> &names)
{
    // The English names are ASCII: a text that is not (a Chinese name, as most are) names none of them.
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return text;
    }
    const std::string key = englishKey(text);
    for (const EnglishName &name : names) {
        if (key == name.english) {
            return name.chinese;
        }
    }
    return text;
}

// A square is entered as a rectangle: its row names the rectangle's item.
const SectionTypeRow *sectionByName(std::string_view name)
{
    name = chineseName(name, englishSections);
    for (const SectionTypeRow &row : sectionTypes) {
        if (name == row.bookName) {
            return &row;
        }
    }
    return nullptr;
}

// "d/d(mm)": a column by both its names, as the header row may give it.
std::string columnLabel(ScheduleColumn column)
{
    const ScheduleColumnName &name = scheduleColumnNames[static_cast<std::size_t>(column)];
    return std::string(name.english) + "/" + std::string(name.chinese);
}

std::string missing(ScheduleColumn column)
{
    return fillIn(scheduleText::missingCell, {columnLabel(column)});
}

std::string missingEither(ScheduleColumn first, ScheduleColumn second)
{
    return fillIn(scheduleText::missingEither, {columnLabel(first), columnLabel(second)});
}

std::optional<int> precisionByName(std::string_view name)
{
    name = chineseName(name, englishPrecisions);
    const auto &items = inputText::precisionItems;
    const auto found = std::find(items.begin(), items.end(), name);
    if (found == items.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - items.begin());
}

// The first character of `text` the encoder's code page cannot hold; empty when it holds them all.
std::string firstCharacterLost(Encoder &encoder, std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string_view character = text.substr(i, length);
        i += length;
        if (lead < 0x80) {
            continue;
        }
        bytes.clear();
        encoder.encode(character, bytes);
        encoder.finish(bytes);
        if (bytes == "?") {
            return std::string(character);
        }
    }
    return {};
}

} // namespace

RowInput rowInput(const ScheduleRow &row)
{
    using enum ScheduleColumn;
    RowInput out;
    out.input = defaultCalculationInput();
    CalculationInput &input = out.input;
    const auto refuse = [&out](std::string text) {
        if (out.refusal.empty()) {
            out.refusal = std::move(text);
        }
    };

    out.pileName = row.cell(Id);
    if (hasControlCharacter(out.pileName)) {
        refuse(std::string(scheduleText::idControl));
    }
    // Nothing the row lacks is taken from the input screen: each gap refuses the row, naming its column.
    const SectionTypeRow *section = nullptr;
    if (const std::string &name = row.cell(Section); name.empty()) {
        refuse(missing(Section));
    } else if ((section = sectionByName(name)) != nullptr) {
        input.sectionItem = static_cast<int>(section->item);
    } else {
        refuse(fillIn(scheduleText::unknownSection, {quotedCell(name)}));
    }
    const std::string d = asciiNumber(row.cell(FirstDimension));
    if (d.empty()) {
        refuse(missing(FirstDimension));
    }
    input.firstDimension = d;
    // The section switch writes its own value into the second field; a round pile's stays there.
    const std::string c = asciiNumber(row.cell(SecondDimension));
    if (const auto layout = sectionLayout(input.sectionItem); layout && section != nullptr) {
        input.secondDimension = layout->secondValue;
        if (layout->secondEnabled && !c.empty()) {
            input.secondDimension = c;
        } else if (layout->secondEnabled && section->type == SectionType::Square) {
            input.secondDimension = d; // a square of the side given
        } else if (layout->secondEnabled) {
            refuse(missing(SecondDimension));
        }
    }
    const std::string qpa = asciiNumber(row.cell(Qpa));
    const std::string frk = asciiNumber(row.cell(Frk));
    const std::string &integrity = row.cell(Integrity);
    const std::string &psi = row.cell(Psi);
    if (!qpa.empty() && !frk.empty()) {
        refuse(std::string(scheduleText::bothStrengths));
    } else if (!qpa.empty()) {
        input.route = StrengthRoute::QpaGiven;
        input.qpa = qpa;
    } else if (frk.empty()) {
        refuse(missingEither(Qpa, Frk));
    } else {
        input.frk = frk;
        if (integrity.empty() && psi.empty()) {
            refuse(missingEither(Integrity, Psi));
        }
    }
    if (!integrity.empty()) {
        input.integrity = std::string(chineseName(asciiNumber(integrity), englishIntegrity));
    }
    if (!psi.empty()) {
        input.psiMode = PsiMode::Manual;
        input.manualPsi = asciiNumber(psi);
    }
    if (const std::string &precision = row.cell(Precision); !precision.empty()) {
        if (const auto choice = precisionByName(precision)) {
            input.precision = *choice;
        } else {
            refuse(fillIn(scheduleText::unknownPrecision, {quotedCell(precision)}));
        }
    }
    return out;
}

RepeatedIdFilter::Bits::Bits(std::size_t count) : m_words(std::max<std::size_t>(count, 64) / 64, 0) {}

std::array<std::size_t, 3> RepeatedIdFilter::Bits::places(std::size_t hash) const
{
    const std::size_t step = (hash >> 17) | 1u;
    const std::size_t count = m_words.size() * 64;
    return {hash % count, (hash + step) % count, (hash + 2 * step) % count};
}

bool RepeatedIdFilter::Bits::set(std::size_t hash)
{
    bool seen = true;
    for (const std::size_t at : places(hash)) {
        std::uint64_t &word = m_words[at / 64];
        const std::uint64_t bit = std::uint64_t{1} << (at % 64);
        seen = seen && (word & bit) != 0;
        word |= bit;
    }
    return seen;
}

bool RepeatedIdFilter::Bits::allSet(std::size_t hash) const
{
    const auto places = this->places(hash);
    return std::all_of(places.begin(), places.end(),
                       [&](std::size_t at) { return (m_words[at / 64] >> (at % 64) & 1u) != 0; });
}

RepeatedIdFilter::RepeatedIdFilter(std::size_t bits) : m_once(bits), m_twice(bits / 8) {}

void RepeatedIdFilter::add(std::string_view id)
{
    if (id.empty()) {
        return;
    }
    const std::size_t hash = std::hash<std::string_view>{}(id);
    if (m_once.set(hash)) {
        m_twice.set(hash);
    }
}

bool RepeatedIdFilter::mayRepeat(std::string_view id) const
{
    return m_twice.allSet(std::hash<std::string_view>{}(id));
}

std::optional<int> IdFirstLines::firstOrKeep(std::string_view id, int line)
{
    if (2 * (m_entries.size() + 1) > m_slots.size()) {
        grow();
    }
    const std::size_t slot = slotOf(id, std::hash<std::string_view>{}(id));
    if (m_slots[slot] != 0) {
        return m_entries[m_slots[slot] - 1].line;
    }
    constexpr std::size_t blockBytes = std::size_t{1} << 16;
    char *bytes = nullptr;
    if (id.size() > blockBytes / 4) {
        // A long id has a block of its own, so that no block is left mostly empty.
        m_blocks.push_back(std::make_unique<char[]>(id.size()));
        bytes = m_blocks.back().get();
    } else {
        if (m_freeBytes < id.size()) {
            m_blocks.push_back(std::make_unique<char[]>(blockBytes));
            m_free = m_blocks.back().get();
            m_freeBytes = blockBytes;
        }
        bytes = m_free;
        m_free += id.size();
        m_freeBytes -= id.size();
    }
    std::copy(id.begin(), id.end(), bytes);
    m_entries.push_back({bytes, static_cast<std::uint32_t>(id.size()), line});
    m_slots[slot] = static_cast<std::uint32_t>(m_entries.size());
    return std::nullopt;
}

std::size_t IdFirstLines::slotOf(std::string_view id, std::size_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = m_slots[slot];
        if (at == 0) {
            return slot;
        }
        const Entry &entry = m_entries[at - 1];
        if (std::string_view(entry.bytes, entry.length) == id) {
            return slot;
        }
    }
}

void IdFirstLines::grow()
{
    m_slots.assign(std::max<std::size_t>(m_slots.size() * 2, 64), 0);
    const std::size_t mask = m_slots.size() - 1;
    for (std::uint32_t e = 0; e < m_entries.size(); ++e) {
        const Entry &entry = m_entries[e];
        std::size_t slot = std::hash<std::string_view>{}(std::string_view(entry.bytes, entry.length)) & mask;
        while (m_slots[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        m_slots[slot] = e + 1;
    }
}

ScheduleCalculator::ScheduleCalculator(std::string_view bookCodePage, const RepeatedIdFilter *ids)
    : m_encoder(bookCodePage), m_codePage(bookCodePage), m_ids(ids)
{
}

RowResult ScheduleCalculator::calculate(const ScheduleRow &givenRow, const RecordEntry &record, bool &typedIn)
{
    RowResult row;
    row.line = givenRow.line;
    // A row with ground columns is placed on its ground first, which may give it the rock it lacks.
    std::optional<GroundCells> groundCells;
    std::optional<GroundPlace> place;
    if (!givenRow.ground.empty()) {
        groundCells = readGroundCells(givenRow);
        row.method = groundCells->refusal.empty() ? std::string(methodName(groundCells->method))
                                                  : std::string(givenRow.groundCell(GroundColumn::Method));
        place = placeOnGround(givenRow, *groundCells, m_boreholes);
    }
    const ScheduleRow &scheduleRow = place ? place->row : givenRow;
    RowInput typed = rowInput(scheduleRow);
    if (groundCells && !groundCells->refusal.empty()) {
        typed.refusal = groundCells->refusal;
    } else if (place && !place->refusal.empty()) {
        // Before what the row lacks: the rock it lacks would have come from its ground.
        typed.refusal = place->refusal;
    }
    row.pileName = std::move(typed.pileName);
    std::string lost = m_encoder.passesThrough() ? std::string() : firstCharacterLost(m_encoder, row.pileName);
    std::optional<int> repeatOf;
    if (!row.pileName.empty() && (m_ids == nullptr || m_ids->mayRepeat(row.pileName))) {
        repeatOf = m_idLines.firstOrKeep(row.pileName, row.line);
    }
    typedIn = typed.refusal.empty();
    if (!typedIn) {
        row.note = std::move(typed.refusal);
        return row;
    }
    CalculationOutcome outcome = saxolith::calculate(typed.input);
    if (outcome.end != CalculationEnd::Completed || !outcome.record) {
        // The error box quotes the whole text; the note quotes at most 60 characters of the cell.
        row.note = outcome.end == CalculationEnd::ConversionFailure
                       ? conversionErrorText(message::notAFloat, quotedCell(typed.input.integrity))
                       : std::move(outcome.statusText);
        return row;
    }
    const bool onGround = groundCells && (groundCells->located || groundCells->method != CapacityMethod::EndOnly);
    if (onGround) {
        GroundOutcome ground = groundCapacity(*outcome.record, *groundCells, *place);
        if (!ground.pile) {
            row.note = std::move(ground.refusal);
            return row;
        }
        // Ra is the method's, at the row's precision; 5.3.9 takes no ψr and no qpa.
        outcome.record->ra = ground.pile->parts.ra;
        outcome.record->ground = ground.pile;
        outcome.raText = displayRounded(ground.pile->parts.ra, outcome.record->precision);
        if (ground.pile->method == CapacityMethod::SocketJgj94) {
            outcome.psiText = "-";
            outcome.qpaText = "-";
        }
        row.ground = std::move(ground.pile);
    }
    const bool noted = repeatOf || !lost.empty();
    if (noted) {
        // The schedule's own notes come first, the status line's hint after them; the record carries
        // the whole note to the report.
        std::string note = repeatOf ? fillIn(scheduleText::repeatedId, {std::to_string(*repeatOf)}) : "";
        if (!lost.empty()) {
            note += note.empty() ? "" : scheduleText::noteSeparator;
            note += fillIn(scheduleText::idNotInCodePage, {lost, m_codePage});
        }
        if (!outcome.statusText.empty()) {
            note += scheduleText::noteSeparator;
            note += outcome.statusText;
        }
        outcome.statusText = std::move(note);
        outcome.record->note = outcome.statusText;
    }
    const int number = record(*outcome.record, row.pileName);
    if (row.pileName.empty()) {
        row.pileName = std::string(book::pileNumberPrefix) + std::to_string(number);
    }
    row.end = outcome.hintFlags != 0 || noted ? RowEnd::CompletedWithHint : RowEnd::Completed;
    row.repeatedId = repeatOf.has_value();
    row.psiText = std::move(outcome.psiText);
    row.qpaText = std::move(outcome.qpaText);
    row.raText = std::move(outcome.raText);
    row.note = std::move(outcome.statusText);
    row.area = outcome.record->area;
    row.ra = outcome.record->ra;
    return row;
}

ScheduleTally calculateRows(ScheduleRows &rows, ScheduleCalculator &calculator, ScheduleSink &sink,
                            const ScheduleProgress &progress)
{
    ScheduleTally tally;
    const std::size_t total = rows.rowCount();
    const RecordEntry record = [&sink](const PileRecord &pile, std::string_view name) {
        return sink.record(pile, name);
    };
    std::size_t done = 0;
    for (const ScheduleRow *row; (row = rows.next()) != nullptr; ++done) {
        if (progress && done % progressStep == 0) {
            progress(done, total);
        }
        bool typed = false;
        RowResult result = calculator.calculate(*row, record, typed);
        tally.count(result);
        sink.take(*row, result, typed);
    }
    if (progress) {
        progress(total, total);
    }
    return tally;
}

ScheduleResult calculateSchedule(const std::vector<ScheduleRow> &rows, CalculationBook &book,
                                 std::string_view timeText, const ScheduleProgress &progress,
                                 std::string_view bookCodePage, const Boreholes *boreholes)
{
    // Every row's result kept, and the entries in the book.
    class Keep final : public ScheduleSink
    {
      public:
        Keep(CalculationBook &book, std::string_view timeText, ScheduleResult &result)
            : m_book(book), m_timeText(timeText), m_result(result)
        {
        }
        int record(const PileRecord &pile, std::string_view name) override
        {
            return m_book.record(pile, m_timeText, name);
        }
        void take(const ScheduleRow &, RowResult &row, bool typed) override
        {
            if (typed) {
                m_result.lastTyped = m_result.rows.size();
            }
            m_result.rows.push_back(std::move(row));
        }

      private:
        CalculationBook &m_book;
        std::string_view m_timeText;
        ScheduleResult &m_result;
    };
    ScheduleResult result;
    result.rows.reserve(rows.size());
    ReadRows read(rows, false);
    ScheduleCalculator calculator(bookCodePage);
    calculator.setBoreholes(boreholes);
    Keep keep(book, timeText, result);
    const ScheduleTally tally = calculateRows(read, calculator, keep, progress);
    result.tally = tally;
    result.completed = tally.completed;
    result.refused = tally.refused;
    return result;
}

void ScheduleTally::count(const RowResult &row)
{
    ++(row.end == RowEnd::Refused ? refused : completed);
    hinted += row.end == RowEnd::CompletedWithHint ? 1 : 0;
    repeated += row.repeatedId ? 1 : 0;
}

std::string scheduleSummary(const ScheduleTally &tally)
{
    std::string hints;
    if (tally.repeated > 0) {
        hints = fillIn(scheduleText::summaryRepeated,
                       {std::to_string(tally.hinted), std::to_string(tally.repeated)});
    } else if (tally.hinted > 0) {
        hints = fillIn(scheduleText::summaryHinted, {std::to_string(tally.hinted)});
    }
    return fillIn(scheduleText::summary,
                  {std::to_string(tally.completed), hints, std::to_string(tally.refused)});
}

std::string refusedRowText(const RowResult &row)
{
    // The line and the pile's id, so that either finds the row; an id that cannot stand on one line
    // is left to the line number, a long one shortened.
    if (row.pileName.empty() || hasControlCharacter(row.pileName)) {
        return scheduleErrorText(ScheduleError{row.line, row.note});
    }
    return fillIn(scheduleText::linePilePrefix, {std::to_string(row.line), quotedCell(row.pileName)}) + row.note;
}

} // namespace saxolith
