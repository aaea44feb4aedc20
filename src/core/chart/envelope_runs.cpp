#include "core/chart/envelope_runs.h"

namespace saxolith
{

bool sameRock(const CandidateRow &a, const CandidateRow &b)
{
    if (a.route != b.route || a.strength != b.strength) {
        return false;
    }
    if (a.route != StrengthRoute::FrkGiven) {
        return true;
    }
    if (a.basis != b.basis || a.psi != b.psi) {
        return false;
    }
    return a.basis == IntegrityBasis::Class ? a.integrityClass == b.integrityClass : a.index == b.index;
}

std::vector<EnvelopeRun> envelopeRuns(const std::vector<ChartPoint> &envelope, const CandidateList &list)
{
    std::vector<EnvelopeRun> runs;
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= envelope.size(); ++i) {
        const bool cut =
            i == envelope.size() || !sameRock(list.row(envelope[i - 1].row), list.row(envelope[i].row));
        if (!cut) {
            continue;
        }
        if (i - begin >= 2) {
            runs.push_back({begin, i});
        }
        begin = i;
    }
    return runs;
}

std::vector<ChartPoint> stepLine(const std::vector<ChartPoint> &envelope)
{
    std::vector<ChartPoint> steps;
    steps.reserve(envelope.size() * 2);
    for (std::size_t i = 0; i < envelope.size(); ++i) {
        if (i > 0) {
            steps.push_back({envelope[i].x, envelope[i - 1].y, envelope[i - 1].row});
        }
        steps.push_back(envelope[i]);
    }
    return steps;
}

} // namespace saxolith
