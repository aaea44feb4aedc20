// The pages of a batch run (the text book and the report as PDF), drawn for the pipeline in core.
#pragma once

#include "core/schedule/schedule_pipeline.h"

#include <QGuiApplication>

#include <optional>

namespace saxolith
{

// Lays the pages out on the offscreen platform: the fonts are needed, never a display.
class PdfRunPages final : public RunPages
{
  public:
    // The program's arguments, as the application object takes them; kept by reference.
    PdfRunPages(int &argc, char **argv) : m_argc(argc), m_argv(argv) {}

    void prepare() override;
    std::optional<std::string> bookPdf(const std::string &linesPath, const std::string &path) override;
    std::optional<std::string> reportPdf(const StreamedReport &report, const std::string &path,
                                         const ReportProgress &progress) override;

  private:
    int &m_argc;
    char **m_argv;
    std::optional<QGuiApplication> m_application;
};

} // namespace saxolith
