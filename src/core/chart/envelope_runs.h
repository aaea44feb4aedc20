// The chart's upper envelope cut where the rock changes, so that its lines join like with like.
#pragma once

#include "core/chart/candidate_chart.h"

#include <cstddef>
#include <vector>

namespace saxolith
{

// Whether two candidates stand on the same rock: the same strength route and strength, and on the
// frk route the same integrity (class or index) and ψr. Sizes and section types do not count.
[[nodiscard]] bool sameRock(const CandidateRow &a, const CandidateRow &b);

// A stretch [begin, end) of envelope points whose rows all stand on the same rock.
struct EnvelopeRun {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const EnvelopeRun &, const EnvelopeRun &) = default;
};

// The envelope (ascending x, each point's row in `list`) cut into runs of two or more neighbours on
// the same rock: a line is drawn along each run and never from one rock to another, where the
// highest candidate of the next size stands on other rock and a joining line would read as a trend.
[[nodiscard]] std::vector<EnvelopeRun> envelopeRuns(const std::vector<ChartPoint> &envelope,
                                                    const CandidateList &list);

// The envelope as a step line: each point's Ra held up to the next x, then a rise or fall there; a
// step's corner stands for the point before it.
[[nodiscard]] std::vector<ChartPoint> stepLine(const std::vector<ChartPoint> &envelope);

} // namespace saxolith
