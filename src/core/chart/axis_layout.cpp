#include "core/chart/axis_layout.h"

#include "core/chart/halves.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

namespace saxolith::chartReduction
{

namespace
{

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

// A series' pieces in ascending x, those of one x made one; `entryOfPiece` numbers each piece's x
// within the series.
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

} // namespace

SeriesXs distinctXOf(const FirstLook &look, bool twoThreads)
{
    SeriesXs out;
    const auto distinctOf = [&](std::size_t s) {
        out.xs[s] = distinctX(look.pieces[s], out.entryOfPiece[s]);
    };
    if (twoThreads) {
        // By area the elliptical and the rectangular, whose two dimensions are free, hold nearly all x.
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
    return out;
}

ChartBounds boundsOf(const SeriesXs &xs)
{
    ChartBounds b;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    for (const std::vector<XEntry> &series : xs.xs) {
        if (series.empty())
            continue;
        b.empty = false;
        b.xMin = std::min(b.xMin, series.front().x);
        b.xMax = std::max(b.xMax, series.back().x);
        for (const XEntry &e : series) {
            b.yMin = std::min(b.yMin, e.lowY);
            b.yMax = std::max(b.yMax, e.highY);
        }
    }
    return b.empty ? ChartBounds{} : b;
}

Columns columnsOf(const SeriesXs &xs, const ChartBounds &bounds, int columns)
{
    columns = std::max(columns, 1);
    Columns out;
    out.count = static_cast<std::size_t>(columns);
    out.extremes.assign(out.places(), XEntry{0.0, std::numeric_limits<double>::infinity(),
                                             -std::numeric_limits<double>::infinity(), noRow, noRow});
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (const XEntry &e : xs.xs[s]) {
            const std::size_t place =
                s * out.count + static_cast<std::size_t>(sliceOf(e.x, bounds.xMin, bounds.xMax, columns));
            out.placeOfEntry[s].push_back(static_cast<std::uint32_t>(place));
            takeExtremes(out.extremes[place], e);
        }
    }
    return out;
}

} // namespace saxolith::chartReduction
