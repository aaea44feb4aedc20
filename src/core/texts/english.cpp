// The English of every text the program shows, keyed by the texts themselves so that a text and its English
// never part. The engineering terms are those of the code the program follows in its English editions:
// characteristic value, basic combination, uniaxial compressive strength, integrity class and index.
#include "core/texts/language.h"

#include "core/capacity/section_types.h"
#include "core/capacity/shaft_check.h"
#include "core/texts/about.h"
#include "core/texts/batch.h"
#include "core/texts/chart.h"
#include "core/texts/export.h"
#include "core/texts/ground.h"
#include "core/texts/input.h"
#include "core/texts/optimisation.h"
#include "core/texts/project.h"
#include "core/texts/report.h"
#include "core/texts/result.h"
#include "core/texts/saving.h"
#include "core/texts/schedule.h"

#include <array>
#include <vector>

namespace saxolith
{

namespace
{

constexpr TextFit prefix = TextFit::Prefix;

// A table of texts and its English, item by item.
template <std::size_t N>
void addEach(std::vector<TextPair> &texts, const std::array<std::string_view, N> &chinese,
             const std::array<std::string_view, N> &english)
{
    for (std::size_t i = 0; i < N; ++i) {
        texts.push_back({chinese[i], english[i]});
    }
}

std::vector<TextPair> aboutAndBatch()
{
    using namespace aboutText;
    using namespace batchText;
    return {
        {caption, "About"},
        {webLabel, "Web: "},
        {mailLabel, "Mail: "},
        {update, "↻"}, // on a button one character wide
        {aboutText::cannotOpen, "Cannot open (no browser or mail program found to open it): ", prefix},
        {version, "Version ", prefix},

        {usage,
         "Usage:\n"
         "  saxolith-batch SCHEDULE.csv [--out FOLDER] [--encoding gbk|utf-8] [--pdf] [--xlsx] [--project "
         "FILE.saxolith]\n"
         "                 [--report pdf|docx] [--project-name NAME] [--concrete C30] [--psic 0.7] [--gamma "
         "1.35]\n"
         "                 [--language en|zh]\n"
         "  saxolith-batch --template [FILE]\n"
         "  saxolith-batch --version\n"
         "\n"
         "Calculates every row of the schedule as the window's Calculate command does and writes the\n"
         "calculation books into the folder (the current folder unless --out names another), and "
         "results.csv;\n"
         "--xlsx also writes results.xlsx, --pdf the text book as PDF,\n"
         "--project the calculated piles as a project file (the window opens it to carry on).\n"
         "--report also writes the calculation report report.pdf or report.docx (with the shaft strength "
         "check:\n"
         "--concrete the concrete grade, --psic the construction coefficient ψc, --gamma the ratio γ of the\n"
         "basic to the characteristic combination).\n"
         "--encoding is the books' encoding, by default the locale's.\n"
         "--language en writes the messages, the results' headers and notes and the report in English;\n"
         "the calculation books stay in Chinese, byte for byte.\n"
         "Exit codes: 0 all done, 1 some rows not calculated, 2 the schedule unreadable or a file not "
         "written.\n"},
        {unknownOption, "Unknown option: ", prefix},
        {missingValue, "Option without a value: ", prefix},
        {unknownEncoding, "The encoding can only be gbk or utf-8: ", prefix},
        {unknownLanguage, "--language can only be en or zh: ", prefix},
        {oneSchedule, "Give one schedule file only"},
        {noSchedule, "No schedule file given"},
        {cannotMakeFolder, "Cannot make the output folder: ", prefix},
        {folderBusy,
         "Another saxolith-batch is writing into this folder: wait for it to end or choose another"},
        {templateExists, "The file exists already; it was not replaced"},
        {noBook, "No pile was calculated: no calculation book written"},
        {unknownReport, "--report can only be pdf or docx: ", prefix},
        {notANumber, "is not a number: ", prefix},
        {batchText::calculating, "Calculating row {} of {}"},
        {writing, "Writing {}"},
        {writingPart, "Writing {} ({}%)"},
        {nothingReplaced, "None of this run's files was written; the files in the folder are as they were"},
        {outOfMemory, "Not enough memory to finish this calculation"},
    };
}

std::vector<TextPair> chartAndExport()
{
    using namespace chartText;
    std::vector<TextPair> texts{
        {windowTitle, "Candidate chart"},
        {menuEntry, "Chart…"},
        {exportImage, "Export image…"},
        {xByDimension, "x: diameter d / side a"},
        {xByArea, "x: section area Ap"},
        {axisDimension, "Diameter d / side a (mm)"},
        {axisArea, "Section area Ap (m²)"},
        {axisRa, "Characteristic vertical bearing capacity Ra (kN)"},
        {envelopeSuffix, " upper envelope"},
        {envelopeStepSuffix, " upper envelope (steps: rocks differ)"},
        {band, "Filter range Ra"},
        {titleFull, "All candidates: ", prefix},
        {titleFiltered, "Filtered candidates: ", prefix},
        {chartText::countSuffix, ""},
        {hoverHint, "Point at a dot for its row; click selects it in the list, double-click takes it back"},
        {imageFilters, "PNG image (*.png);;SVG image (*.svg)"},
        {imageSaved, "Image saved: ", prefix},
        {imageNotSaved, "Image not saved: ", prefix},
        {unknownImageType, "The file name must end in .png or .svg"},
        {imageSizeTitle, "Image size"},
        {sizePreset, "Preset"},
        {sizeOfWindow, "As the window"},
        {a4Width150, "A4 width, 150 dpi"},
        {a4Width300, "A4 width, 300 dpi"},
        {imageWidth, "Width"},
        {imageHeight, "Height"},
        {resolution, "Resolution"},
        {pixelSize, "Pixels"},
        {tooManyPixels, "(out of range: width, height 40–600 mm, 72–300 dpi, at most 3508 pixels a side)"},
        {chartText::integrityIndex, "integrity index ", prefix},
        {separator, ", "},
    };
    using namespace exportText;
    const std::vector<TextPair> exports{
        {bookPageTitle, "Rock-socketed pile calculation book (GB50007-2011)"},
        {saveAs, "Save As…"},
        {exportPdf, "Export PDF…"},
        {exportText::print, "Print…"},
        {exportExcel, "Export Excel…"},
        {exportCsv, "Export CSV…"},
        {saveAsHint, "Save As"},
        {exportPdfHint, "Export PDF"},
        {printHint, "Print"},
        {exportExcelHint, "Export Excel"},
        {exportCsvHint, "Export CSV"},
        {exportCsvKeyNote, ", file name ending in .csv"},
        {textFilter, "Text files (*.txt)"},
        {pdfFilter, "PDF files (*.pdf)"},
        {excelFilter, "Excel workbook (*.xlsx)"},
        {csvFilter, "CSV files (*.csv)"},
        {savedTo, "Saved to: ", prefix},
        {openFolder, "Open folder"},
        {cannotOpenFolder, "Cannot open the folder (no file manager found to open it): ", prefix},
        {printFailed, "Printing failed: the printer could not start"},
        {rawListSheet, "Raw results"},
        {filteredListSheet, "Filtered results"},
        // pageFooter()
        {"第 {} 页 共 {} 页", "Page {} of {}"},
    };
    texts.insert(texts.end(), exports.begin(), exports.end());
    return texts;
}

std::vector<TextPair> inputScreen()
{
    using namespace message;
    using namespace inputText;
    std::vector<TextPair> texts{
        {diameterError, "Error in the pile diameter"},
        {segmentError, "Error in the ellipse's straight segment"},
        {longSideError, "Error in the rectangle's long side"},
        {shortSideError, "Error in the rectangle's short side"},
        {qpaError, "Error in the characteristic value qpa"},
        {frkError, "Error in the uniaxial compressive strength"},
        {indexErrorSuffix, " error in the integrity index"},
        {brokenRockError, "Broken rock masses are not for rock-socketed piles"},
        {psiError, "Error in the reduction coefficient"},
        {overflowError, "The result overflows: check the input"},
        {softRockHint, "Hint: not for soft rock"},
        {fracturedHint, "Hint: not for fairly fractured rock"},
        {manualPsiHint, "Hint: check the reduction coefficient"},
        {softRockSummary, "Hint: not for soft rock"},
        {fracturedSummary, "Hint: not for fairly fractured rock"},
        {softFracturedSummary, "Hint: not for soft or fairly fractured rock"},
        {rockMassJoin, ", rock mass "},
        {runAborted, "Run stopped: the input screen shows where and why"},

        {copyRightHint, "Copyright"},
        {pileGroup, "Pile"},
        {sectionLabel, "Section type"},
        {diameterLabel, "Diameter d (mm)"},
        {segmentLabel, "Straight segment c (mm)"},
        {longSideLabel, "Long side a (mm)"},
        {shortSideLabel, "Short side b (mm)"},
        {rockGroup, "Rock"},
        {qpaRoute, "Characteristic value qpa (kPa)"},
        {frkRoute, "Uniaxial strength frk (MPa)"},
        {psiColumn, "ψr"},
        {automaticPsi, "Interpolated (class or index)"},
        {inputText::manualPsi, "Typed in"},
        {resultGroup, "Results"},
        {psiResult, "Reduction coefficient ψr"},
        {qpaResult, "Characteristic qpa (kPa)"},
        {raResult, "Bearing capacity Ra (kN)"},
        {standard, "Code for design of building foundation (GB50007-2011)"},
        {clause, "Bearing capacity by formula 8.5.6-2"},
        {precisionHint, "Precision"},
        {compute, "Calculate"},
        {view, "Results"},
        {optimiseHint, "Optimise"},
        {exit, "Exit"},
        {intactNote, "Intact rock mass: reduction coefficient 0.5"},
        {fairlyIntactNote, "Fairly intact rock mass: coefficient 0.2–0.5"},
        {fracturedNote, "Fairly fractured rock mass: coefficient 0.1–0.2"},
        // The rock's hardness and integrity classes (core/capacity/formulas.cpp).
        {"极软岩", "extremely soft rock"},
        {"软岩", "soft rock"},
        {"较软岩", "moderately soft rock"},
        {"较硬岩", "moderately hard rock"},
        {"坚硬岩", "hard rock"},
        // The input screen's list of classes is narrow; a chosen class's note says it whole.
        {"完整", "intact"},
        {"较完整", "fairly intact", TextFit::Whole, "fair"},
        {"较破碎", "fairly fractured", TextFit::Whole, "poor"},
        {shaftText::satisfied, "satisfied"},
        {shaftText::notSatisfied, "not satisfied"},
    };
    addEach(texts, precisionItems, {"2 decimals", "1 decimal", "units", "tens", "hundreds"});
    // The section types' names, as a schedule may also name them.
    static constexpr std::array<std::string_view, 4> sections{"round", "ellipse", "rectangle", "square"};
    for (const SectionTypeRow &row : sectionTypes) {
        const std::string_view name = sections[static_cast<std::size_t>(row.optionValue - 1)];
        texts.push_back({row.bookName, name});
        texts.push_back({row.tableName, name});
    }
    return texts;
}

std::vector<TextPair> optimisationScreen()
{
    using namespace optimisationText;
    std::vector<TextPair> texts{
        {title, "Pile optimisation"},
        {listHint, "1. Click header to sort  2. Double-click row"},
        {expand, "More"},
        {fold, "Less"},
        {optimisationText::compute, "Calculate"},
        {filter, "Filter"},
        {optimisationText::save, "Save"},
        {optimisationText::back, "Back"},
    };
    addEach(texts, gridHeaders, {"Option", "Min", "Max", "Step", "Note"});
    static constexpr std::array<std::array<std::string_view, 2>, 14> rows{{
        {"Section type", "round 1/ellipse 2/rectangle 3/square 4"},
        {"Diameter d(mm)", "Range of diameters"},
        {"Segment c(mm)", "Range of straight segments"},
        {"Long side a(mm)", "Range of long sides"},
        {"Short side b(mm)", "Range of short sides"},
        {"Square side a(mm)", "Range of square sides"},
        {"Rock strength", "characteristic value qpa 1/uniaxial compressive strength frk 2"},
        {"Characteristic qpa(kPa)", "Characteristic value qpa, above 0"},
        {"Strength frk(MPa)", "Uniaxial compressive strength frk, above 0"},
        {"Interpolated from", "integrity class 1/integrity index 2"},
        {"Integrity class", "intact 1/fairly intact 2/fairly fractured 3"},
        {"Integrity index", "Range [0.35,1.00)"},
        {"", ""},
        {"Filter Ra(kN)", "0: no limit"},
    }};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        texts.push_back({gridStartTexts[row][0], rows[row][0]});
        texts.push_back({gridStartTexts[row][4], rows[row][1]});
    }
    addEach(texts, listHeaders,
            {"Pile", "Section", "d|a(mm)", "c|b(mm)", "Ra(kN)", "qpa|frk", "Basis", "Integrity", "ψr",
             "qpa(kPa)", "Hardness", "Note"});

    using namespace message;
    const std::vector<TextPair> status{
        {diameterNegative, "The diameter cannot be negative"},
        {segmentNegative, "The straight segment cannot be negative"},
        {longSideNegative, "The long side cannot be negative"},
        {shortSideNegative, "The short side cannot be negative"},
        {squareSideNegative, "The square's side cannot be negative"},
        {qpaNegative, "qpa cannot be negative"},
        {frkNegative, "frk cannot be negative"},
        {indexNegative, "The integrity index cannot be negative"},
        {indexTooSmall, "Integrity index below 0.35: not supported"},
        {indexTooLarge, "The integrity index cannot exceed 1"},
        {tooManyCandidates, "Over 2000000 candidates: larger steps or narrower ranges"},
        {runCompletePrefix, "Calculated, piles: ", prefix},
        {noCandidate, "Adjust the options and calculate again"},
        {message::countSuffix, ""},
        {nothingToSort, "Nothing to sort"},
        {sortColumnsOnly, "Only d and Ra sort"},
        {sortedDAscending, "Sorted by d, ascending"},
        {sortedDDescending, "Sorted by d, descending"},
        {sortedRaAscending, "Sorted by Ra, ascending"},
        {sortedRaDescending, "Sorted by Ra, descending"},
        {filterCompletePrefix, "Filtered, piles: ", prefix},
        {noMatch, "No pile matches: adjust the range"},
    };
    texts.insert(texts.end(), status.begin(), status.end());
    return texts;
}

std::vector<TextPair> projectAndSaving()
{
    using namespace projectText;
    std::vector<TextPair> texts{
        {newProject, "New project"},
        {openProject, "Open project…"},
        {saveProject, "Save project"},
        {saveProjectAs, "Save project as…"},
        {recentProjects, "Recent projects"},
        {noRecentProjects, "(none)"},
        {projectText::fileFilter, "Saxolith projects (*.saxolith)"},
        {untitled, "Untitled project"},
        {projectText::leaveQuestion, "The project has changes not yet saved. Save them?"},
        {recoverQuestion,
         "The last run did not end normally and left unsaved work ({} calculations). Recover it?"},
        {recover, "Recover"},
        {discard, "Discard"},
        {projectText::cannotOpen, "Cannot open the project “{}”: {}"},
        {cannotSave, "Cannot save the project: {}"},
        {projectText::emptyFile, "The file is empty"},
        {projectText::tooLarge, "The file is too large for a project file"},
        {notJson, "Not a project file (not JSON text)"},
        {truncated, "The file is incomplete, cut off at byte {} (it may not have been written to its end)"},
        {corrupt, "The file is damaged: byte {} is not valid JSON"},
        {tooDeep, "The file is damaged: nested too deep"},
        {hugeNumber, "The file is damaged: a number is out of range"},
        {foreignJson, "A JSON file, but not a Saxolith project"},
        {newerVersion,
         "The project file's format version is {}; this program opens versions up to {}: open it "
         "with a newer Saxolith"},
        {badVersion, "The project file's format version “{}” is not valid"},
        {badField, "The file is damaged: “{}” is missing or wrong"},
        {refusedEntry, "Calculation {} ({}) cannot be calculated again: {}"},
        {journalSetAside, "The recovery file “{}” cannot be read ({}); it is set aside as “{}”"},
        {journalNotPlain, "not a plain file"},
        {journalNotOwn, "another user's"},
        {journalUnreadable, "cannot be opened"},
        {repeatedKey, "The file is damaged: “{}” stands twice in one place"},
        {scheduleText::strayMark,
         "A stray character U+FEFF (a byte-order mark): two files may have been joined"},
    };
    using namespace saveText;
    const std::vector<TextPair> saving{
        {permissionRationale, "The program needs permission to save, or results cannot be saved"},
        {noPermission, "No permission to save"},
        {replaceQuestion, "The file “{}” exists and was not saved by this run. Replace it?"},
        {replace, "Replace"},
        {cancel, "Cancel"},
        {saveText::leaveQuestion,
         "The calculation book has changes not yet saved. Save them before leaving?"},
        {saveText::save, "Save"},
        {dontSave, "Don't save"},
    };
    texts.insert(texts.end(), saving.begin(), saving.end());
    using namespace resultText;
    const std::vector<TextPair> result{
        {resultText::title, "Results"}, {pageHint, "Switch book form"},        {resultText::back, "Back"},
        {resultText::save, "Save"},     {deleteHint, "Delete the last entry"}, {fontSizeHint, "Font size"},
    };
    texts.insert(texts.end(), result.begin(), result.end());
    return texts;
}

std::vector<TextPair> report()
{
    using namespace reportText;
    std::vector<TextPair> texts{
        {reportTitle, "Vertical Bearing Capacity of Rock-Socketed Piles"},
        {basisSubtitle, "To the Code for Design of Building Foundation GB50007-2011"},
        {projectName, "Project"},
        {projectNumber, "Project number"},
        {subItem, "Sub-item / building"},
        {designUnit, "Design institute"},
        {designer, "Designed"},
        {checker, "Checked"},
        {reviewer, "Reviewed"},
        {date, "Date"},
        {signature, "Signature"},
        {duty, "Role"},
        {name, "Name"},
        {concreteGrade, "Concrete grade"},
        {psiC, "Construction coefficient ψ_c"},
        {"成桩工艺系数 ψc", "Construction coefficient ψc"}, // the report dialog's label
        {gamma, "Ratio of basic to characteristic combination γ"},
        {fc, "Design axial compressive strength f_c"},
        {pileCount, "Number of piles"},
        {parametersHead, "Parameters"},
        {basisItem, "Basis"},
        {basisCodes, "GB50007-2011 clauses 8.5.6 and 8.5.11; GB50010-2010 table 4.1.4-1"},
        {pileTitlePrefix, "Pile ", prefix},
        {inputsHead, "1  Input"},
        {basisHead, "2  Basis"},
        {capacityHead, "3  Bearing capacity"},
        {shaftHead, "4  Shaft strength check"},
        {conclusionHead, "5  Conclusion"},
        {sectionType, "Section type"},
        {diameter, "Diameter d"},
        {segment, "Straight segment c"},
        {longSide, "Long side a"},
        {shortSide, "Short side b"},
        {qpaGiven, "Characteristic value of the rock at the pile tip q_pa"},
        {frkGiven, "Characteristic saturated uniaxial compressive strength f_rk"},
        {reportText::manualPsi, "Reduction coefficient ψ_r (given)"},
        {integrityClass, "Integrity class"},
        {reportText::integrityIndex, "Integrity index K_v"},
        {hardness, "Rock hardness"},
        {reportText::precision, "Precision of results"},
        {basisRa, "GB50007-2011 clause 8.5.6, formula (8.5.6-2): R_a = q_pa·A_p"},
        {basisQpaGiven, "q_pa is the given characteristic value of the rock at the pile tip"},
        {basisQpa, "GB50007-2011 clause 5.2.6: q_pa = ψ_r·f_rk"},
        {basisPsiManual, "ψ_r given"},
        {basisPsiClass, "ψ_r from the table by integrity class: ", prefix},
        {basisPsiIndex, "ψ_r interpolated linearly between the table's values by the integrity index K_v"},
        {basisPsiIntact, "ψ_r by the integrity index K_v: intact rock mass, the table's value"},
        {basisShaft, "GB50007-2011 clause 8.5.11: Q ≤ ψ_c·f_c·A_p, ψ_c the working condition coefficient; f_c from GB50010-2010 "
         "table 4.1.4-1"},
        {manualNote, " (given)"},
        {givenNote, " (input)"},
        {shaftGoverns, ", governed by the shaft's strength"},
        {conclusionRa, "Characteristic vertical bearing capacity R_a = ", prefix},
        {conclusionShaft, " (governed by the shaft's strength; the rock gives "},
        {conclusionClose, ")"},
        {listSeparator, ", "},
        // The marks the report's lines are joined with.
        {"（", " ("},
        {"）", ")"},
        {"：", ": "},
        {summaryHead, "Bearing capacity summary"},
        {command, "Report…"},
        {commandHint, "Calculation report"},
        {dialogTitle, "Calculation report"},
        {reportText::exportPdf, "Export PDF"},
        {exportWord, "Export Word"},
        {reportText::print, "Print"},
        {close, "Close"},
        {wordFilter, "Word document (*.docx)"},
        {working, "Making the calculation report…"},
        {bilingual, "Chinese with English beneath each heading"},
        {unknownGrade, "The concrete grade can only be C25, C30, C35, C40, C45, C50, C55 or C60: ", prefix},
        {psiCRange, "ψc must be between 0.6 and 0.8: ", prefix},
        {gammaRange, "γ must be a number between 1 and 2: ", prefix},
    };
    addEach(texts, inputColumns, {"Item", "Value", "Unit"});
    addEach(texts, summaryColumns,
            {"Pile", "Section", "Size (mm)", "ψ_r", "q_pa(kPa)", "R_a(kN)", "R_p/γ(kN)", "Adopted (kN)",
             "Shaft", "hint"});
    return texts;
}

std::vector<TextPair> schedule()
{
    using namespace scheduleText;
    std::vector<TextPair> texts{
        {linePrefix, "Line {}: "},
        {linePilePrefix, "Line {} ({}): "},
        {scheduleText::emptyFile, "The schedule is empty"},
        {noRows, "The schedule has its header row only, no piles"},
        {binaryFile, "Not a text file (it holds binary bytes)"},
        {scheduleText::tooLarge, "The file is too large for a schedule"},
        {isFolder, "A folder, not a schedule file"},
        {cannotRead, "Cannot read: ", prefix},
        {wideEncoding, "UTF-32 files cannot be read: save it as UTF-8, UTF-16 or GBK"},
        {utf16HalfCharacter,
         "Half a character in the UTF-16 text (an unpaired surrogate): the file may be damaged"},
        {utf16OddBytes, "The UTF-16 text has an odd number of bytes: the file is incomplete"},
        {notText, "Text in neither UTF-8 nor GBK"},
        {mixedEncoding,
         "Not UTF-8 (line {} is UTF-8): one file mixes UTF-8 and GBK; save it whole in one encoding"},
        {longId, "Column {} ({}): the id has {} characters, at most {}"},
        {unknownColumn,
         "Unknown column name “{}”; the names known: id, section, d, c, qpa, frk, integrity, psi, "
         "precision, or their Chinese names"},
        {repeatedColumn, "Column “{}” appears twice"},
        {unnamedColumn, "Column {} has cells but no name in the header row"},
        {cellCount, "{} cells, where the header row has {}"},
        {openQuote, "A quotation mark is not closed"},
        {afterQuote, "Only a comma or the line's end may follow a closing quotation mark"},
        {notWorkbook, "Not a readable Excel workbook (.xlsx): {}"},
        {notZip, "Its zip structure is damaged"},
        {workbookPartMissing, "“{}” is missing"},
        {workbookPartBroken, "“{}” is damaged"},
        {workbookPartTooLarge, "“{}” is too large unpacked"},
        {workbookTooLarge, "The sheet is too large for a schedule"},
        {oldWorkbook, "Old Excel workbooks (.xls) cannot be read: save it as .xlsx or CSV"},
        {bothStrengths, "qpa and frk both given: give only one of them"},
        {unknownSection, "Section type “{}” must be round, ellipse, rectangle or square"},
        {unknownPrecision, "Precision “{}” must be 2 decimals, 1 decimal, units, tens or hundreds"},
        {idControl, "The id holds a line break or a control character"},
        {missingCell, "{} missing"},
        {missingEither, "{} or {} missing"},
        {repeatedId, "Repeated id (line {} has it already)"},
        {noteSeparator, "; "},
        {idNotInCodePage, "“{}” of the id cannot be written in a {} calculation book: written as ?"},
        {idColumn, "Pile"},
        {endColumn, "Results"},
        {noteColumn, "Note"},
        {shaftColumn, "Shaft"},
        {scheduleText::shaftGoverns, "shaft governs: Ra taken as Rp/γ = {} kN"},
        {completed, "done"},
        {completedWithHint, "hint"},
        {refused, "error"},
        {sheetName, "Results"},
        {workbookNestedTooDeep, "Elements in “{}” nest deeper than {} levels"},
        {workbookCellTooLong, "The text of cell {} is longer than {} characters"},
        {tooManyForSheet, "{} piles exceed the {} rows of an Excel sheet"},
        {importAction, "Import schedule…"},
        {openCaption, "Import schedule"},
        {scheduleText::fileFilter, "Pile schedules (*.csv *.txt *.xlsx);;All files (*)"},
        {scheduleText::cannotOpen, "Cannot read {}: {}"},
        {summary, "{} calculated{}, {} not calculated"},
        {summaryMore, "…… and {} more rows not calculated"},
        {scheduleText::calculating, "Calculating the schedule…"},
        {tooManyForWindow,
         "The schedule has {} piles; the window imports at most {}: for longer schedules use the "
         "command-line program saxolith-batch"},
    };
    addEach(texts, chineseResultColumns,
            {"Calculated ψr", "Calculated qpa(kPa)", "Ra(kN)", "Results", "Note", "fc(MPa)", "ψc", "Rp(kN)",
             "Shaft"});
    return texts;
}

std::vector<TextPair> ground()
{
    using namespace groundText;
    return {
        {clause8562, "GB50007-2011 clause 8.5.6, formula (8.5.6-2)"},
        {clause8561, "GB50007-2011 clause 8.5.6, formula (8.5.6-1)"},
        {clause539, "JGJ 94-2008 clause 5.3.9"},
        {slurry, "slurry"},
        {dry, "dry"},
        {grouted, "grouted"},
        {groundText::emptyFile, "The boreholes file is empty"},
        {groundText::noRows, "The boreholes file has its header row only, no layers"},
        {groundText::unknownColumn,
         "Unknown column name “{}”; the names known: hole, collar, layer, name, bottom, "
         "qsia, qsik, qpa, frk, integrity, or their Chinese names"},
        {missingColumn, "The boreholes file has no column {}"},
        {notNumber, "{} “{}” is not a number"},
        {negative, "{} “{}” cannot be negative"},
        {notPositive, "{} “{}” must be above 0"},
        {noCollar, "The first row of hole {} has no {}"},
        {collarDiffers, "Collar level {} m: hole {}'s first row (line {}) gives {} m"},
        {depthNotIncreasing, "Bottom depth {} m is not below hole {}'s layer above (line {}), at {} m"},
        {repeatedLayer, "Hole {} has layer {} already (line {})"},
        {badIntegrity,
         "Integrity “{}” must be intact, fairly intact, fairly fractured or an integrity index"},
        {missingHole, "Hole {} is not in the boreholes file"},
        {missingLayer, "Hole {} has no bearing layer {}"},
        {topAboveCollar, "Pile top level {} m is above the collar of hole {} at {} m"},
        {topInBearing, "Pile top level {} m is not above the top of bearing layer {} (level {} m)"},
        {negativeSocket, "Socket depth {} m cannot be negative"},
        {socketPastHole,
         "Socket depth {} m goes past hole {}: bearing layer {} tops at {} m, the hole ends at {} m"},
        {socketPastLayer,
         "Socket depth {} m goes past bearing layer {}: the layer is {} m thick, the tip must be "
         "in it"},
        {noFrk,
         "Bearing layer {} has no frk: 5.3.9 needs the rock's saturated uniaxial compressive strength"},
    };
}

// Texts of the report's premises and signatures, the ground's columns and refusals, and the design search.
std::vector<TextPair> laterTexts()
{
    return {
        {"无法写入文件“{}”：{}", "Cannot write the file \"{}\": {}"},
        {"无法建立文件“{}”：{}", "Cannot create the file \"{}\": {}"},
        {"无法读取文件“{}”：{}", "Cannot read the file \"{}\": {}"},
        {"无法建立文件夹“{}”：{}", "Cannot create the folder \"{}\": {}"},
        {"无法打开文件夹“{}”：{}", "Cannot open the folder \"{}\": {}"},
        {"无法锁定文件夹“{}”：{}", "Cannot lock the folder \"{}\": {}"},
        {"权限不足", "permission denied"},
        {"文件只读", "the file is read-only"},
        {"磁盘只读", "the disk is read-only"},
        {"磁盘已满", "the disk is full"},
        {"磁盘配额已用完", "the disk quota is used up"},
        {"文件不存在", "the file does not exist"},
        {"文件夹不存在", "the folder does not exist"},
        {"这是文件夹，不是文件", "it is a folder, not a file"},
        {"路径中有一段不是文件夹", "a part of the path is not a folder"},
        {"已有同名的文件", "a file of that name exists"},
        {"文件正被其他程序使用", "the file is in use by another program"},
        {"文件名或路径太长", "the file name or path is too long"},
        {"文件名不合规定", "the file name is not allowed"},
        {"符号链接太多（可能首尾相连）", "too many symbolic links (perhaps a loop)"},
        {"同时打开的文件太多", "too many files open"},
        {"文件太大", "the file is too large"},
        {"磁盘读写出错", "a disk input/output error"},
        {"内存不足", "not enough memory"},
        {"不能移到另一个磁盘上", "cannot move to another disk"},
        {"没有写完", "not written completely"},
        {"磁盘或网络位置不可用", "the disk or network location is not available"},
        {"系统错误（代码 {}）", "system error (code {})"},
        {"无法建立或读取临时文件（临时文件夹可能已满或不能写入）",
         "cannot create or read a temporary file (the temporary folder may be full or not writable)"},
        {"压缩工作簿时出错", "an error while packing the workbook"},
        {"工作簿写出出错（代码 {}）", "the workbook could not be written (code {})"},
        {"桩径“{}”应为大于 0 的数（mm）", "Size \"{}\" must be a number above 0 (mm)"},
        {"桩径范围“{}”的终值小于起值", "Size range \"{}\" ends below its start"},
        {"桩径“{}”超过 {} 种", "Sizes \"{}\" are more than {}"},
        {"审定", "Approved"},
        {"专业负责人", "Discipline lead"},
        {"设计阶段", "Design stage"},
        {"计算书编号", "Calculation no."},
        {"施工图", "Construction drawings"},
        {"初步设计", "Preliminary design"},
        {"方案", "Scheme design"},
        {"注册工程师执业印章", "Registered engineer's seal"},
        {"计算程序", "Program"},
        {" 版本 ", " version "},
        {"桩型与成桩工艺", "Pile type and construction"},
        {"灌注桩", "Cast-in-place pile"},
        {"水下灌注桩", "Cast-in-place pile under water"},
        {"干作业灌注桩", "Cast-in-place pile, dry hole"},
        {"（GB50007-2011 第 8.5.11 条：灌注桩取 0.6～0.8，水下灌注桩、长桩取低值）",
         " (GB50007-2011 8.5.11: 0.6 to 0.8 for cast-in-place piles, the lower value under water and for long "
         "piles)"},
        {"计算前提（请设计人确认）", "Premises (to be confirmed by the designer)"},
        {"1. 按 GB50007-2011 公式 (8.5.6-2) R_a = q_pa·A_p 只计桩端阻力，其适用条件为：桩端嵌入完整或较完整的硬质岩中，"
         "桩长较短且入岩较浅；",
         "1. GB50007-2011 formula (8.5.6-2), R_a = q_pa·A_p, counts the end resistance alone; it applies where the "
         "toe is socketed in intact or fairly intact hard rock, the pile is short and the socket shallow;"},
        {"2. 桩底无沉渣；", "2. no sediment at the toe;"},
        {"3. 桩端以下三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布；",
         "3. no weak interlayer, fracture zone or cavity within three diameters, and at least 5 m, below the toe;"},
        {"4. q_pa 为输入值时，取岩基载荷试验或地质勘察报告的桩端岩石承载力特征值；由 f_rk 计算时按 GB50007-2011 "
         "第 5.2.6 条 q_pa = ψ_r·f_rk，ψ_r 按岩体完整程度取值：完整取 0.5，较完整取 0.2～0.5 区间的下限 0.2，"
         "较破碎取 0.1～0.2 区间的下限 0.1；",
         "4. a given q_pa is the characteristic value of the rock at the toe from plate load tests or the site "
         "investigation report; from f_rk, q_pa = ψ_r·f_rk by GB50007-2011 5.2.6, ψ_r by the integrity class: "
         "0.5 intact, the lower end 0.2 of 0.2 to 0.5 fairly intact, the lower end 0.1 of 0.1 to 0.2 fairly "
         "broken;"},
        {"5. 按岩体完整性指数 K_v 取 ψ_r 时，在上述表列值之间线性插值，为本程序的取值方法，规范未作规定；",
         "5. from the integrity index K_v, ψ_r is interpolated linearly between the values above: this program's "
         "own method, which the code does not give;"},
        {"6. 桩身强度按 GB50007-2011 第 8.5.11 条验算，工作条件系数 ψ_c 依桩型与成桩工艺取值，γ 为作用的基本组合与"
         "标准组合之比。",
         "6. the shaft is checked by GB50007-2011 8.5.11, the working condition coefficient ψ_c taken by the pile "
         "type and construction, γ the ratio of the basic combination to the characteristic combination."},
        {"，ψ_r 取 {} 区间的下限", ", ψ_r the lower end of {}"},
        {"ψ_r 按岩体完整程度查表：{}，ψ_r 取 {} 区间的下限",
         "ψ_r from the table by integrity class: {}, ψ_r the lower end of {}"},
        {"提示：", "Hint: "},
        {"0.2～0.5", "0.2 to 0.5"},
        {"0.1～0.2", "0.1 to 0.2"},
        {"桩号重复（第 {} 根桩已有）", "Repeated id (pile {} has it already)"},
        {"计算结果统计", "Outcomes"},
        {"错误（未计算）", "Error (not calculated)"},
        {"合计", "Total"},
        {"未计算的桩", "Piles not calculated"},
        {"桩表行号", "Schedule line"},
        {"未计算的原因", "Reason"},
        {"方法“{}”应为 8.5.6-2、8.5.6-1 或 5.3.9", "Method \"{}\" must be 8.5.6-2, 8.5.6-1 or 5.3.9"},
        {"成桩工艺“{}”应为 泥浆护壁、干作业 或 后注浆",
         "Piling process \"{}\" must be slurry, dry or grouted"},
        {"没有导入钻孔表，找不到钻孔 {}", "No boreholes file was read: hole {} cannot be found"},
        {"方法", "method"},
        {"钻孔", "hole"},
        {"桩长(m)", "length(m)"},
        {"侧阻(kN)", "side(kN)"},
        {"端阻(kN)", "end(kN)"},
        {"GB50007-2011 第 8.5.6 条，公式 (8.5.6-1)：R_a = q_pa·A_p + u_p·Σq_sia·l_i（嵌岩段计入持力层的 q_sia）",
         "GB50007-2011 8.5.6, formula (8.5.6-1): R_a = q_pa·A_p + u_p·Σq_sia·l_i (the socket with the bearing "
         "layer's q_sia)"},
        {"JGJ 94-2008 第 5.3.9 条：Q_uk = Q_sk + Q_rk，Q_sk = u·Σq_sik·l_i，Q_rk = ζ_r·f_rk·A_p；R_a = Q_uk / K，K = 2",
         "JGJ 94-2008 5.3.9: Q_uk = Q_sk + Q_rk, Q_sk = u·Σq_sik·l_i, Q_rk = ζ_r·f_rk·A_p; R_a = Q_uk / K, K = 2"},
        {"适用条件（请设计人确认）：桩端以下三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布",
         "Conditions (to be confirmed by the designer): no weak interlayer, fracture zone or cavity within three "
         "diameters, and at least 5 m, below the toe"},
        {"适用条件（请设计人确认）：桩端置于完整或较完整的基岩中",
         "Conditions (to be confirmed by the designer): the toe on intact or fairly intact rock"},
        {"（d 取与截面面积相等的圆的直径）", " (d the diameter of the circle of the same area)"},
        {"表 5.3.9 极软岩、软岩：", "Table 5.3.9, extremely soft and soft rock: "},
        {"表 5.3.9 较硬岩、坚硬岩：", "Table 5.3.9, fairly hard and hard rock: "},
        {"f_rk 介于 15 与 30 MPa 之间，按 f_rk 内插：", "f_rk between 15 and 30 MPa, interpolated by f_rk: "},
        {"：ζ_r 乘以 1.2", ": ζ_r times 1.2"},
        {"（其中提示 {} 根）", " ({} with a hint)"},
        {"（其中提示 {} 根，含桩号重复 {} 根）", " ({} with a hint, {} of them a repeated id)"},
        {"无法读取报告设置文件 {}：{}", "Cannot read the report settings file {}: {}"},
        {"钻孔表 {}：{}", "Boreholes file {}: {}"},
        {"岩土", "ground"},
        {"桩身", "shaft"},
        {"持力层 {} 厚 {} m，容不下最小入岩深度 {} m",
         "Bearing layer {} is {} m thick, too thin for the least socket of {} m"},
        {"Nk = {} kN 大于可达的最大 Ra = {} kN", "Nk = {} kN exceeds the largest Ra reached, {} kN"},
        {"Nkmax = {} kN 大于 1.2 × 最大 Ra = {} kN", "Nkmax = {} kN exceeds 1.2 × the largest Ra, {} kN"},
        {"N = {} kN 大于可达的最大 Rp = {} kN", "N = {} kN exceeds the largest Rp reached, {} kN"},
        {"没有一种桩径同时满足岩土与桩身的要求", "No size meets both the ground and the shaft"},
        {"（所给桩径与入岩深度中最大 Ra = {} kN，最大 Rp/γ = {} kN）",
         " (of the sizes and sockets given, the largest Ra is {} kN and the largest Rp/γ {} kN)"},
        {"无桩能承受此荷载：", "No pile carries this load: ", prefix},
        {"持力层 {} 没有 {}，{} 要用它", "Bearing layer {} has no {}, which {} needs"},
    };
}

std::vector<TextPair> allTexts()
{
    std::vector<TextPair> texts;
    for (auto part : {aboutAndBatch(), chartAndExport(), inputScreen(), optimisationScreen(),
                      projectAndSaving(), report(), schedule(), ground(), laterTexts()}) {
        texts.insert(texts.end(), part.begin(), part.end());
    }
    // The language setting names itself in both languages, so that a user who cannot read the window finds
    // it.
    texts.push_back({languageText::setting, languageText::setting});
    texts.push_back({languageText::chinese, languageText::chinese});
    return texts;
}

} // namespace

std::span<const TextPair> englishTexts()
{
    static const std::vector<TextPair> texts = allTexts();
    return texts;
}

} // namespace saxolith
