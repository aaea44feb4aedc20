// The results table of a calculated schedule (CSV and .xlsx) and the example schedule.
#pragma once

#include "core/report/report_settings.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"

#include <array>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace saxolith
{

struct ConcreteGrade;

inline constexpr std::string_view resultsCsvName = "results.csv";
inline constexpr std::string_view resultsXlsxName = "results.xlsx";

// 桩号, the inputs as read under their English names, ψr, qpa(kPa), Ra(kN), 结果, 说明, then the shaft check
// at the settings' concrete grade and ψc: fc(MPa), ψc, Rp(kN), 桩身强度. A row whose shaft governs says so,
// with Rp/γ, in 说明.
inline constexpr std::size_t resultsColumnCount = 1 + (scheduleColumnCount - 1) + 5 + 4;
using ResultsCells = std::array<std::string, resultsColumnCount>;
ResultsCells resultsHeader();
// The header in one language, the schedule's: every column under its Chinese or its English name.
ResultsCells resultsHeader(bool chinese);
ResultsCells resultsCells(const ScheduleRow &row, const RowResult &result, const ReportSettings &shaft = {});

// The rows of the results table under one shaft check's settings, what all rows share found once: the
// cells of a row, or its record of the CSV as writeResultsCsv writes it (CR LF at its end) appended
// to `out` straight.
class ResultsRows
{
  public:
    // `ground`: the schedule has ground columns, and its rows end with the ground's columns.
    explicit ResultsRows(const ReportSettings &shaft = {}, bool ground = false);
    ResultsCells cells(const ScheduleRow &row, const RowResult &result) const;
    void appendCsv(std::string &out, const ScheduleRow &row, const RowResult &result) const;
    bool ground() const { return m_ground; }

  private:
    // Each cell of the row, in the order of the columns, to `take`: the one reading of the cells.
    template <typename Take> void visit(const ScheduleRow &row, const RowResult &result, Take &&take) const;

    double m_psiC;
    double m_gamma;
    const ConcreteGrade *m_grade; // none: no shaft check
    std::string m_fcText;
    std::string m_psiCText;
    bool m_ground = false;
    bool m_english;
};

// UTF-8 with a byte-order mark, quoted as RFC 4180 asks, CR LF after every row. Rows read with ground
// columns end with the ground's: 方法, 钻孔, 桩长(m), hr(m), u(m), Qsk(kN), Qrk(kN), Quk(kN), ζr, 侧阻(kN), 端阻(kN).
void writeResultsCsv(std::ostream &out, const std::vector<ScheduleRow> &rows, const ScheduleResult &result,
                     const ReportSettings &shaft = {});
// The same a row at a time: the byte-order mark and the header (in the settings' language, when they name
// one; with the ground's columns when the rows have them), then each row's record.
std::string resultsCsvHead(const ReportSettings &settings = {}, bool ground = false);
void appendResultsCsvRow(std::string &out, const ScheduleRow &row, const RowResult &result,
                         const ReportSettings &shaft = {});

// One worksheet; inputs and results that are numbers stand as numbers shown with their decimals; the
// header row, in the schedule's language, stays in view and filters; columns as wide as their texts.
// Saved as every file is (complete or not at all, the previous file kept on failure); a text longer
// than a cell holds fails the write. Nothing on success, otherwise the file and the reason.
std::optional<std::string> writeResultsXlsx(const std::string &path, const std::vector<ScheduleRow> &rows,
                                            const ScheduleResult &result, bool chineseHeader = false,
                                            const ReportSettings &shaft = {}, bool ground = false);

class ResultsPacker;

// The workbook writeResultsXlsx saves, given a row at a time as a run calculates it, so a schedule
// of any length is written in little memory; saved at `path` by finish().
class ResultsWorkbook
{
  public:
    // `rowCount` rows are to come; `shaft`: the shaft check's settings.
    ResultsWorkbook(std::string path, std::size_t rowCount, bool chineseHeader, const ReportSettings &shaft = {},
                    bool ground = false);
    ~ResultsWorkbook();
    ResultsWorkbook(const ResultsWorkbook &) = delete;
    ResultsWorkbook &operator=(const ResultsWorkbook &) = delete;

    void add(const ScheduleRow &row, const RowResult &result);
    // Packs and saves the workbook; nothing on success, otherwise the file and the reason.
    std::optional<std::string> finish();

  private:
    std::string m_path;
    std::string m_packed;
    std::unique_ptr<ResultsPacker> m_packer;
    std::optional<std::string> m_failure;
};

// An example schedule with every column and three rows, UTF-8 with a byte-order mark.
std::string scheduleTemplate(Language language = Language::Chinese);

} // namespace saxolith
