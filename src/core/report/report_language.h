// The report in its settings' language: the Chinese the builder writes, in English, or Chinese with the
// English beneath each heading (as overseas reviews ask for).
#pragma once

#include "core/report/report_document.h"
#include "core/report/report_settings.h"

#include <vector>

namespace saxolith
{

// `blocks` as the settings' language has them; as they are when it is Chinese.
std::vector<Block> inReportLanguage(std::vector<Block> blocks, const ReportSettings &settings);
// A table row's cells the same way (bilingual: in Chinese).
std::vector<Runs> inReportLanguage(std::vector<Runs> cells, const ReportSettings &settings);
// The language the report's fixed words outside the blocks (page header, footer) are in.
Language reportLanguage(const ReportSettings &settings);

} // namespace saxolith
