#include "core/chart/candidate_chart.h"

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"
#include "core/texts/chart.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace saxolith
{

namespace
{

constexpr std::uint32_t noRow = std::numeric_limits<std::uint32_t>::max();
constexpr double squareMillimetresPerSquareMetre = 1e6;
constexpr int largestGrid = 1024;

// The Ra a cell shows, read back from its text: apart from raOf, so that raOf stays small enough
// to be worked out in line.
double raReadBack(double ra, int choice)
{
    return strictNumber(displayRounded(ra, choice)).value_or(cutByChoice(ra, choice));
}

inline int choiceOf(const CandidateRow &row)
{
    return std::clamp<int>(row.precision, 0, precisionChoiceCount - 1);
}

// The loops over every row work these out in line ([[gnu::always_inline]]): a call costs as much as
// their work.

// The number a row's Ra cell shows, in whole hundredths, where the value alone tells it: a plain text
// of at most seven digits, nearly every row. The chart's y is then these hundredths over 100, the same
// double as the shown units over their power of ten (both are the double nearest to one number).
// Two, one or no decimals are worked out here from the units the text rounds to (roundedHundredths
// without its integer steps); tens and hundreds through roundedHundredths. False where the text must be
// read: rounded to seven digits, or no number.
[[gnu::always_inline]] inline bool shownHundredths(const CandidateRow &row, std::int32_t &hundredths)
{
    const int choice = choiceOf(row);
    if (choice <= 2) {
        if (!(std::fabs(row.ra) < 1e7))
            return false;
        const int decimals = decimalsByChoice(choice);
        const std::uint64_t units = roundedScaledMagnitude(row.ra, decimals);
        if (units >= 10'000'000)
            return false;
        static constexpr std::array<std::int32_t, 3> hundredthsPerUnit{100, 10, 1}; // by decimals
        const std::int32_t shown =
            static_cast<std::int32_t>(units) * hundredthsPerUnit[static_cast<std::size_t>(decimals)];
        hundredths = std::signbit(row.ra) ? -shown : shown;
        return true;
    }
    const std::optional<std::int64_t> cut = roundedHundredths(row.ra, choice);
    if (!cut)
        return false;
    hundredths = static_cast<std::int32_t>(*cut); // below 10^9 in size
    return true;
}

// chartRa, in line for the loops over every row.
inline double raOf(const CandidateRow &row)
{
    std::int32_t hundredths = 0;
    if (shownHundredths(row, hundredths))
        return hundredths / 100.0;
    return raReadBack(row.ra, choiceOf(row));
}

inline int seriesOf(const CandidateRow &row)
{
    return std::min(static_cast<int>(row.section), chartSeriesCount - 1); // the type is unsigned
}

struct Placed {
    double x;
    double y;
    int series;
    bool drawable;
};

Placed place(const CandidateRow &row, ChartAxis axis)
{
    const double x = chartX(row, axis);
    const double y = raOf(row);
    return {x, y, seriesOf(row), std::isfinite(x) && std::isfinite(y)};
}

ChartBounds boundsOf(const CandidateList &list, ChartAxis axis)
{
    ChartBounds b;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Placed p = place(list.row(i), axis);
        if (!p.drawable)
            continue;
        b.xMin = std::min(b.xMin, p.x);
        b.xMax = std::max(b.xMax, p.x);
        b.yMin = std::min(b.yMin, p.y);
        b.yMax = std::max(b.yMax, p.y);
        b.empty = false;
    }
    if (b.empty)
        return ChartBounds{};
    return b;
}

// Which of `count` equal slices of [low, high] a value falls in; a range of one value is one slice.
int sliceOf(double value, double low, double high, int count)
{
    if (!(high > low))
        return 0;
    const double slice = (value - low) / (high - low) * count;
    return std::clamp(static_cast<int>(slice), 0, count - 1);
}

// Both zeros are one x.
inline double oneZero(double x)
{
    return x == 0.0 ? 0.0 : x;
}

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One distinct x of a series: its lowest and highest Ra, the first row with each.
struct XEntry {
    double x = 0.0;
    double lowY = 0.0;
    double highY = 0.0;
    std::uint32_t lowRow = noRow;
    std::uint32_t highRow = noRow;
};

// Takes in the lower and the higher Ra of `from`, the first row among equals.
void takeExtremes(XEntry &into, const XEntry &from)
{
    if (from.lowY < into.lowY || (from.lowY == into.lowY && from.lowRow < into.lowRow)) {
        into.lowY = from.lowY;
        into.lowRow = from.lowRow;
    }
    if (from.highY > into.highY || (from.highY == into.highY && from.highRow < into.highRow)) {
        into.highY = from.highY;
        into.highRow = from.highRow;
    }
}

// The lowest and highest Ra, in hundredths, of the rows of one x (or one pair of dimensions), and the
// first row with each.
struct Extremes {
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    std::uint32_t lowRow = noRow; // noRow: no row yet
    std::uint32_t highRow = noRow;

    // Rows come in list order, so an equal Ra keeps the first. Branches rather than conditional moves:
    // a new lowest or highest is rare once a cell holds a few rows, and stores on every row would have
    // each later row of the cell wait for them.
    [[gnu::always_inline]] void take(std::int32_t hundredths, std::uint32_t row)
    {
        if (hundredths < lowest) {
            lowest = hundredths;
            lowRow = row;
        }
        if (hundredths > highest) {
            highest = hundredths;
            highRow = row;
        }
    }

    // Takes in the extremes of rows that come after all of these in the list: an equal Ra keeps the
    // earlier row.
    void takeLater(const Extremes &later)
    {
        if (later.lowest < lowest) {
            lowest = later.lowest;
            lowRow = later.lowRow;
        }
        if (later.highest > highest) {
            highest = later.highest;
            highRow = later.highRow;
        }
    }

    [[nodiscard]] XEntry entry(double x) const
    {
        return {x, lowest / 100.0, highest / 100.0, lowRow, highRow};
    }
};

// What the raster's look needs of a row: its cell's key (noRow: the row is not drawn, or is one of the
// odd rows) and its Ra in hundredths.
struct RowCode {
    std::uint32_t key;
    std::int32_t hundredths;
};
// By d a key takes two bytes (shortNoRow: none), kept apart from the hundredths, so that the rows'
// codes take six bytes, not eight, to write and to read back. Each in a type of its own: a store of
// a code changes no cell.
struct ShortKeys {
    std::unique_ptr<std::uint16_t[]> keys;
    std::unique_ptr<std::int32_t[]> hundredths;
};
constexpr std::uint16_t shortNoRow = std::numeric_limits<std::uint16_t>::max();
// By d the first numbers a short key holds: (number << 2) | series stays below shortNoRow.
constexpr std::uint32_t largestShortFirst = (shortNoRow >> 2) - 1;

// Where a row's key puts it: in cell offset[series] + (first number << firstShift[series]) + second
// number, or, where the key is the cell, in the key's cell.
struct KeyLayout {
    bool keyIsCell = false;
    std::array<std::uint32_t, chartSeriesCount> offset{};
    std::array<int, chartSeriesCount> firstShift{};
};

// What the look over the rows leaves: the rows drawn of each series; each x with its extremes, maybe
// in several pieces (a piece of each cell of one x, a piece of the odd rows), in any order; for the
// raster, each row's code, the cell each key stands for and the place of each cell.
struct FirstLook {
    std::array<std::size_t, chartSeriesCount> counts{};
    std::array<std::vector<XEntry>, chartSeriesCount> pieces;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> cellOfPiece; // noRow: odd rows' piece
    std::unique_ptr<RowCode[]> codes; // each row's, every one written before it is read
    ShortKeys shortCodes; // by d, in place of `codes`
    std::size_t codeCount = 0;
    // Rows whose Ra is no whole number of hundredths (a text rounded to seven digits, or none): few,
    // taken apart so that the loop over all rows stays simple.
    std::vector<std::uint32_t> odd;
    std::size_t cellCount = 0;
    KeyLayout layout;
    // The rows from secondBegin on were looked at on a second thread, in a grid of their own: their
    // keys are laid out by secondLayout, and each of that grid's cells with rows is the cell
    // cellOfSecond gives. Without a second part, secondBegin is SIZE_MAX.
    std::size_t secondBegin = SIZE_MAX;
    KeyLayout secondLayout;
    std::vector<std::uint32_t> cellOfSecond;
    // The lowest and highest hundredths of the rows with codes.
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
};

// Each exact value of a dimension numbered in the order met: a list's dimensions take a few hundred.
class ValueNumbers
{
  public:
    struct Slot {
        std::uint64_t bits;
        std::uint32_t number;
    };
    // A free slot's bits: a NaN's, which no value looked up has.
    static constexpr std::uint64_t freeBits = 0xFFF8'0000'0000'0001ULL;

    // The slots as they stand until the next add, held by a loop in registers: stores through other
    // pointers would otherwise have the table read again for every row.
    struct View {
        const Slot *slots;
        std::size_t mask;
        int shift;

        // The number of a value's bits; noRow when it has none yet.
        [[gnu::always_inline]] std::uint32_t find(std::uint64_t bits) const
        {
            std::size_t at = startOf(bits, shift);
            for (;;) {
                const Slot &slot = slots[at];
                if (slot.bits == bits)
                    return slot.number;
                if (slot.bits == freeBits)
                    return noRow;
                at = (at + 1) & mask;
            }
        }
    };

    ValueNumbers() { resize(256); }

    // The bits a finite value is looked up by: both zeros are one value.
    static std::uint64_t bitsOf(double v) { return std::bit_cast<std::uint64_t>(v + 0.0); }

    [[nodiscard]] View view() const { return {m_slots.data(), m_mask, m_shift}; }

    // Numbers the value of `bits`, which has no number yet.
    [[gnu::noinline]] std::uint32_t add(std::uint64_t bits)
    {
        std::size_t at = startOf(bits, m_shift);
        while (m_slots[at].bits != freeBits)
            at = (at + 1) & m_mask;
        const auto number = static_cast<std::uint32_t>(m_values.size());
        m_slots[at] = {bits, number};
        m_values.push_back(std::bit_cast<double>(bits));
        // A quarter full at most, so that a look rarely passes another value.
        if (m_values.size() > m_slots.size() / 4)
            resize(m_slots.size() * 2);
        return number;
    }

    [[gnu::always_inline]] std::uint32_t numberOf(double v)
    {
        const std::uint64_t bits = bitsOf(v);
        const std::uint32_t number = view().find(bits);
        return number != noRow ? number : add(bits);
    }

    [[nodiscard]] std::uint32_t size() const { return static_cast<std::uint32_t>(m_values.size()); }
    [[nodiscard]] double value(std::uint32_t number) const { return m_values[number]; }

  private:
    static std::size_t startOf(std::uint64_t bits, int shift)
    {
        // The top bits of the product: round sizes leave the low bits of their doubles all zero.
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift);
    }

    void resize(std::size_t size)
    {
        std::vector<Slot> old(size, Slot{freeBits, noRow});
        old.swap(m_slots);
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        for (const Slot &slot : old) {
            if (slot.bits == freeBits)
                continue;
            std::size_t at = startOf(slot.bits, m_shift);
            while (m_slots[at].bits != freeBits)
                at = (at + 1) & m_mask;
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<double> m_values;
    std::size_t m_mask = 0;
    int m_shift = 64;
};

// The extremes of each pair of dimension numbers (first, second) of each series, in one grid: a
// series' block holds a row of seconds for each first. A list's dimensions take a few hundred values,
// so the grid stays in the nearer caches, where a table of thousands of areas does not. The values are
// numbered in the order met; by d every second is 0. Only finite values below 10^100 are numbered, so
// that no pair of numbers has an area that overflows: a row whose dimensions have numbers may be
// taken without a look at its dimensions.
class PairGrid
{
  public:
    // Numbers up to this fit a row's key.
    static constexpr std::uint32_t largestNumber = (1U << 15) - 1;
    static constexpr std::size_t largestCells = std::size_t{1} << 20;
    static constexpr double largestValue = 1e100;

    // What the loop over the rows looks up through, held in registers until a value is new: stores
    // through other pointers would otherwise have it read again for every row.
    struct View {
        ValueNumbers::View firsts;
        std::array<ValueNumbers::View, chartSeriesCount> seconds;
        Extremes *cells;
        std::array<std::uint32_t, chartSeriesCount> offset;
        std::array<int, chartSeriesCount> firstShift;

        [[nodiscard]] std::size_t cellOf(std::size_t series, std::uint32_t first, std::uint32_t second) const
        {
            return offset[series] + (std::size_t{first} << firstShift[series]) + second;
        }
    };

    // A row's key for the raster: by d its cell, which stays where it is as the grid grows (the
    // series side by side for each first); by area its numbers.
    template <ChartAxis axis> static std::uint32_t keyOf(std::uint32_t first, std::uint32_t second, std::size_t series)
    {
        if constexpr (axis == ChartAxis::FirstDimension)
            return (first << 2) | static_cast<std::uint32_t>(series);
        else
            return (first << 17) | (second << 2) | static_cast<std::uint32_t>(series);
    }

    explicit PairGrid(ChartAxis axis) : m_sideBySide(axis == ChartAxis::FirstDimension) { layOut(6, {}); }

    [[nodiscard]] View view()
    {
        View v{m_firsts.view(), {}, m_cells.data(), m_offset, m_firstShift};
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            v.seconds[s] = m_seconds[s].view();
        return v;
    }

    enum class Numbered { Yes, TooLarge, Full };

    // The numbers of a pair, given them if new, and the grid grown to hold them. Huge values and
    // those that are not finite get none; nor do any once the grid would grow past its bound.
    [[gnu::noinline]] Numbered number(std::size_t series, double first, double second, std::uint32_t &f,
                                      std::uint32_t &c)
    {
        if (!(std::fabs(first) < largestValue && std::fabs(second) < largestValue))
            return Numbered::TooLarge;
        f = m_firsts.numberOf(first);
        c = m_seconds[series].numberOf(second);
        return fit(series, f, c);
    }

    // Takes in the grid of a look at later rows of the same list: its values numbered here too, and
    // the extremes of each of its cells with rows taken into the cell of the same pair here (an equal
    // Ra keeps the earlier row). `cellOfOther` gives, for each of its cells with rows, the cell here.
    // Full when the two together take too many values for the grid, as one look at all the rows would.
    Numbered absorb(const PairGrid &other, std::vector<std::uint32_t> &cellOfOther)
    {
        std::vector<std::uint32_t> firstOf(other.m_firsts.size());
        for (std::uint32_t f = 0; f < firstOf.size(); ++f)
            firstOf[f] = m_firsts.numberOf(other.m_firsts.value(f));
        std::array<std::vector<std::uint32_t>, chartSeriesCount> secondOf;
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            secondOf[s].resize(other.m_seconds[s].size());
            for (std::uint32_t c = 0; c < secondOf[s].size(); ++c)
                secondOf[s][c] = m_seconds[s].numberOf(other.m_seconds[s].value(c));
        }
        // The largest numbers decide the grid's size, whichever rows were met first.
        const std::uint32_t lastFirst = std::max<std::uint32_t>(m_firsts.size(), 1) - 1;
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            const Numbered fits = fit(s, lastFirst, std::max<std::uint32_t>(m_seconds[s].size(), 1) - 1);
            if (fits != Numbered::Yes)
                return fits;
        }
        cellOfOther.assign(other.m_cells.size(), noRow);
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            // By d every second is 0, numbered or not: a row whose first was numbered before is
            // taken without a look at its second.
            const std::uint32_t secondCount = m_sideBySide ? 1 : other.m_seconds[s].size();
            for (std::uint32_t f = 0; f < firstOf.size(); ++f) {
                for (std::uint32_t c = 0; c < secondCount; ++c) {
                    const std::size_t from = other.cellAt(s, f, c);
                    const Extremes &theirs = other.m_cells[from];
                    if (theirs.lowRow == noRow)
                        continue;
                    const std::size_t into = cellAt(s, firstOf[f], m_sideBySide ? 0 : secondOf[s][c]);
                    m_cells[into].takeLater(theirs);
                    cellOfOther[from] = static_cast<std::uint32_t>(into);
                }
            }
        }
        return Numbered::Yes;
    }

    [[nodiscard]] KeyLayout layout() const { return {m_sideBySide, m_offset, m_firstShift}; }

    [[nodiscard]] const std::vector<Extremes> &cells() const { return m_cells; }
    [[nodiscard]] const ValueNumbers &firsts() const { return m_firsts; }
    [[nodiscard]] const ValueNumbers &seconds(std::size_t series) const { return m_seconds[series]; }

  private:
    [[nodiscard]] std::size_t cellAt(std::size_t series, std::uint32_t first, std::uint32_t second) const
    {
        return m_offset[series] + (std::size_t{first} << m_firstShift[series]) + second;
    }

    // The grid grown to hold the numbers f and c of a series.
    Numbered fit(std::size_t series, std::uint32_t f, std::uint32_t c)
    {
        if (f > largestNumber || c > largestNumber)
            return Numbered::Full;
        int firstBits = m_firstBits;
        while ((f >> firstBits) != 0)
            ++firstBits;
        std::array<int, chartSeriesCount> secondBits = m_secondBits;
        while ((c >> secondBits[series]) != 0)
            ++secondBits[series];
        if (firstBits == m_firstBits && secondBits == m_secondBits)
            return Numbered::Yes;
        std::size_t cells = 0;
        for (const int bits : secondBits)
            cells += std::size_t{1} << (firstBits + bits);
        if (cells > largestCells)
            return Numbered::Full;
        const std::vector<Extremes> old = std::move(m_cells);
        const View before = view();
        const std::array<int, chartSeriesCount> secondBitsBefore = m_secondBits;
        const int firstBitsBefore = m_firstBits;
        layOut(firstBits, secondBits);
        const View after = view();
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            for (std::uint32_t first = 0; first < (1U << firstBitsBefore); ++first)
                std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(before.cellOf(s, first, 0)),
                            std::size_t{1} << secondBitsBefore[s],
                            m_cells.begin() + static_cast<std::ptrdiff_t>(after.cellOf(s, first, 0)));
        }
        return Numbered::Yes;
    }

    void layOut(int firstBits, const std::array<int, chartSeriesCount> &secondBits)
    {
        m_firstBits = firstBits;
        m_secondBits = secondBits;
        std::uint32_t offset = 0;
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            // By d every second is 0: the series side by side.
            m_offset[s] = m_sideBySide ? static_cast<std::uint32_t>(s) : offset;
            m_firstShift[s] = m_sideBySide ? 2 : secondBits[s];
            offset += 1U << (firstBits + secondBits[s]);
        }
        m_cells.assign(offset, Extremes{});
    }

    ValueNumbers m_firsts;
    // The seconds are numbered by series, so that each series' block holds only its own.
    std::array<ValueNumbers, chartSeriesCount> m_seconds;
    std::vector<Extremes> m_cells;
    std::array<std::uint32_t, chartSeriesCount> m_offset{};
    std::array<int, chartSeriesCount> m_secondBits{};
    std::array<int, chartSeriesCount> m_firstShift{};
    int m_firstBits = 0;
    bool m_sideBySide;
};

// The odd rows of a look: each placed with its Ra read back, as a piece of its series.
template <ChartAxis axis> void takeOddRows(const CandidateList &list, FirstLook &look)
{
    for (const std::uint32_t i : look.odd) {
        const CandidateRow &row = list.row(i);
        const double x = oneZero(chartX(row, axis));
        const double y = raOf(row);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        const auto s = static_cast<std::size_t>(seriesOf(row));
        ++look.counts[s];
        look.pieces[s].push_back({x, y, y, i, i});
        look.cellOfPiece[s].push_back(noRow);
    }
}

// The units a row's Ra cell rounds to, by its precision byte, for the loop over the rows: two, one or
// no decimals, with the hundredths in one unit. The other choices (tens, hundreds) are taken apart: an
// infinite scale leaves no Ra of theirs a plain number of units.
struct ShownUnits {
    double scale; // units a kN: 10^decimals
    std::int32_t hundredths;
};
constexpr std::array<ShownUnits, 256> shownUnits = [] {
    std::array<ShownUnits, 256> units{};
    for (std::size_t p = 0; p < units.size(); ++p) {
        const std::size_t choice = std::min<std::size_t>(p, precisionChoiceCount - 1);
        units[p] = choice == 0   ? ShownUnits{100.0, 1}
                   : choice == 1 ? ShownUnits{10.0, 10}
                   : choice == 2 ? ShownUnits{1.0, 100}
                                 : ShownUnits{std::numeric_limits<double>::infinity(), 0};
    }
    return units;
}();

// roundedScaledMagnitude with the power of ten taken from the row's table, for the loop over every
// row: the same steps for a product below 10^15; a larger one, or one that is no number (a NaN or
// infinite Ra, an infinite scale), comes back as 10^15, more units than a plain text shows. One
// comparison in place of a test of the Ra's size.
[[gnu::always_inline]] inline std::uint64_t roundedByScale(double x, double scale)
{
    constexpr double largest = 1e15;
    const double ax = std::fabs(x);
    const double exact = ax * scale;
    // Also largest where `exact` is a NaN; largest itself has no fraction to round.
    return roundedProduct(ax, scale, exact < largest ? exact : largest);
}

// Where a look writes the rows' codes: `codes`, or by d with the raster the short keys apart from the
// hundredths.
struct CodeStore {
    RowCode *codes;
    std::uint16_t *shortKeys;
    std::int32_t *shortHundredths;
};

// What the look at a run of rows leaves: the extremes of each pair of dimensions, the rows drawn of
// each series, and the rows taken apart.
struct PartLook {
    explicit PartLook(ChartAxis axis) : grid(axis) {}
    PairGrid grid;
    std::array<std::size_t, chartSeriesCount> counts{};
    // Rows whose Ra is no whole number of hundredths (a text rounded to seven digits, or none), or
    // whose dimensions are huge or not finite: few, taken apart so that the loop over all rows stays
    // simple.
    std::vector<std::uint32_t> odd;
};

// The look at rows [begin, end) by their dimension numbers, their codes written to `store`. False
// when the list's dimensions take too many values for the grid.
template <ChartAxis axis, bool raster>
bool lookAtRows(const CandidateList &list, std::size_t begin, std::size_t end, PartLook &part,
                CodeStore store)
{
    // A round pile's second dimension does not count.
    static constexpr std::array<std::uint64_t, chartSeriesCount> secondMask = [] {
        std::array<std::uint64_t, chartSeriesCount> masks{};
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            masks[s] = sectionTypes[s].hasSecond && axis == ChartAxis::Area ? ~std::uint64_t{0} : 0;
        return masks;
    }();
    PairGrid &grid = part.grid;
    RowCode *const codes = store.codes;
    std::uint16_t *const shortKeys = store.shortKeys;
    std::int32_t *const shortHundredths = store.shortHundredths;
    // A row's code; by d its key fits two bytes (the numbers are kept below largestShortFirst).
    const auto storeCode = [=](std::size_t i, std::uint32_t key, std::int32_t hundredths) {
        if constexpr (axis == ChartAxis::FirstDimension) {
            shortKeys[i] = key == noRow ? shortNoRow : static_cast<std::uint16_t>(key);
            shortHundredths[i] = hundredths;
        } else
            codes[i] = {key, hundredths};
    };
    const CandidateRow *const rows = begin == end ? nullptr : &list.row(0);
    std::array<std::size_t, chartSeriesCount> counts{};

    // A row the quick way below does not take: a dimension met for the first time, an Ra that is no
    // plain number of hundredths, dimensions that are huge or not finite. False when the list's
    // dimensions take too many values for the grid.
    const auto placeCarefully = [&](std::size_t i) {
        const CandidateRow &row = rows[i];
        const auto s = static_cast<std::size_t>(seriesOf(row));
        const double second = std::bit_cast<double>(std::bit_cast<std::uint64_t>(row.second) & secondMask[s]);
        std::int32_t hundredths = 0;
        std::uint32_t key = noRow;
        std::uint32_t f = 0;
        std::uint32_t c = 0;
        const bool shown = shownHundredths(row, hundredths);
        const PairGrid::Numbered numbered =
            shown ? grid.number(s, row.first, second, f, c) : PairGrid::Numbered::TooLarge;
        if (numbered == PairGrid::Numbered::Full)
            return false;
        // By d a raster's short keys hold so many first numbers; the look by x takes a list of more.
        if (raster && axis == ChartAxis::FirstDimension && numbered == PairGrid::Numbered::Yes &&
            f > largestShortFirst)
            return false;
        if (numbered == PairGrid::Numbered::Yes) {
            const PairGrid::View view = grid.view();
            view.cells[view.cellOf(s, f, c)].take(hundredths, static_cast<std::uint32_t>(i));
            ++counts[s];
            key = PairGrid::keyOf<axis>(f, c, s);
        } else {
            // An odd Ra, or huge dimensions: placed apart, where rows whose x or Ra is not finite
            // are left out.
            part.odd.push_back(static_cast<std::uint32_t>(i));
        }
        if constexpr (raster)
            storeCode(i, key, hundredths);
        return true;
    };

    // Each row's numbers and hundredths are found first for a block of rows, and their cells asked
    // for, so that by area, where the grid outgrows the nearest caches, the fetches overlap; then the
    // block's rows are taken in list order. By d the grid stays near, and the rows are taken one by one.
    constexpr std::size_t block = axis == ChartAxis::Area ? 16 : 1;
    struct Found {
        std::uint32_t key;
        std::uint32_t cell; // as the grid was laid out when the row was found
        std::int32_t hundredths;
        std::uint32_t series; // noRow: taken carefully
    };
    PairGrid::View view = grid.view();
    const auto find = [&](std::size_t i) {
        const CandidateRow &row = rows[i];
        const auto s = static_cast<std::size_t>(seriesOf(row));
        const ShownUnits units = shownUnits[row.precision];
        // Masked rather than chosen: the section changes from row to row at random.
        const double second = std::bit_cast<double>(std::bit_cast<std::uint64_t>(row.second) & secondMask[s]);
        const std::uint32_t f = view.firsts.find(ValueNumbers::bitsOf(row.first));
        const std::uint32_t c = axis == ChartAxis::Area ? view.seconds[s].find(ValueNumbers::bitsOf(second)) : 0;
        const std::uint64_t shown = roundedByScale(row.ra, units.scale);
        const std::int32_t magnitude = static_cast<std::int32_t>(shown) * units.hundredths;
        const bool quick = (f != noRow) & (c != noRow) & (shown < 10'000'000);
        // By d a row's key is its cell. Both are of no use where the row is not quick.
        const std::uint32_t key = PairGrid::keyOf<axis>(f, c, s);
        const auto cell =
            axis == ChartAxis::FirstDimension ? key : static_cast<std::uint32_t>(view.cellOf(s, f, c));
        return Found{key, cell, std::signbit(row.ra) ? -magnitude : magnitude,
                     quick ? static_cast<std::uint32_t>(s) : noRow};
    };
    const auto take = [&](std::size_t i, const Found &r) {
        view.cells[r.cell].take(r.hundredths, static_cast<std::uint32_t>(i));
        ++counts[r.series];
        if constexpr (raster)
            storeCode(i, r.key, r.hundredths);
    };
    // The cell of a key as the grid is laid out now.
    const auto cellNow = [&](const Found &r) {
        if constexpr (axis == ChartAxis::FirstDimension)
            return r.key;
        else
            return static_cast<std::uint32_t>(
                view.cellOf(r.series, r.key >> 17, (r.key >> 2) & PairGrid::largestNumber));
    };
    if constexpr (block == 1) {
        for (std::size_t i = begin; i < end; ++i) {
            const Found r = find(i);
            if (r.series == noRow) [[unlikely]] {
                if (!placeCarefully(i))
                    return false;
                view = grid.view();
                continue;
            }
            take(i, r);
        }
    } else {
        std::array<Found, block> found{};
        for (std::size_t first = begin; first < end; first += block) {
            const std::size_t last = std::min(first + block, end);
            for (std::size_t i = first; i < last; ++i) {
                const Found r = find(i);
                found[i - first] = r;
                if (r.series != noRow)
                    __builtin_prefetch(view.cells + r.cell, 1);
            }
            // A row taken carefully may lay the grid out anew: the later rows' cells are then found
            // again.
            bool laidOut = false;
            for (std::size_t i = first; i < last; ++i) {
                Found &r = found[i - first];
                if (r.series == noRow) [[unlikely]] {
                    if (!placeCarefully(i))
                        return false;
                    view = grid.view();
                    laidOut = true;
                    continue;
                }
                if (laidOut) [[unlikely]]
                    r.cell = cellNow(r);
                take(i, r);
            }
        }
    }
    part.counts = counts;
    return true;
}

// Runs work(0) here and work(1) on a second thread at the same time (both here, one after the other,
// when no thread can be started), and passes on what either threw once both have ended.
template <typename Work> void onTwoThreads(Work &&work)
{
    std::exception_ptr failure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                work(1);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        work(1);
    }
    try {
        work(0);
    } catch (...) {
        if (second.joinable())
            second.join();
        throw;
    }
    if (second.joinable())
        second.join();
    if (failure)
        std::rethrow_exception(failure);
}

// The look by the rows' dimension numbers: by d, each row's first dimension; by area, its pair of
// dimensions, whose area is worked out once for each pair (a row's circle and division cost more than
// the rest of its work). A list of `twoThreadsFrom` rows or more is looked at in two halves at once,
// the later half's grid then taken into the earlier's. Nothing when the list's dimensions take too
// many values for the grid.
template <ChartAxis axis, bool raster>
std::optional<FirstLook> lookByNumbers(const CandidateList &list, std::size_t twoThreadsFrom)
{
    FirstLook look;
    const std::size_t n = list.size();
    if constexpr (raster && axis == ChartAxis::FirstDimension) {
        look.shortCodes.keys = std::make_unique_for_overwrite<std::uint16_t[]>(n);
        look.shortCodes.hundredths = std::make_unique_for_overwrite<std::int32_t[]>(n);
    } else if constexpr (raster)
        look.codes = std::make_unique_for_overwrite<RowCode[]>(n);
    look.codeCount = raster ? n : 0;
    const CodeStore store{look.codes.get(), look.shortCodes.keys.get(), look.shortCodes.hundredths.get()};

    PartLook part(axis);
    if (n >= std::max<std::size_t>(twoThreadsFrom, 2)) {
        const std::size_t half = n / 2;
        PartLook later(axis);
        std::array<bool, 2> looked{};
        onTwoThreads([&](int which) {
            looked[static_cast<std::size_t>(which)] =
                which == 0 ? lookAtRows<axis, raster>(list, 0, half, part, store)
                           : lookAtRows<axis, raster>(list, half, n, later, store);
        });
        if (!looked[0] || !looked[1] ||
            part.grid.absorb(later.grid, look.cellOfSecond) != PairGrid::Numbered::Yes)
            return std::nullopt;
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            part.counts[s] += later.counts[s];
        part.odd.insert(part.odd.end(), later.odd.begin(), later.odd.end());
        look.secondBegin = half;
        look.secondLayout = later.grid.layout();
    } else {
        if (!lookAtRows<axis, raster>(list, 0, n, part, store))
            return std::nullopt;
    }
    look.counts = part.counts;
    look.odd = std::move(part.odd);
    const PairGrid &grid = part.grid;
    const KeyLayout layout = grid.layout();
    const auto cellOf = [&](std::size_t s, std::uint32_t f, std::uint32_t c) {
        return layout.offset[s] + (std::size_t{f} << layout.firstShift[s]) + c;
    };

    // Each cell's x: the first dimension, or the area of the pair, from a row made of the numbers'
    // values (the list's own row of the pair lies anywhere in memory).
    const std::vector<Extremes> &cells = grid.cells();
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (std::uint32_t f = 0; f < grid.firsts().size(); ++f) {
            // By d a series takes the first dimensions other series numbered: its one column.
            const std::uint32_t secondCount = axis == ChartAxis::Area ? grid.seconds(s).size() : 1U;
            for (std::uint32_t c = 0; c < secondCount; ++c) {
                const std::size_t cell = cellOf(s, f, c);
                const Extremes &e = cells[cell];
                if (e.lowRow == noRow)
                    continue;
                double x = grid.firsts().value(f);
                if constexpr (axis == ChartAxis::Area) {
                    CandidateRow pair;
                    pair.section = static_cast<SectionType>(s);
                    pair.first = x;
                    pair.second = grid.seconds(s).value(c);
                    x = oneZero(chartX(pair, axis));
                }
                look.pieces[s].push_back(e.entry(x));
                look.cellOfPiece[s].push_back(static_cast<std::uint32_t>(cell));
                look.lowest = std::min(look.lowest, e.lowest);
                look.highest = std::max(look.highest, e.highest);
            }
        }
    }
    look.cellCount = cells.size();
    look.layout = layout;
    takeOddRows<axis>(list, look);
    return look;
}

// Each series' distinct x in an open-addressed table, numbered in the order met: for a list whose
// dimensions take too many values for the grid.
class XTable
{
  public:
    XTable() { resize(64); }

    // The number of x (a new one from `nextId` when x is met for the first time), which is finite.
    std::uint32_t idOf(double x, std::uint32_t &nextId)
    {
        std::size_t at = startOf(x);
        while (m_slots[at].id != noRow && m_slots[at].x != x)
            at = (at + 1) & m_mask;
        Slot &slot = m_slots[at];
        if (slot.id != noRow)
            return slot.id;
        slot = {x, nextId++};
        const std::uint32_t id = slot.id;
        if (++m_used > m_limit)
            resize(m_slots.size() * 2);
        return id;
    }

  private:
    struct Slot {
        double x = 0.0;
        std::uint32_t id = noRow; // noRow: the slot is free
    };

    std::size_t startOf(double x) const
    {
        return static_cast<std::size_t>((std::bit_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    void resize(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        m_limit = size / 2;
        for (const Slot &slot : old) {
            if (slot.id == noRow)
                continue;
            std::size_t at = startOf(slot.x);
            while (m_slots[at].id != noRow)
                at = (at + 1) & m_mask;
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_used = 0;
    std::size_t m_limit = 0;
};

// The look with each row's x worked out and looked up in a table: a key is the number of its x.
template <ChartAxis axis, bool raster> FirstLook lookByX(const CandidateList &list)
{
    FirstLook look;
    look.layout.keyIsCell = true;
    const std::size_t n = list.size();
    std::array<XTable, chartSeriesCount> byX;
    std::vector<Extremes> cells;
    std::vector<double> xOfCell;
    std::vector<std::uint8_t> seriesOfCell;
    std::uint32_t cellCount = 0;
    if constexpr (raster) {
        look.codes = std::make_unique_for_overwrite<RowCode[]>(n);
        look.codeCount = n;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const CandidateRow &row = list.row(i);
        const double x = oneZero(chartX(row, axis));
        std::int32_t hundredths = 0;
        std::uint32_t key = noRow;
        if (std::isfinite(x)) {
            if (shownHundredths(row, hundredths)) {
                const auto s = static_cast<std::size_t>(seriesOf(row));
                key = byX[s].idOf(x, cellCount);
                if (key == cells.size()) {
                    cells.emplace_back();
                    xOfCell.push_back(x);
                    seriesOfCell.push_back(static_cast<std::uint8_t>(s));
                }
                cells[key].take(hundredths, static_cast<std::uint32_t>(i));
                ++look.counts[s];
            } else {
                look.odd.push_back(static_cast<std::uint32_t>(i));
            }
        }
        if constexpr (raster)
            look.codes[i] = {key, hundredths};
    }
    for (std::uint32_t c = 0; c < cells.size(); ++c) {
        const std::size_t s = seriesOfCell[c];
        look.pieces[s].push_back(cells[c].entry(xOfCell[c]));
        look.cellOfPiece[s].push_back(c);
        look.lowest = std::min(look.lowest, cells[c].lowest);
        look.highest = std::max(look.highest, cells[c].highest);
    }
    look.cellCount = cells.size();
    takeOddRows<axis>(list, look);
    return look;
}

// The order of pieces by x: their numbers sorted by the bits of their x, turned so that they order as
// the numbers do (a negative x's bits all flipped, a positive x's sign set), a byte at a time from the
// last, skipping the bytes all pieces share. By area a series has tens of thousands of x, where
// std::sort took milliseconds. No x is a NaN, and both zeros are one.
std::vector<std::uint32_t> orderByX(const std::vector<XEntry> &pieces)
{
    struct Keyed {
        std::uint64_t key;
        std::uint32_t piece;
    };
    std::vector<Keyed> keyed(pieces.size());
    std::array<std::array<std::uint32_t, 256>, 8> counts{};
    for (std::uint32_t p = 0; p < pieces.size(); ++p) {
        const auto bits = std::bit_cast<std::uint64_t>(pieces[p].x);
        const std::uint64_t key = bits ^ ((bits >> 63) != 0 ? ~std::uint64_t{0} : std::uint64_t{1} << 63);
        keyed[p] = {key, p};
        for (std::size_t b = 0; b < 8; ++b)
            ++counts[b][(key >> (8 * b)) & 0xFF];
    }
    std::vector<Keyed> other(pieces.size());
    for (std::size_t b = 0; b < 8; ++b) {
        std::array<std::uint32_t, 256> &count = counts[b];
        if (pieces.empty() || count[(keyed[0].key >> (8 * b)) & 0xFF] == pieces.size())
            continue;
        std::uint32_t start = 0;
        for (std::uint32_t &c : count)
            start += std::exchange(c, start);
        for (const Keyed &k : keyed)
            other[count[(k.key >> (8 * b)) & 0xFF]++] = k;
        keyed.swap(other);
    }
    std::vector<std::uint32_t> order(pieces.size());
    for (std::size_t p = 0; p < keyed.size(); ++p)
        order[p] = keyed[p].piece;
    return order;
}

// A series' pieces in ascending x, those of one x made one (pairs of one area: 800 × 300 and
// 600 × 400); `entryOfPiece` numbers each piece's x within the series.
std::vector<XEntry> distinctX(const std::vector<XEntry> &pieces, std::vector<std::uint32_t> &entryOfPiece)
{
    std::vector<XEntry> xs;
    xs.reserve(pieces.size());
    entryOfPiece.resize(pieces.size());
    for (const std::uint32_t p : orderByX(pieces)) {
        if (xs.empty() || xs.back().x != pieces[p].x)
            xs.push_back(pieces[p]);
        else
            takeExtremes(xs.back(), pieces[p]);
        entryOfPiece[p] = static_cast<std::uint32_t>(xs.size() - 1);
    }
    return xs;
}

// The raster row of every Ra in hundredths from `lowest` to `highest`, as sliceOf gives it for the
// hundredths over 100, without a division: the range is cut into bins of a power of two, each small
// enough to hold at most one step from a raster row to the next, so that a row's raster row is its
// bin's below or above the bin's step. sliceOf only grows with the value, which the search for the
// steps relies on.
class RasterRows
{
  public:
    RasterRows(std::int32_t lowest, std::int32_t highest, double yMin, double yMax, int rows)
        : m_lowest(lowest)
    {
        if (lowest > highest)
            return;
        const auto rowOfValue = [&](std::int64_t hundredths) {
            return static_cast<std::uint32_t>(sliceOf(static_cast<double>(hundredths) / 100.0, yMin, yMax, rows));
        };
        // The first value of each raster row past the lowest's; the next step lies at least one
        // whole value further.
        const std::int64_t low = lowest;
        const std::int64_t high = highest;
        std::vector<std::int64_t> steps;
        for (std::uint32_t r = rowOfValue(low) + 1; r <= rowOfValue(high); r = rowOfValue(steps.back()) + 1) {
            std::int64_t a = low; // below r
            std::int64_t b = high; // at or above r
            while (b - a > 1) {
                const std::int64_t middle = a + (b - a) / 2;
                (rowOfValue(middle) >= r ? b : a) = middle;
            }
            steps.push_back(b);
        }
        std::int64_t gap = high - low + 1;
        for (std::size_t k = 1; k < steps.size(); ++k)
            gap = std::min(gap, steps[k] - steps[k - 1]);
        m_shift = std::bit_width(static_cast<std::uint64_t>(gap)) - 1;
        const auto bins = static_cast<std::size_t>(((high - low) >> m_shift) + 1);
        m_bins.resize(bins);
        std::size_t next = 0; // the first step not yet placed
        for (std::size_t b = 0; b < bins; ++b) {
            const std::int64_t start = low + (static_cast<std::int64_t>(b) << m_shift);
            const std::int64_t end = std::min(start + (std::int64_t{1} << m_shift), high + 1);
            Bin &bin = m_bins[b];
            bin.below = rowOfValue(start);
            bin.above = bin.below;
            bin.step = noRow;
            if (next < steps.size() && steps[next] < end) {
                bin.step = static_cast<std::uint32_t>(steps[next] - low);
                bin.above = rowOfValue(steps[next]);
                ++next;
            }
        }
    }

  private:
    struct Bin {
        std::uint32_t step; // the first value of `above`, from the lowest; noRow: none in the bin
        std::uint32_t below;
        std::uint32_t above;
    };

  public:
    // The table held by a loop in registers.
    struct View {
        const Bin *bins;
        std::int32_t lowest;
        int shift;

        // The raster row of a value from `lowest` to `highest`.
        [[gnu::always_inline]] std::uint32_t operator()(std::int32_t hundredths) const
        {
            const std::uint32_t at = static_cast<std::uint32_t>(hundredths) - static_cast<std::uint32_t>(lowest);
            const Bin &bin = bins[at >> shift];
            return at >= bin.step ? bin.above : bin.below;
        }
    };

    [[nodiscard]] View view() const { return {m_bins.data(), m_lowest, m_shift}; }

  private:

    std::int32_t m_lowest = 0;
    int m_shift = 0;
    std::vector<Bin> m_bins;
};

// The raster's look at rows [begin, end), whose keys are laid out by `layout`: each cell's first row
// in list order, a bit a cell saying it is taken.
void markRaster(const FirstLook &look, std::size_t begin, std::size_t end, const KeyLayout &layout,
                const std::vector<std::uint32_t> &placeOfCell, const RasterRows &rasterRows,
                std::vector<std::uint64_t> &taken, std::uint32_t *firstRow)
{
    // In registers for the loop: the stores to the cells would otherwise have them read again.
    const std::uint32_t *const placeOf = placeOfCell.data();
    std::uint64_t *const bits = taken.data();
    const RasterRows::View rowOf = rasterRows.view();
    // Each row's key and hundredths by its number.
    const auto mark = [&](auto codeOf, auto none, auto cellOfKey) {
        for (std::size_t i = begin; i < end; ++i) {
            const auto [key, hundredths] = codeOf(i);
            if (key == none)
                continue;
            const std::size_t cell = placeOf[cellOfKey(key)] + rowOf(hundredths);
            std::uint64_t &word = bits[cell / 64];
            const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
            if ((word & bit) == 0) {
                word |= bit;
                firstRow[cell] = static_cast<std::uint32_t>(i);
            }
        }
    };
    const RowCode *const codes = look.codes.get();
    const auto wideCode = [codes](std::size_t i) { return std::pair{codes[i].key, codes[i].hundredths}; };
    if (look.shortCodes.keys) {
        const std::uint16_t *const keys = look.shortCodes.keys.get();
        const std::int32_t *const hundredths = look.shortCodes.hundredths.get();
        mark([=](std::size_t i) { return std::pair{keys[i], hundredths[i]}; }, shortNoRow,
             [](std::uint16_t key) { return key; });
    } else if (layout.keyIsCell) {
        mark(wideCode, noRow, [](std::uint32_t key) { return key; });
    } else {
        const std::array<std::uint32_t, chartSeriesCount> offset = layout.offset;
        const std::array<int, chartSeriesCount> firstShift = layout.firstShift;
        mark(wideCode, noRow, [=](std::uint32_t key) {
            const std::uint32_t s = key & 3;
            return offset[s] + (std::size_t{key >> 17} << firstShift[s]) + ((key >> 2) & PairGrid::largestNumber);
        });
    }
}

template <ChartAxis axis, bool raster>
FirstLook firstLook(const CandidateList &list, std::size_t twoThreadsFrom)
{
    std::optional<FirstLook> byNumbers = lookByNumbers<axis, raster>(list, twoThreadsFrom);
    return byNumbers ? std::move(*byNumbers) : lookByX<axis, raster>(list);
}

template <ChartAxis axis>
ReducedChart reduce(const CandidateList &list, int columns, int rows, std::size_t rasterBudget,
                    std::size_t twoThreadsFrom)
{
    ReducedChart out;
    const bool raster = rows > 0;
    // The first look places every row once: each series' distinct x with its lowest and highest Ra,
    // from which the bounds, the columns' extremes and the envelope follow. The raster needs the
    // bounds: each row's code is kept for its look.
    FirstLook look =
        raster ? firstLook<axis, true>(list, twoThreadsFrom) : firstLook<axis, false>(list, twoThreadsFrom);
    std::array<std::vector<XEntry>, chartSeriesCount> xs;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> entryOfPiece;
    const auto distinctOf = [&](std::size_t s) { xs[s] = distinctX(look.pieces[s], entryOfPiece[s]); };
    if (look.secondBegin < list.size()) {
        // Two threads, round and elliptical piles on one, rectangular and square on the other: by area
        // the elliptical and the rectangular, whose two dimensions are free, hold nearly all x.
        static_assert(static_cast<int>(SectionType::Elliptical) == 1 &&
                      static_cast<int>(SectionType::Rectangular) == 2);
        onTwoThreads([&](int which) {
            distinctOf(static_cast<std::size_t>(2 * which));
            distinctOf(static_cast<std::size_t>(2 * which + 1));
        });
    } else {
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            distinctOf(s);
    }

    ChartBounds &b = out.bounds;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    bool any = false;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        out.series[s].rowCount = look.counts[s];
        if (xs[s].empty())
            continue;
        any = true;
        b.xMin = std::min(b.xMin, xs[s].front().x);
        b.xMax = std::max(b.xMax, xs[s].back().x);
        for (const XEntry &e : xs[s]) {
            b.yMin = std::min(b.yMin, e.lowY);
            b.yMax = std::max(b.yMax, e.highY);
        }
    }
    if (!any) {
        out.bounds = ChartBounds{};
        return out;
    }
    b.empty = false;
    columns = std::max(columns, 1);
    const auto columnCount = static_cast<std::size_t>(columns);
    const auto height = static_cast<std::size_t>(std::max(rows, 0));
    // A place's raster cells start on a word of the taken bits.
    const std::size_t stride = (height + 63) / 64 * 64;

    // Each column's lowest and highest Ra, the first row of each in list order: the lowest and the
    // highest of its x, the first row among equals. A place is a series' column: s · columns + column.
    const std::size_t places = chartSeriesCount * columnCount;
    std::vector<XEntry> extremes(places, XEntry{0.0, std::numeric_limits<double>::infinity(),
                                                -std::numeric_limits<double>::infinity(), noRow, noRow});
    std::array<std::vector<std::uint32_t>, chartSeriesCount> placeOfEntry;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (const XEntry &e : xs[s]) {
            const std::size_t place = s * columnCount + static_cast<std::size_t>(sliceOf(e.x, b.xMin, b.xMax, columns));
            placeOfEntry[s].push_back(static_cast<std::uint32_t>(place));
            takeExtremes(extremes[place], e);
        }
    }

    // The raster's look: the first row of each cell, a bit a cell saying it is taken. The rows with
    // codes through their cell's place and their hundredths' raster row; the odd rows one by one.
    std::vector<std::uint64_t> taken(raster ? places * stride / 64 : 0);
    std::unique_ptr<std::uint32_t[]> firstRow;
    if (raster) {
        firstRow = std::make_unique_for_overwrite<std::uint32_t[]>(places * stride);
        std::vector<std::uint32_t> placeOfCell(look.cellCount);
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            for (std::size_t p = 0; p < look.pieces[s].size(); ++p) {
                if (look.cellOfPiece[s][p] != noRow)
                    placeOfCell[look.cellOfPiece[s][p]] =
                        static_cast<std::uint32_t>(placeOfEntry[s][entryOfPiece[s][p]] * stride);
            }
        }
        const RasterRows rasterRows(look.lowest, look.highest, b.yMin, b.yMax, rows);
        if (look.secondBegin < look.codeCount) {
            // The later half's rows marked on a second thread, in a raster of their own; a cell
            // taken in both halves keeps the earlier half's row.
            std::vector<std::uint32_t> placeOfSecond(look.cellOfSecond.size());
            for (std::size_t c = 0; c < placeOfSecond.size(); ++c) {
                if (look.cellOfSecond[c] != noRow)
                    placeOfSecond[c] = placeOfCell[look.cellOfSecond[c]];
            }
            std::vector<std::uint64_t> takenLater(taken.size());
            const auto firstRowLater = std::make_unique_for_overwrite<std::uint32_t[]>(places * stride);
            onTwoThreads([&](int which) {
                if (which == 0)
                    markRaster(look, 0, look.secondBegin, look.layout, placeOfCell, rasterRows, taken,
                               firstRow.get());
                else
                    markRaster(look, look.secondBegin, look.codeCount, look.secondLayout, placeOfSecond,
                               rasterRows, takenLater, firstRowLater.get());
            });
            for (std::size_t w = 0; w < taken.size(); ++w) {
                for (std::uint64_t bits = takenLater[w] & ~taken[w]; bits != 0; bits &= bits - 1) {
                    const std::size_t cell = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                    firstRow[cell] = firstRowLater[cell];
                }
                taken[w] |= takenLater[w];
            }
        } else {
            markRaster(look, 0, look.codeCount, look.layout, placeOfCell, rasterRows, taken, firstRow.get());
        }
        for (const std::uint32_t i : look.odd) {
            const Placed p = place(list.row(i), axis);
            if (!p.drawable)
                continue;
            const std::size_t cell = (static_cast<std::size_t>(p.series) * columnCount +
                                      static_cast<std::size_t>(sliceOf(p.x, b.xMin, b.xMax, columns))) *
                                         stride +
                                     static_cast<std::size_t>(sliceOf(p.y, b.yMin, b.yMax, rows));
            std::uint64_t &word = taken[cell / 64];
            const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
            firstRow[cell] = (word & bit) != 0 ? std::min(firstRow[cell], i) : i;
            word |= bit;
        }
    }

    // The finest raster within the budget: `merge` cells become one (the first row of the merged
    // cells stands for them); 0 leaves the raster out. The points each merging keeps are counted
    // from the taken bits: a place's cells start on a word, so blocks of up to 64 cells lie within a
    // word, where folding its bits in halves counts them level by level; larger blocks are runs of
    // words.
    std::vector<std::size_t> occupied;
    for (std::size_t m = 1; m <= height; m *= 2)
        occupied.push_back(0);
    static constexpr std::array<std::uint64_t, 6> firstOfBlocks{0x5555555555555555ULL, 0x1111111111111111ULL,
                                                                0x0101010101010101ULL, 0x0001000100010001ULL,
                                                                0x0000000100000001ULL, 0x0000000000000001ULL};
    const std::size_t wordsOfPlace = stride / 64;
    for (std::size_t place = 0; raster && place < places; ++place) {
        const std::uint64_t *const words = taken.data() + place * wordsOfPlace;
        for (std::size_t w = 0; w < wordsOfPlace; ++w) {
            std::uint64_t bits = words[w];
            for (std::size_t level = 0; bits != 0 && level < std::min<std::size_t>(occupied.size(), 7); ++level) {
                occupied[level] += static_cast<std::size_t>(std::popcount(bits));
                if (level < firstOfBlocks.size())
                    bits = (bits | (bits >> (std::size_t{1} << level))) & firstOfBlocks[level];
            }
        }
        for (std::size_t level = 7; level < occupied.size(); ++level) {
            std::size_t lastBlock = SIZE_MAX;
            for (std::size_t w = 0; w < wordsOfPlace; ++w) {
                if (words[w] != 0 && (w >> (level - 6)) != lastBlock) {
                    lastBlock = w >> (level - 6);
                    ++occupied[level];
                }
            }
        }
    }
    std::size_t merge = 0;
    for (std::size_t level = 0; level < occupied.size(); ++level) {
        if (occupied[level] <= rasterBudget) {
            merge = std::size_t{1} << level;
            break;
        }
    }
    // The first row of each merged block of a place with a taken cell, in ascending blocks: found
    // from the taken bits, so that empty cells cost nothing.
    const auto forEachBlock = [&](std::size_t place, auto &&use) {
        if (merge == 0)
            return;
        const int shift = std::countr_zero(merge);
        std::size_t block = SIZE_MAX;
        std::uint32_t first = noRow;
        for (std::size_t w = place * stride / 64; w < (place + 1) * stride / 64; ++w) {
            for (std::uint64_t bits = taken[w]; bits != 0; bits &= bits - 1) {
                const std::size_t cell = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                const std::size_t b = (cell - place * stride) >> shift;
                if (b != block) {
                    if (block != SIZE_MAX)
                        use(first);
                    block = b;
                    first = firstRow[cell];
                } else {
                    first = std::min(first, firstRow[cell]);
                }
            }
        }
        if (block != SIZE_MAX)
            use(first);
    };

    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        ChartSeriesData &data = out.series[s];
        if (xs[s].empty())
            continue;
        // The rows first, then their points: the rows lie anywhere in the list, and are asked for a
        // few points ahead so that their fetches overlap.
        const auto rowOnly = [](std::uint32_t row) { return ChartPoint{0.0, 0.0, row}; };
        for (std::size_t column = 0; column < columnCount; ++column) {
            const XEntry &e = extremes[s * columnCount + column];
            if (e.lowRow == noRow)
                continue;
            data.points.push_back(rowOnly(e.lowRow));
            forEachBlock(s * columnCount + column, [&](std::uint32_t cell) {
                if (cell != e.lowRow && cell != e.highRow)
                    data.points.push_back(rowOnly(cell));
            });
            if (e.highRow != e.lowRow)
                data.points.push_back(rowOnly(e.highRow));
        }
        constexpr std::size_t ahead = 16;
        for (std::size_t k = 0; k < data.points.size(); ++k) {
            if (k + ahead < data.points.size()) {
                const auto *const next =
                    reinterpret_cast<const char *>(&list.row(data.points[k + ahead].row));
                __builtin_prefetch(next);
                __builtin_prefetch(next + sizeof(CandidateRow) - 1);
            }
            ChartPoint &p = data.points[k];
            const CandidateRow &r = list.row(p.row);
            p.x = chartX(r, axis);
            p.y = raOf(r);
        }
        data.envelope.reserve(xs[s].size());
        for (const XEntry &e : xs[s])
            data.envelope.push_back({e.x, e.highY, e.highRow});
    }
    return out;
}

} // namespace

int chartSeriesOf(const CandidateRow &row)
{
    return seriesOf(row);
}

double chartX(const CandidateRow &row, ChartAxis axis)
{
    if (axis == ChartAxis::FirstDimension)
        return row.first;
    // A round pile's row may hold anything as its unused second dimension; a section past the last
    // is taken as the last, as its series is.
    const auto section = static_cast<SectionType>(seriesOf(row));
    const double second = sectionRow(section).hasSecond ? row.second : 0.0;
    return sectionArea(section, row.first, second) / squareMillimetresPerSquareMetre;
}

double chartRa(const CandidateRow &row)
{
    return raOf(row);
}

ReducedChart reduceForChart(const CandidateList &list, ChartAxis axis, int columns, int rows,
                            std::size_t rasterBudget, std::size_t twoThreadsFrom)
{
    if (axis == ChartAxis::FirstDimension)
        return reduce<ChartAxis::FirstDimension>(list, columns, rows, rasterBudget, twoThreadsFrom);
    return reduce<ChartAxis::Area>(list, columns, rows, rasterBudget, twoThreadsFrom);
}

std::vector<ChartPoint> thinLine(const std::vector<ChartPoint> &points, double xMin, double xMax, int columns)
{
    columns = std::max(columns, 1);
    if (points.size() <= 4 * static_cast<std::size_t>(columns))
        return points;
    std::vector<ChartPoint> out;
    std::size_t begin = 0;
    while (begin < points.size()) {
        const int column = sliceOf(points[begin].x, xMin, xMax, columns);
        std::size_t end = begin + 1;
        std::size_t low = begin;
        std::size_t high = begin;
        for (; end < points.size() && sliceOf(points[end].x, xMin, xMax, columns) == column; ++end) {
            if (points[end].y < points[low].y)
                low = end;
            if (points[end].y > points[high].y)
                high = end;
        }
        // In line order, so the segments between them run as the full line does.
        std::array<std::size_t, 4> keep{begin, std::min(low, high), std::max(low, high), end - 1};
        std::size_t last = points.size();
        for (const std::size_t k : keep) {
            if (k != last)
                out.push_back(points[k]);
            last = k;
        }
        begin = end;
    }
    return out;
}

NearestRowIndex::NearestRowIndex(const CandidateList &list, ChartAxis axis) : m_list(&list), m_axis(axis)
{
    m_bounds = boundsOf(list, axis);
    if (m_bounds.empty)
        return;
    const std::size_t count = list.size();
    m_size = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(count) / 2.0)), 1, largestGrid);
    m_cellWidth = (m_bounds.xMax - m_bounds.xMin) / m_size;
    m_cellHeight = (m_bounds.yMax - m_bounds.yMin) / m_size;

    const auto side = static_cast<std::size_t>(m_size);
    std::vector<std::uint32_t> cellOfRow(count, noRow);
    m_cellStart.assign(side * side + 1, 0);
    std::size_t drawable = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Placed p = place(list.row(i), axis);
        if (!p.drawable)
            continue;
        const auto cell = static_cast<std::size_t>(cellY(p.y)) * side + static_cast<std::size_t>(cellX(p.x));
        cellOfRow[i] = static_cast<std::uint32_t>(cell);
        ++m_cellStart[cell + 1];
        ++drawable;
    }
    for (std::size_t c = 1; c < m_cellStart.size(); ++c)
        m_cellStart[c] += m_cellStart[c - 1];
    // Only row numbers are kept: a query places the few rows near it again.
    m_rows.resize(drawable);
    std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (cellOfRow[i] != noRow)
            m_rows[fill[cellOfRow[i]]++] = static_cast<std::uint32_t>(i);
    }
}

int NearestRowIndex::cellX(double x) const
{
    if (!(m_cellWidth > 0.0))
        return 0;
    return static_cast<int>(std::clamp((x - m_bounds.xMin) / m_cellWidth, 0.0, m_size - 1.0));
}

int NearestRowIndex::cellY(double y) const
{
    if (!(m_cellHeight > 0.0))
        return 0;
    return static_cast<int>(std::clamp((y - m_bounds.yMin) / m_cellHeight, 0.0, m_size - 1.0));
}

std::optional<std::size_t> NearestRowIndex::nearest(double x, double y, double xScale, double yScale,
                                                    double radius) const
{
    if (m_size == 0 || !(xScale > 0.0) || !(yScale > 0.0) || !(radius >= 0.0) || !std::isfinite(x) ||
        !std::isfinite(y))
        return std::nullopt;
    const double reachX = radius / xScale;
    const double reachY = radius / yScale;
    if (x + reachX < m_bounds.xMin || x - reachX > m_bounds.xMax || y + reachY < m_bounds.yMin ||
        y - reachY > m_bounds.yMax)
        return std::nullopt;
    const int x0 = cellX(x - reachX);
    const int x1 = cellX(x + reachX);
    const int y0 = cellY(y - reachY);
    const int y1 = cellY(y + reachY);
    double best = radius * radius;
    std::uint32_t bestRow = noRow;
    for (int cy = y0; cy <= y1; ++cy) {
        for (int cx = x0; cx <= x1; ++cx) {
            const auto cell = static_cast<std::size_t>(cy) * static_cast<std::size_t>(m_size) +
                              static_cast<std::size_t>(cx);
            for (std::uint32_t e = m_cellStart[cell]; e < m_cellStart[cell + 1]; ++e) {
                const std::uint32_t row = m_rows[e];
                const CandidateRow &candidate = m_list->row(row);
                const double dx = (chartX(candidate, m_axis) - x) * xScale;
                const double dy = (chartRa(candidate) - y) * yScale;
                const double distance = dx * dx + dy * dy;
                if (distance < best || (distance == best && row < bestRow)) {
                    best = distance;
                    bestRow = row;
                }
            }
        }
    }
    if (bestRow == noRow)
        return std::nullopt;
    return bestRow;
}

std::string chartRowText(const CandidateList &list, std::size_t index)
{
    if (index >= list.size())
        return {};
    const CandidateRow &row = list.row(index);
    const auto cell = [&](int column) { return trimmed(list.cell(index, column)); };
    const std::string sep(chartText::separator);
    std::string text =
        cell(0) + sep + std::string(sectionBookName(static_cast<SectionType>(chartSeriesOf(row)))) + sep;
    switch (row.section) {
    case SectionType::Round:
        text += "d=" + cell(2) + " mm";
        break;
    case SectionType::Elliptical:
        text += "d=" + cell(2) + " mm, c=" + cell(3) + " mm";
        break;
    case SectionType::Square:
        text += "a=" + cell(2) + " mm";
        break;
    default:
        text += "a=" + cell(2) + " mm, b=" + cell(3) + " mm";
        break;
    }
    text += sep;
    if (row.route == StrengthRoute::QpaGiven) {
        text += "qpa=" + cell(5) + " kPa";
    } else {
        text += "frk=" + cell(5) + " MPa";
        const std::string_view hardness = hardnessClass(row.strength);
        if (!hardness.empty())
            text += " " + std::string(hardness);
        text += " " + (row.basis == IntegrityBasis::Class ? cell(7)
                                                          : std::string(chartText::integrityIndex) + cell(7));
    }
    return text + sep + "Ra=" + cell(4) + " kN";
}

} // namespace saxolith
