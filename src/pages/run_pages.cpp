#include "pages/run_pages.h"

#include "pages/book_pages.h"
#include "pages/bundled_fonts.h"
#include "pages/report_pages.h"

namespace saxolith
{

void PdfRunPages::prepare()
{
    if (m_application) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    m_application.emplace(m_argc, m_argv);
    loadBundledFonts();
}

std::optional<std::string> PdfRunPages::bookPdf(const std::string &linesPath, const std::string &path)
{
    return writeBookPdf(bookFileLines(linesPath), BookForm::Text, path);
}

std::optional<std::string> PdfRunPages::reportPdf(const StreamedReport &report, const std::string &path,
                                                  const ReportProgress &progress)
{
    return writeReportPdf(report, path, progress);
}

} // namespace saxolith
