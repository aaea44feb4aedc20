#include "core/design/pile_design.h"

#include "core/capacity/formulas.h"
#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/design.h"
#include "core/texts/ground.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace saxolith
{

namespace
{

// A socket on a whole step, or at the layer's very bottom, counts as within it whatever the sums' last bit.
constexpr double slack = 1e-9;

bool blank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// The cell's value; nothing with `refusal` set when it is no number or negative.
std::optional<double> loadCell(std::string_view column, std::string_view cell, std::string &refusal)
{
    const std::optional<double> value = strictNumber(cell);
    if (!value) {
        refusal = fillIn(designText::notNumber, {column, cell});
        return std::nullopt;
    }
    if (*value < 0.0) {
        refusal = fillIn(designText::negative, {column, cell});
        return std::nullopt;
    }
    return value;
}

std::string kn(double x)
{
    return formatFixed(x, 15, 2);
}

// One size on the profile: what does not change with the socket is worked out once, and Ra at any step
// by the same operations, in the same order, as socketedCapacity takes: the search and the plain
// calculation of the pile it chooses agree to the last bit.
struct SizeTrial {
    const PileProfile *profile = nullptr;
    SocketedPile pile;
    SocketSteps steps;
    double areaMm2 = 0.0;
    double area = 0.0; // m²
    double perimeter = 0.0;
    double diameter = 0.0;
    double end = 0.0;
    double qsk = 0.0;

    SizeTrial(const PileProfile &onProfile, const SocketedPile &of, DesignSize size,
              const DesignSettings &settings)
        : profile(&onProfile), pile(of)
    {
        pile.first = size.first;
        pile.second = size.second;
        areaMm2 = sectionArea(pile.section, size.first, size.second);
        area = areaMm2 / 1'000'000.0;
        perimeter = sectionPerimeterMetres(pile.section, size.first, size.second);
        diameter = socketDiameter(pile.section, size.first, size.second);
        end = capacityRa(pile.qpa, areaMm2);
        qsk = perimeter * profile->sums.ultimateAbove;
        steps = socketSteps(onProfile, diameter, settings);
    }

    double raAt(long k) const
    {
        const double socket = steps.at(k);
        switch (pile.method) {
        case CapacityMethod::EndOnly:
            return end;
        case CapacityMethod::EndAndSide:
            return end + perimeter * (profile->sums.sideAbove + profile->sums.bearingQsia * socket);
        case CapacityMethod::SocketJgj94:
            break;
        }
        const ZetaReading zeta = socketZeta(socket * 1000.0 / diameter, pile.frk, pile.process);
        const double qrk = zeta.zeta * pile.frk * 1000.0 * area;
        return (qsk + qrk) / safetyFactor;
    }
    // The socket at which Ra reaches `ra`, as the formulas give it backwards (an estimate of the least step:
    // the steps themselves decide).
    double socketFor(double ra) const
    {
        switch (pile.method) {
        case CapacityMethod::EndOnly:
            return 0.0;
        case CapacityMethod::EndAndSide:
            return ((ra - end) / perimeter - profile->sums.sideAbove) / profile->sums.bearingQsia;
        case CapacityMethod::SocketJgj94:
            break;
        }
        const double target = (ra * safetyFactor - qsk) / (pile.frk * 1000.0 * area);
        const ZetaReading low = socketZeta(0.0, pile.frk, pile.process);
        double before = low.zeta;
        if (target <= before) {
            return 0.0;
        }
        for (std::size_t i = 1; i < zetaRatios.size(); ++i) {
            const double hard = zetaHardRow[std::min(i, zetaHardRow.size() - 1)];
            const double at = (zetaSoftRow[i] + (hard - zetaSoftRow[i]) * low.weight) * low.factor;
            if (at >= target) {
                const double ratio = zetaRatios[i - 1] +
                                     (target - before) / (at - before) * (zetaRatios[i] - zetaRatios[i - 1]);
                return ratio * diameter / 1000.0;
            }
            before = at;
        }
        return INFINITY;
    }
    CapacityParts partsAt(long k)
    {
        pile.socket = steps.at(k);
        return profileCapacity(*profile, pile);
    }
    // Ap·L at the k-th socket, as pileVolume has it.
    double volumeAt(long k) const { return area * profile->length(steps.at(k)); }
    // The deepest step whose volume is below `volume`; −1 for none.
    long deepestBelow(double volume) const
    {
        const double reach = (volume / area - profile->sums.lengthAbove - steps.origin) / steps.step;
        long k = std::isfinite(reach) ? static_cast<long>(std::floor(reach)) - steps.first : steps.count - 1;
        k = std::clamp(k, -1L, steps.count - 1);
        while (k >= 0 && volumeAt(k) >= volume) {
            --k;
        }
        while (k + 1 < steps.count && volumeAt(k + 1) < volume) {
            ++k;
        }
        return k;
    }
};

// The least step that carries the loads by the ground, the last step known to: the formulas backwards
// give a step, its neighbour confirms it, and Ra not falling as the socket deepens lets a bisection settle
// what the estimate missed.
long leastCarrying(const SizeTrial &trial, const PileLoads &loads)
{
    const long last = trial.steps.count - 1;
    const auto carries = [&](long k) { return groundCarries(loads, trial.raAt(k)); };
    const auto bisect = [&](long fails, long carried) {
        while (carried - fails > 1) {
            const long mid = fails + (carried - fails) / 2;
            (carries(mid) ? carried : fails) = mid;
        }
        return carried;
    };
    const double need = std::max(loads.nk, loads.nkmax ? *loads.nkmax / eccentricFactor : 0.0);
    const double reach = (trial.socketFor(need) - trial.steps.origin) / trial.steps.step - trial.steps.first;
    const long k = reach >= 0.0 && reach < static_cast<double>(last) ? static_cast<long>(std::ceil(reach))
                   : reach >= 0.0                                    ? last
                                                                     : 0;
    if (carries(k)) {
        return k == 0 || !carries(k - 1) ? k : bisect(-1, k - 1);
    }
    return carries(k + 1) ? k + 1 : bisect(k + 1, last);
}

// The sizes in order of growing area; a copy is made only of sizes given out of order.
class SizeOrder
{
  public:
    SizeOrder(const SocketedPile &pile, const DesignSettings &settings)
    {
        if (sectionRow(pile.section).sides) {
            m_single = {pile.first, pile.second};
            m_count = 1;
            return;
        }
        m_second = pile.section == SectionType::Round ? 0.0 : pile.second;
        m_diameters = &settings.sizes;
        if (std::adjacent_find(settings.sizes.begin(), settings.sizes.end(), std::greater_equal<>()) !=
            settings.sizes.end()) {
            m_sorted = settings.sizes;
            std::sort(m_sorted.begin(), m_sorted.end());
            m_sorted.erase(std::unique(m_sorted.begin(), m_sorted.end()), m_sorted.end());
            m_diameters = &m_sorted;
        }
        m_count = m_diameters->size();
    }
    std::size_t size() const { return m_count; }
    DesignSize operator[](std::size_t i) const
    {
        return m_diameters == nullptr ? m_single : DesignSize{(*m_diameters)[i], m_second};
    }

  private:
    DesignSize m_single;
    double m_second = 0.0;
    const std::vector<double> *m_diameters = nullptr;
    std::vector<double> m_sorted;
    std::size_t m_count = 0;
};

} // namespace

LoadsReading readLoads(std::string_view nk, std::string_view n, std::string_view nkmax, double gamma)
{
    LoadsReading out;
    if (blank(nk)) {
        out.refusal = fillIn(designText::missingLoad, {designText::nkColumn});
        return out;
    }
    PileLoads loads;
    const std::optional<double> characteristic = loadCell(designText::nkColumn, nk, out.refusal);
    if (!characteristic) {
        return out;
    }
    loads.nk = *characteristic;
    if (blank(n)) {
        loads.n = gamma * loads.nk;
    } else {
        const std::optional<double> basic = loadCell(designText::nColumn, n, out.refusal);
        if (!basic) {
            return out;
        }
        loads.n = *basic;
    }
    if (!blank(nkmax)) {
        loads.nkmax = loadCell(designText::nkmaxColumn, nkmax, out.refusal);
        if (!loads.nkmax) {
            return out;
        }
    }
    out.loads = loads;
    return out;
}

std::vector<double> defaultDesignSizes()
{
    std::vector<double> sizes;
    for (int d = 800; d <= 3000; d += 100) {
        sizes.push_back(d);
    }
    return sizes;
}

std::optional<std::vector<double>> readDesignSizes(std::string_view text, std::string &refusal)
{
    std::vector<double> sizes;
    const auto positive = [&refusal](std::string_view part) -> std::optional<double> {
        const std::optional<double> value = strictNumber(part);
        if (!value || !(*value > 0.0)) {
            refusal = fillIn(designText::badSize, {part});
            return std::nullopt;
        }
        return value;
    };
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const std::size_t dash = part.find('-', 1);
        if (dash == std::string_view::npos) {
            const std::optional<double> size = positive(part);
            if (!size) {
                return std::nullopt;
            }
            sizes.push_back(*size);
        } else {
            const std::size_t slash = part.find('/', dash);
            const std::optional<double> from = positive(part.substr(0, dash));
            const std::optional<double> to =
                from ? positive(part.substr(dash + 1, slash - dash - 1)) : std::nullopt;
            const std::optional<double> step = !to ? std::nullopt
                                               : slash == std::string_view::npos
                                                   ? std::optional<double>(100.0)
                                                   : positive(part.substr(slash + 1));
            if (!step) {
                return std::nullopt;
            }
            if (*to < *from) {
                refusal = fillIn(designText::backwardSizes, {part});
                return std::nullopt;
            }
            // Counted in whole steps, so that the last size is the one named and no sum drifts.
            const double steps = std::floor((*to - *from) / *step + 1e-9);
            if (steps >= static_cast<double>(mostDesignSizes)) {
                refusal = fillIn(designText::tooManySizes, {part, std::to_string(mostDesignSizes)});
                return std::nullopt;
            }
            for (long i = 0; i <= static_cast<long>(steps); ++i) {
                sizes.push_back(*from + static_cast<double>(i) * *step);
            }
        }
        if (sizes.size() > mostDesignSizes) {
            refusal = fillIn(designText::tooManySizes, {text, std::to_string(mostDesignSizes)});
            return std::nullopt;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

SocketSteps socketSteps(const PileProfile &profile, double diameter, const DesignSettings &settings)
{
    SocketSteps steps;
    steps.step = settings.socketStep;
    if (settings.minSocket) {
        steps.origin = *settings.minSocket;
    } else {
        const double least = std::max(leastSocket, leastSocketRatio * diameter / 1000.0);
        steps.first = static_cast<long>(std::ceil(least / steps.step - slack));
    }
    const double room = profile.socketRoom() + slack;
    if (!(steps.at(0) <= room)) {
        return steps;
    }
    steps.count = static_cast<long>(std::floor((room - steps.at(0)) / steps.step)) + 1;
    // The division's last bit may land a step either side.
    while (steps.count > 1 && steps.at(steps.count - 1) > room) {
        --steps.count;
    }
    while (steps.at(steps.count) <= room) {
        ++steps.count;
    }
    return steps;
}

std::vector<DesignSize> designSizes(const SocketedPile &pile, const DesignSettings &settings)
{
    const SizeOrder order(pile, settings);
    std::vector<DesignSize> sizes;
    sizes.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sizes.push_back(order[i]);
    }
    return sizes;
}

std::string_view governsName(DesignGoverns governs)
{
    return governs == DesignGoverns::Shaft ? designText::shaftGoverns : designText::groundGoverns;
}

DesignOutcome designPile(const PileProfile &profile, const SocketedPile &pile, const PileLoads &loads,
                         const DesignSettings &settings)
{
    DesignOutcome out;
    const SizeOrder sizes(pile, settings);
    const auto trialOf = [&](std::size_t i) { return SizeTrial(profile, pile, sizes[i], settings); };

    // Sizes come in order of growing area, and each check is met from some size on: a larger size's least
    // socket is no shorter, so the sizes with room for theirs come first; Rp grows with the area; Ra at
    // the deepest socket (the same step for every size with room) grows with the size. So the first size
    // each check allows is found by bisection.
    const auto firstOf = [](std::size_t from, std::size_t to, auto &&allowed) {
        while (from < to) {
            const std::size_t mid = from + (to - from) / 2;
            if (allowed(mid)) {
                to = mid;
            } else {
                from = mid + 1;
            }
        }
        return from;
    };
    const std::size_t withRoom = firstOf(0, sizes.size(), [&](std::size_t i) {
        const DesignSize size = sizes[i];
        return socketSteps(profile, socketDiameter(pile.section, size.first, size.second), settings).count ==
               0;
    });
    const std::size_t shaftCarries = firstOf(0, withRoom, [&](std::size_t i) {
        const DesignSize size = sizes[i];
        return loads.n <= shaftCapacity(sectionArea(pile.section, size.first, size.second), settings);
    });
    const auto groundAllows = [&](std::size_t i) {
        const SizeTrial trial = trialOf(i);
        return groundCarries(loads, trial.raAt(trial.steps.count - 1));
    };
    // The first size both allow: most often the first the shaft allows.
    const std::size_t first = shaftCarries == withRoom || groundAllows(shaftCarries)
                                  ? shaftCarries
                                  : firstOf(shaftCarries + 1, withRoom, groundAllows);

    // Once the least volume a size can have reaches the best found, no later size can beat it (nor win a
    // tie on d).
    std::optional<DesignedPile> best;
    for (std::size_t i = first; i < withRoom; ++i) {
        const SizeTrial trial = trialOf(i);
        if (best && trial.volumeAt(0) >= best->volume) {
            break;
        }
        // The first size was found to carry at its deepest socket, and larger ones carry more: the deepest is
        // confirmed only where the search ends on it.
        const long k = leastCarrying(trial, loads);
        if (i != first && k == trial.steps.count - 1 && !groundCarries(loads, trial.raAt(k))) {
            continue;
        }
        const double volume = trial.volumeAt(k);
        if (!best || volume < best->volume) {
            SocketedPile chosen = trial.pile;
            chosen.socket = trial.steps.at(k);
            best = DesignedPile{chosen, profileCapacity(profile, chosen),
                                shaftCapacity(trial.areaMm2, settings), volume, DesignGoverns::Ground};
        }
    }

    if (best) {
        // The shaft set the size when a size it refused carries the load by the ground in less volume: with
        // Ra not falling as the socket deepens, the deepest socket still under the best volume tells. The
        // largest such size is the likeliest, so it is tried first; once a size is not carried even at its
        // deepest socket, no smaller one is. When the ground itself refused the first sizes the shaft allows,
        // it refuses the smaller ones too.
        for (std::size_t i = first == shaftCarries ? shaftCarries : 0; i-- > 0;) {
            const SizeTrial trial = trialOf(i);
            const long k = trial.deepestBelow(best->volume);
            if (k >= 0 && groundCarries(loads, trial.raAt(k))) {
                best->governs = DesignGoverns::Shaft;
                break;
            }
            if (k < trial.steps.count - 1 && !groundCarries(loads, trial.raAt(trial.steps.count - 1))) {
                break;
            }
            if (k == trial.steps.count - 1) {
                break; // its deepest socket was tried and failed
            }
        }
        out.pile = std::move(best);
        return out;
    }

    // No size carries: the most each check reached, and which fell short.
    std::optional<double> leastRoomNeeded;
    bool anyRoom = false;
    double mostRp = 0.0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const SizeTrial trial = trialOf(i);
        const double rp = shaftCapacity(trial.areaMm2, settings);
        mostRp = std::max(mostRp, rp);
        out.mostShaftLimit = std::max(out.mostShaftLimit, rp / settings.gamma);
        if (trial.steps.count == 0) {
            leastRoomNeeded =
                leastRoomNeeded ? std::min(*leastRoomNeeded, trial.steps.at(0)) : trial.steps.at(0);
            continue;
        }
        anyRoom = true;
        out.mostRa = std::max(out.mostRa, trial.raAt(trial.steps.count - 1));
    }
    std::string reasons;
    const auto add = [&reasons](std::string reason) {
        if (!reasons.empty()) {
            reasons += designText::reasonSeparator;
        }
        reasons += reason;
    };
    if (!anyRoom && leastRoomNeeded) {
        add(fillIn(designText::noSocketRoom, {profile.bearing.number, formatGeneral(profile.socketRoom()),
                                              formatGeneral(*leastRoomNeeded)}));
    } else {
        if (!(loads.nk <= out.mostRa)) {
            add(fillIn(designText::groundShort, {formatGeneral(loads.nk), kn(out.mostRa)}));
        }
        if (loads.nkmax && !(*loads.nkmax <= eccentricFactor * out.mostRa)) {
            add(fillIn(designText::eccentricShort, {formatGeneral(*loads.nkmax), kn(out.mostRa)}));
        }
        if (!(loads.n <= mostRp)) {
            add(fillIn(designText::shaftShort, {formatGeneral(loads.n), kn(mostRp)}));
        }
        // Each check met by some size, but none by the same.
        if (reasons.empty()) {
            add(std::string(designText::notTogether));
        }
    }
    out.refusal = std::string(designText::noneCarries) + reasons;
    if (anyRoom) {
        out.refusal += fillIn(designText::mostReached, {kn(out.mostRa), kn(out.mostShaftLimit)});
    }
    return out;
}

std::string takeBearingStrength(const PileProfile &profile, SocketedPile &pile)
{
    if (pile.method == CapacityMethod::SocketJgj94) {
        if (!profile.bearing.frk) {
            return fillIn(groundText::noFrk, {profile.bearing.number});
        }
        pile.frk = *profile.bearing.frk;
        return {};
    }
    if (!profile.bearing.qpa) {
        return fillIn(designText::noStrength, {profile.bearing.number, "qpa", methodName(pile.method)});
    }
    pile.qpa = *profile.bearing.qpa;
    return {};
}

} // namespace saxolith
