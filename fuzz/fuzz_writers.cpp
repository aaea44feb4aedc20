// The book and list writers, the list's CSV export and the encoder: any book of completed calculations
// and any list are written whole, no exported cell runs as a formula, and the encoder passes UTF-8
// through and never fails on bad bytes.
#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "fuzz_check.h"
#include "core/optimise/option_grid.h"
#include "core/book/book_file.h"
#include "core/save/encoding.h"
#include "core/text/csv_field.h"
#include "core/optimise/list_export.h"
#include "core/optimise/list_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    static const char *const pages[] = {"GBK", "UTF-8", "utf8", "GB18030", "ASCII", "NO-SUCH-PAGE"};
    const char *page = pages[in.ConsumeIntegralInRange<std::size_t>(0, std::size(pages) - 1)];

    CalculationBook book;
    const int entries = in.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < entries; ++i) {
        CalculationInput input = defaultCalculationInput();
        input.sectionItem = in.ConsumeIntegralInRange(0, 2);
        input.firstDimension = std::to_string(in.ConsumeIntegralInRange(1, 1'000'000));
        input.secondDimension = std::to_string(in.ConsumeIntegralInRange(0, 1'000'000));
        input.precision = in.ConsumeIntegralInRange(0, 5);
        input.psiMode = in.ConsumeBool() ? PsiMode::Manual : PsiMode::Automatic;
        input.manualPsi = "0." + std::to_string(in.ConsumeIntegralInRange(0, 99));
        const CalculationOutcome out = calculate(input);
        if (out.record) {
            book.record(*out.record, in.ConsumeRandomLengthString(30));
        }
        if (in.ConsumeIntegralInRange(0, 7) == 0) {
            book.deleteLast();
        }
    }
    for (const BookForm form : {BookForm::Text, BookForm::Table}) {
        const auto &lines = form == BookForm::Text ? book.textLines() : book.tableLines();
        const std::string bytes = bookFileBytes(lines, page);
        require(lines.empty() || !bytes.empty(), "a book is written");
    }

    CandidateList list;
    const int rows = in.ConsumeIntegralInRange(0, 40);
    for (int i = 0; i < rows; ++i) {
        CandidateRow row;
        row.first = in.ConsumeFloatingPoint<double>();
        row.second = in.ConsumeFloatingPoint<double>();
        row.strength = in.ConsumeFloatingPoint<double>();
        row.ra = in.ConsumeFloatingPoint<double>();
        row.qpa = in.ConsumeFloatingPoint<double>();
        row.section = static_cast<SectionType>(in.ConsumeIntegralInRange<std::uint8_t>(0, 3));
        row.route = static_cast<StrengthRoute>(in.ConsumeIntegralInRange<std::uint8_t>(1, 2));
        row.precision = in.ConsumeIntegralInRange<std::uint8_t>(0, 5);
        list.append(row);
    }
    list.renumber();
    std::ostringstream text;
    writeListFile(text, list, in.ConsumeBool() ? ListFileKind::Raw : ListFileKind::Filtered, "2026-01-01");
    encodeText(text.str(), page);
    // The list exports: every cell a spreadsheet reads is a number or plain text, never a formula.
    std::ostringstream csv;
    writeListCsv(csv, list);
    require(csv.str().starts_with("\xEF\xBB\xBF"), "the CSV has its byte-order mark");
    for (std::size_t row = 0; row < list.size(); ++row) {
        for (int column = 0; column < candidateColumns; ++column) {
            std::string field;
            appendCsvField(field, exportCell(list, row, column));
            const std::string_view opened = field.starts_with('"') ? std::string_view(field).substr(1) : field;
            require(!readsAsFormula(opened), "no exported cell is a formula", field);
        }
    }

    const std::string any = in.ConsumeRemainingBytesAsString();
    require(encodeText(any, "UTF-8") == any, "UTF-8 passes through");
    encodeText(any, "GBK");
    return 0;
}
