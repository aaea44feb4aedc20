// Rows like a large run's, as the chart benchmark and the chart window's test draw them: four
// sections, dimensions on a 10 mm step, many rocks for each size, Ra = qpa·Ap.
#pragma once

#include "core/chart/candidate_chart.h"

#include <random>

namespace saxolith::reference
{

inline CandidateList largeChartList(std::size_t count)
{
    std::mt19937_64 random(17);
    std::uniform_int_distribution<int> section(1, 4);
    std::uniform_int_distribution<int> step(0, 250);
    std::uniform_real_distribution<double> qpa(1500.0, 12000.0);
    CandidateList list;
    list.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        CandidateRow row;
        row.section = static_cast<SectionType>(section(random) - 1);
        row.first = 500.0 + 10.0 * step(random);
        row.second = row.section == SectionType::Square ? row.first : 300.0 + 10.0 * (step(random) / 2);
        row.qpa = qpa(random);
        row.ra = row.qpa * chartX(row, ChartAxis::Area);
        list.append(row);
    }
    list.renumber();
    return list;
}

} // namespace saxolith::reference
