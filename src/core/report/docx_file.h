// The calculation report as a Word file: WordprocessingML (document, styles, page header and footer) in a
// zip.
#pragma once

#include "core/report/report_document.h"

#include <optional>
#include <string>

namespace saxolith
{

// Writes the report as a .docx through the one safe save: A4 portrait, the project's name and the report's
// title in the page header, "第 n 页 共 m 页" with PAGE and NUMPAGES fields in the footer, real tables whose
// header rows repeat. Nothing on success, otherwise a text naming the file and the reason; `progress`
// counts the blocks written, and when it stops the writing no file is written and any earlier one stays.
std::optional<std::string> writeReportDocx(const ReportDocument &document, const std::string &path,
                                           const ReportProgress &progress = {});

// The same file from a report's piles as they come, for a schedule too long to hold: each pile's section
// goes into the zip, which is packed in the file `scratch` (made and removed here), as it is made; the
// bytes of the whole report of the same piles. `progress` counts two passes over the piles.
std::optional<std::string> writeReportDocx(const StreamedReport &report, const std::string &path,
                                           const std::string &scratch, const ReportProgress &progress = {});

} // namespace saxolith
