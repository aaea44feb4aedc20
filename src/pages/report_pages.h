// The calculation report on pages: A4 portrait, a proportional CJK font, real tables; for PDF files and
// printers.
//
// As for the books, a QGuiApplication must exist before any of this is called.
#pragma once

#include "core/report/report_document.h"

#include <optional>
#include <string>

class QPagedPaintDevice;

namespace saxolith
{

// The report's font: proportional, with every ideograph the report writes.
inline constexpr const char *reportFontFamily = "WenQuanYi Zen Hei";

// A4 portrait with the report's margins.
void setUpReportPages(QPagedPaintDevice &device);

// Lays the document out on the device's pages and paints them: the page header (project name, report
// title), the blocks, "第 n 页 共 m 页" below. A pile's section moves to a fresh page rather than tear
// when it fits on one; a table torn over pages repeats its header rows. False when painting cannot begin,
// or when `progress` (half for the layout, half for the painting) stopped it.
bool paintReport(QPagedPaintDevice &device, const ReportDocument &document, const ReportProgress &progress = {});

// The pages the document takes on the device, as paintReport would lay them out.
int reportPageCount(QPagedPaintDevice &device, const ReportDocument &document);

// Writes the report as a PDF file (text kept as text, the font embedded) through the one safe save.
// Nothing on success, otherwise a text naming the file and the reason. `path` is in the file system's
// encoding. When `progress` stops the writing, no file is written and any earlier one stays.
std::optional<std::string> writeReportPdf(const ReportDocument &document, const std::string &path,
                                          const ReportProgress &progress = {});

// The same PDF from a report's piles as they come, for a schedule too long to hold: the pages are laid
// out once to count them, then again and painted as each is full, so only the page at hand is held.
std::optional<std::string> writeReportPdf(const StreamedReport &report, const std::string &path,
                                          const ReportProgress &progress = {});

} // namespace saxolith
