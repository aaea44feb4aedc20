#include "core/book/calculation_book.h"

#include "core/ground/ground_pile.h"

#include "core/save/text_file.h"
#include "core/text/fixed_width.h"
#include "core/text/number_text.h"
#include "core/text/text_buffer.h"

#include <algorithm>
#include <array>

namespace saxolith
{

namespace
{

constexpr std::string_view dash = "-";

struct DimensionLabel {
    std::string_view first;  // d or a
    std::string_view second; // c or b; empty for a round pile
};

// What the book writes for a section beyond its names and dimension columns.
struct SectionLayout {
    DimensionLabel labels;
    std::string_view summaryHeadTop;
    std::string_view summaryHeadBottom;
};

constexpr std::string_view dLabel = "      桩身直径d:                   ";
constexpr std::string_view cLabel = "      椭圆直段长度c:               ";
constexpr std::string_view aLabel = "      矩形长边尺寸a:               ";
constexpr std::string_view bLabel = "      矩形短边尺寸b:               ";
constexpr std::string_view roundHeadTop = "      基    桩  桩身截面  桩身直径  椭圆直段 ";
constexpr std::string_view roundHeadBottom = "      编    号  类    型    d(mm)     c(mm)  ";
constexpr std::string_view rectHeadTop = "      基    桩  桩身截面  矩形长边  矩形短边 ";
constexpr std::string_view rectHeadBottom = "      编    号  类    型    a(mm)     b(mm)  ";
// The section type line: among the inputs a square reads as the rectangle it was entered as.
constexpr std::string_view inputTypeLabel = "      桩身截面类型:";
constexpr std::string_view resultTypeLabel = "  4.1 桩身截面类型:";
constexpr int typeLineWidth = 45;

SectionLayout sectionLayout(const SectionTypeRow &row)
{
    if (row.sides) {
        return {{aLabel, bLabel}, rectHeadTop, rectHeadBottom};
    }
    return {{dLabel, row.hasSecond ? cLabel : std::string_view{}}, roundHeadTop, roundHeadBottom};
}

// Widths of the qpa and Ra columns of the table row, by precision choice.
struct PrecisionColumns {
    int qpaWidth;
    int qpaGap;
    int raPrecision;
    int raWidth;
    int raGap;
};

constexpr std::array<PrecisionColumns, precisionChoiceCount> precisionColumns{{
    {8, 2, 10, 8, 1},
    {8, 2, 10, 8, 1},
    {7, 3, 10, 7, 2},
    {7, 3, 7, 7, 2},
    {7, 3, 7, 7, 2},
}};

// A choice outside the list reads as "两位小数", so the book never loses a value.
int knownChoice(int choice)
{
    return choice >= 0 && choice < precisionChoiceCount ? choice : 0;
}

// Automatic ψr from a class name chosen in the list: the basis line and the class line.
struct ClassLines {
    std::string_view name;
    std::string_view classLine;
};
constexpr std::string_view classBasisLine = "      根据经验系数自动插值依据:  岩体完整程度";
constexpr std::array<ClassLines, 3> classLines{{
    {"完整", "      岩体完整程度:                      完整"},
    {"较完整", "      岩体完整程度:                    较完整"},
    {"较破碎", "      岩体完整程度:                    较破碎"},
}};
constexpr std::string_view indexBasisLine = "      根据经验系数自动插值依据:岩体完整性指数";
constexpr std::string_view indexLabel = "      岩体完整性指数:              ";
constexpr std::string_view automaticPsiLine = "      换算成承载力特征值的折减系数:  自动插值";
constexpr std::string_view manualPsiLine = "      换算成承载力特征值的折减系数:  人工指定";
constexpr std::string_view manualPsiLabel = "      人工指定的折减系数ψr:       ";
constexpr std::string_view qpaInputLabel = "      桩端岩石承载力特征值qpa:     ";
constexpr std::string_view frkInputLabel = "      岩石单轴抗压强度标准值frk:   ";

constexpr std::string_view entryTitle = "================== 嵌岩桩计算书 ==================";
constexpr std::string_view pileNumberLabel = "1.基桩编号: ";
constexpr std::array<std::string_view, 2> inputHead{"2.输入数据", "  2.1 基桩参数"};
constexpr std::string_view rockHead = "  2.2 基岩参数";
constexpr std::array<std::string_view, 6> standardLines{
    "3.采用规范及公式",
    "  3.1 采用规范: 《建筑地基基础设计规范》",
    "                    (GB50007-2011)",
    "  3.2 规范公式:  Ra=qpa.Ap          (8.5.6-2)",
    "                 fa=ψr.frk           (5.2.6)",
    "4.承载力计算",
};
constexpr std::string_view areaLabel = "      桩身截面面积Ap:              ";
constexpr std::string_view perimeterLabel = "      桩身截面周长μ:              ";
constexpr std::string_view frkResultLabel = "  4.2 岩石单轴抗压强度标准值frk:   ";
constexpr std::string_view hardnessLabel = "      岩石坚硬程度:              ";
constexpr std::string_view integrityLabel = "      岩体完整程度:              ";
constexpr std::string_view psiLabel = "      折减系数ψr:                 ";
constexpr std::string_view qpaResultLabel = "  4.2 桩端岩石承载力特征值qpa:     ";
constexpr std::string_view raResultLabel = "  4.3 单桩竖向承载力特征值Ra:      ";
constexpr std::string_view summaryHead = "5.基桩主要数据汇总";
constexpr std::string_view summaryRule = "      ---------------------------------------";
constexpr std::array<std::string_view, 2> summaryRockHead{
    "      岩石强度  折减系数  桩端阻力  桩承载力 ",
    "      frk(MPa)    ψr     qpa(kPa)   Ra(kN)  ",
};
constexpr std::string_view mmUnit = " mm";
constexpr std::string_view kpaUnit = " kPa";
constexpr std::string_view mpaUnit = " MPa";
constexpr std::string_view areaUnit = " m^2";
constexpr std::string_view metreUnit = " m";
constexpr std::string_view knUnit = " kN";

constexpr std::string_view tableTitle = " 嵌岩桩计算书 ";
constexpr std::array<std::string_view, 2> tableHeadCells{
    " 基    桩  桩身截面  桩身直径  椭圆直段  矩形长边  矩形短边  桩身面积  岩石强度  折减系数  桩端阻力  "
    "桩承载力 ",
    " 编    号  类    型    d(mm)     c(mm)     a(mm)     b(mm)    Ap(m^2)  frk(MPa)    ψr     qpa(kPa)    "
    "Ra(kN) ",
};

std::string pileNumber(int number)
{
    return std::string(book::pileNumberPrefix) + std::to_string(number);
}

std::string_view dimensionText(const PileRecord &record, DimensionSlot which)
{
    return which == DimensionSlot::First ? std::string_view(record.first) : std::string_view(record.second);
}

// A number as formatFixed writes it.
struct Fixed {
    double value;
    int precision;
    int decimals;
};

// Book lines written one after another into one buffer, each ended as the saved files end it: the
// one layout of both books, written straight into a file's buffer as a run goes, or cut into the
// window's lines at the ends noted. With an encoder, the texts go in its code page straight (ASCII,
// and so blanks, numbers and line ends, as they are); `written()` is false once one could not.
class BookLines
{
  public:
    explicit BookLines(TextBuffer &out, std::vector<std::size_t> *ends = nullptr, Encoder *codePage = nullptr)
        : m_out(out), m_ends(ends), m_codePage(codePage)
    {
    }

    // Any text.
    void text(std::string_view text)
    {
        if (m_codePage == nullptr) {
            m_out.append(text);
        } else if (!m_codePage->appendWhole(text, m_out)) {
            m_written = false;
        }
    }
    // A text of the program's own, which stays where it is.
    void constant(std::string_view text)
    {
        if (m_codePage == nullptr) {
            m_out.append(text);
        } else if (!m_codePage->appendConstant(text, m_out)) {
            m_written = false;
        }
    }
    void blanks(int count) { m_out.fill(' ', count); }
    void endLine()
    {
        m_out.append(lineEnd);
        if (m_ends != nullptr) {
            m_ends->push_back(m_out.size());
        }
    }
    // A line of the program's own.
    void line(std::string_view text)
    {
        constant(text);
        endLine();
    }
    template <std::size_t N> void lines(const std::array<std::string_view, N> &texts)
    {
        for (const std::string_view text : texts) {
            line(text);
        }
    }

    void padLeft(std::string_view text, int width)
    {
        blanks(width - displayWidth(text));
        this->text(text);
    }
    void padRight(std::string_view text, int width)
    {
        this->text(text);
        blanks(width - displayWidth(text));
    }
    // The odd column goes to the left.
    void padCentre(std::string_view text, int width)
    {
        const int room = width - displayWidth(text);
        blanks(room - room / 2);
        this->text(text);
        blanks(room / 2);
    }
    // Number texts are ASCII: as wide as they are long.
    void padLeft(Fixed number, int width)
    {
        const std::string_view text = numberText(number);
        blanks(width - static_cast<int>(text.size()));
        m_out.append(text);
    }
    void padCentre(Fixed number, int width)
    {
        const std::string_view text = numberText(number);
        const int room = width - static_cast<int>(text.size());
        blanks(room - room / 2);
        m_out.append(text);
        blanks(room / 2);
    }

    bool written() const { return m_written; }

  private:
    std::string_view numberText(Fixed number)
    {
        return {m_number.data(), writeFixed(m_number.data(), number.value, number.precision, number.decimals)};
    }

    TextBuffer &m_out;
    std::vector<std::size_t> *m_ends;
    Encoder *m_codePage;
    bool m_written = true;
    std::array<char, numberTextRoom> m_number{};
};

// A value column of the table: the text right-aligned in six columns, or a centred dash.
void tableDimension(BookLines &out, const PileRecord &record, DimensionSlot which)
{
    if (which == DimensionSlot::None) {
        out.padCentre(dash, 8);
        out.blanks(2);
        return;
    }
    out.padLeft(dimensionText(record, which), 6);
    out.blanks(4);
}

void dashColumn(BookLines &out)
{
    out.padCentre(dash, 8);
    out.blanks(2);
}

enum class Align { Right, Centre };

// A 5.3.9 pile takes neither ψr nor qpa: their columns hold dashes.
bool socketMethod(const PileRecord &record)
{
    return record.ground && record.ground->method == CapacityMethod::SocketJgj94;
}

// frk and ψr, each in a column of ten, or two dashes on the qpa route: centred in eight columns (the
// summary) or right-aligned in seven (the table row).
void strengthColumns(BookLines &out, const PileRecord &record, Align align)
{
    if (socketMethod(record)) {
        // The rock's frk, whichever way it came; no ψr.
        const Fixed frk{record.ground->frk, 6, 2};
        if (align == Align::Centre) {
            out.padCentre(frk, 8);
            out.blanks(2);
        } else {
            out.padLeft(frk, 7);
            out.blanks(3);
        }
        dashColumn(out);
        return;
    }
    if (record.route != StrengthRoute::FrkGiven) {
        dashColumn(out);
        dashColumn(out);
        return;
    }
    for (const Fixed value : {Fixed{record.frk, 6, 2}, Fixed{record.psi, 6, 4}}) {
        if (align == Align::Centre) {
            out.padCentre(value, 8);
            out.blanks(2);
        } else {
            out.padLeft(value, 7);
            out.blanks(3);
        }
    }
}

template <typename Value> void valueLine(BookLines &out, std::string_view label, Value value, std::string_view unit = {})
{
    out.constant(label);
    out.padLeft(value, 10);
    out.line(unit);
}

// The label and the section's name are the program's own: measured once each, not for every entry of a
// long book.
void typeLine(BookLines &out, std::string_view label, int labelWidth, SectionType type)
{
    static const std::array<int, 4> nameWidths = [] {
        std::array<int, 4> widths{};
        for (std::size_t i = 0; i < widths.size(); ++i) {
            widths[i] = displayWidth(sectionBookName(static_cast<SectionType>(i)));
        }
        return widths;
    }();
    out.constant(label);
    out.blanks(typeLineWidth - labelWidth - nameWidths.at(static_cast<std::size_t>(type)));
    out.text(sectionBookName(type));
    out.endLine();
}

void dimensionLines(BookLines &out, const PileRecord &record, const SectionLayout &layout)
{
    valueLine(out, layout.labels.first, std::string_view(record.first), mmUnit);
    if (!layout.labels.second.empty()) {
        valueLine(out, layout.labels.second, std::string_view(record.second), mmUnit);
    }
}

void rockInputs(BookLines &out, const PileRecord &record)
{
    if (record.route == StrengthRoute::QpaGiven) {
        valueLine(out, qpaInputLabel, std::string_view(record.qpaText), kpaUnit);
        return;
    }
    valueLine(out, frkInputLabel, std::string_view(record.frkText), mpaUnit);
    if (record.psiMode == PsiMode::Manual) {
        out.line(manualPsiLine);
        valueLine(out, manualPsiLabel, std::string_view(record.manualPsiText));
        return;
    }
    out.line(automaticPsiLine);
    for (const ClassLines &cls : classLines) {
        if (record.integrityText == cls.name) {
            out.line(classBasisLine);
            out.line(cls.classLine);
            return;
        }
    }
    out.line(indexBasisLine);
    valueLine(out, indexLabel, std::string_view(record.integrityText));
}

void rockResults(BookLines &out, const PileRecord &record)
{
    const Fixed qpa{record.qpa, 10, 2};
    if (record.route == StrengthRoute::QpaGiven) {
        valueLine(out, qpaResultLabel, qpa, kpaUnit);
        return;
    }
    valueLine(out, frkResultLabel, Fixed{record.frk, 6, 2}, mpaUnit);
    out.constant(hardnessLabel);
    out.padLeft(record.hardness, 12);
    out.endLine();
    out.constant(integrityLabel);
    out.padLeft(record.integrityClass, 12);
    out.endLine();
    valueLine(out, psiLabel, Fixed{record.psi, 6, 4});
    valueLine(out, qpaInputLabel, qpa, kpaUnit);
}

// qpa or Ra as the precision choice shows it in the summary.
Fixed summaryValue(double value, int choice)
{
    return {cutByChoice(value, choice), 10, decimalsByChoice(choice)};
}

void summary(BookLines &out, const PileRecord &record, std::string_view pileName, const SectionLayout &layout)
{
    const std::string_view second =
        sectionRow(record.section).hasSecond ? dimensionText(record, DimensionSlot::Second) : dash;
    const int choice = knownChoice(record.precision);

    out.line(summaryRule);
    out.line(layout.summaryHeadTop);
    out.line(layout.summaryHeadBottom);
    out.line(summaryRule);
    out.blanks(8);
    out.padRight(pileName, 6);
    out.blanks(2);
    out.padCentre(sectionTableName(record.section), 8);
    out.blanks(2);
    out.padCentre(record.first, 8);
    out.blanks(2);
    out.padCentre(second, 8);
    out.blanks(1);
    out.endLine();
    out.line(summaryRule);
    out.lines(summaryRockHead);
    out.line(summaryRule);

    out.blanks(6);
    strengthColumns(out, record, Align::Centre);
    if (socketMethod(record)) {
        dashColumn(out);
    } else {
        out.padCentre(summaryValue(record.qpa, choice), 8);
        out.blanks(2);
    }
    out.padCentre(summaryValue(record.ra, choice), 8);
    out.blanks(1);
    out.endLine();
    out.line(summaryRule);
}

// An entry of a pile of another method: its ground and its method's lines in the book's own layout.
constexpr std::string_view groundHead = "  2.3 土层与嵌岩";
constexpr std::string_view methodLabel = "      计算方法:                    ";
constexpr std::string_view holeLabel = "      钻孔编号:                    ";
constexpr std::string_view topLabel = "      桩顶标高:                    ";
constexpr std::string_view processLabel = "      成桩工艺:                    ";
constexpr std::string_view layerHeadSide = "      层号    岩土名称          li(m)  qsia(kPa)";
constexpr std::string_view layerHeadUltimate = "      层号    岩土名称          li(m)  qsik(kPa)";
constexpr std::string_view bearingLabel = "      持力层:                      ";
constexpr std::string_view socketLabel = "      入岩深度hr:                  ";
constexpr std::array<std::string_view, 5> sideStandardLines{
    "3.采用规范及公式",
    "  3.1 采用规范: 《建筑地基基础设计规范》",
    "                    (GB50007-2011)",
    "  3.2 规范公式:  Ra=qpa.Ap+up.Σqsia.li  (8.5.6-1)",
    "                 fa=ψr.frk           (5.2.6)",
};
constexpr std::array<std::string_view, 7> socketStandardLines{
    "3.采用规范及公式",
    "  3.1 采用规范: 《建筑桩基技术规范》",
    "                    (JGJ 94-2008)",
    "  3.2 规范公式:  Quk=Qsk+Qrk         (5.3.9-1)",
    "                 Qsk=u.Σqsik.li      (5.3.9-2)",
    "                 Qrk=ζr.frk.Ap       (5.3.9-3)",
    "                 Ra=Quk/K            (5.2.2)",
};
constexpr std::string_view calculationHead = "4.承载力计算";
constexpr std::string_view lengthLabel = "      桩长l:                       ";
constexpr std::string_view sideSumLabel = "      Σqsia.li:                    ";
constexpr std::string_view ultimateSumLabel = "      Σqsik.li:                    ";
constexpr std::string_view endPartLabel = "      桩端阻力qpa.Ap:              ";
constexpr std::string_view sidePartLabel = "      桩侧阻力up.Σqsia.li:         ";
constexpr std::string_view ratioLabel = "      嵌岩深径比hr/d:              ";
constexpr std::string_view zetaLabel = "      嵌岩段侧阻和端阻综合系数ζr:  ";
constexpr std::string_view qskLabel = "      土的总极限侧阻力Qsk:         ";
constexpr std::string_view qrkLabel = "      嵌岩段总极限阻力Qrk:         ";
constexpr std::string_view qukLabel = "      单桩竖向极限承载力Quk:       ";
constexpr std::string_view safetyLabel = "      安全系数K:                   ";
constexpr std::string_view lineUnit = " kN/m";

void groundInputs(BookLines &out, const GroundPile &pile)
{
    const bool side = pile.method == CapacityMethod::EndAndSide;
    out.line(groundHead);
    valueLine(out, methodLabel, methodName(pile.method));
    if (!pile.profile.hole.empty()) {
        valueLine(out, holeLabel, std::string_view(pile.profile.hole));
        valueLine(out, topLabel, Fixed{pile.profile.top, 10, 2}, metreUnit);
    }
    if (!side) {
        valueLine(out, processLabel, processName(pile.process));
    }
    out.line(side ? layerHeadSide : layerHeadUltimate);
    for (const ProfileLayer &layer : pile.profile.layers) {
        out.blanks(6);
        out.padRight(layer.number, 8);
        out.padRight(layer.name, 16);
        out.padLeft(Fixed{layer.length, 8, 2}, 7);
        const std::optional<double> q = side ? layer.qsia : layer.qsik;
        out.padLeft(q ? formatGeneral(*q) : std::string(dash), 11);
        out.endLine();
    }
    out.constant(bearingLabel);
    const std::string bearing = pile.profile.bearing.number + " " + pile.profile.bearing.name;
    out.padLeft(std::string_view(bearing), 10);
    out.endLine();
    valueLine(out, socketLabel, Fixed{pile.socket, 10, 2}, metreUnit);
}

void groundResults(BookLines &out, const PileRecord &record, const GroundPile &pile)
{
    const CapacityParts &p = pile.parts;
    valueLine(out, lengthLabel, Fixed{p.length, 10, 2}, metreUnit);
    if (pile.method == CapacityMethod::EndAndSide) {
        rockResults(out, record);
        valueLine(out, sideSumLabel, Fixed{pile.profile.sums.sideAbove + pile.profile.sums.bearingQsia * pile.socket, 10, 2},
                  lineUnit);
        valueLine(out, endPartLabel, Fixed{p.end, 10, 2}, knUnit);
        valueLine(out, sidePartLabel, Fixed{p.side, 10, 2}, knUnit);
        return;
    }
    valueLine(out, frkResultLabel, Fixed{pile.frk, 6, 2}, mpaUnit);
    out.constant(hardnessLabel);
    out.padLeft(hardnessClass(pile.frk), 12);
    out.endLine();
    valueLine(out, ratioLabel, Fixed{p.zeta.ratio, 6, 4});
    valueLine(out, zetaLabel, Fixed{p.zeta.zeta, 6, 4});
    valueLine(out, ultimateSumLabel, Fixed{pile.profile.sums.ultimateAbove, 10, 2}, lineUnit);
    valueLine(out, qskLabel, Fixed{p.qsk, 10, 2}, knUnit);
    valueLine(out, qrkLabel, Fixed{p.qrk, 10, 2}, knUnit);
    valueLine(out, qukLabel, Fixed{p.quk, 10, 2}, knUnit);
    valueLine(out, safetyLabel, Fixed{safetyFactor, 6, 0});
}

void textEntry(BookLines &out, const PileRecord &record, std::string_view pileName)
{
    const SectionTypeRow &section = sectionRow(record.section);
    const SectionLayout layout = sectionLayout(section);
    out.line(entryTitle);
    out.constant(pileNumberLabel);
    out.text(pileName);
    out.endLine();
    out.lines(inputHead);
    static const int inputTypeWidth = displayWidth(inputTypeLabel);
    static const int resultTypeWidth = displayWidth(resultTypeLabel);
    typeLine(out, inputTypeLabel, inputTypeWidth, sectionRowOfItem(static_cast<int>(section.item))->type);
    dimensionLines(out, record, layout);
    out.line(rockHead);
    rockInputs(out, record);
    // An 8.5.6-2 pile keeps its lines, wherever it stands.
    const GroundPile *ground =
        record.ground && record.ground->method != CapacityMethod::EndOnly ? record.ground.get() : nullptr;
    if (ground == nullptr) {
        out.lines(standardLines);
    } else {
        groundInputs(out, *ground);
        if (ground->method == CapacityMethod::EndAndSide) {
            out.lines(sideStandardLines);
        } else {
            out.lines(socketStandardLines);
        }
        out.line(calculationHead);
    }
    typeLine(out, resultTypeLabel, resultTypeWidth, section.type);
    dimensionLines(out, record, layout);
    valueLine(out, areaLabel, Fixed{record.area / 1'000'000.0, 6, 2}, areaUnit);
    valueLine(out, perimeterLabel, Fixed{record.perimeter / 1'000.0, 6, 2}, metreUnit);
    if (ground == nullptr) {
        rockResults(out, record);
    } else {
        groundResults(out, record, *ground);
    }
    valueLine(out, raResultLabel, Fixed{record.ra, 10, 2}, knUnit);
    out.line(summaryHead);
    summary(out, record, pileName, layout);
    out.line(book::entryClosingRule);
}

// What follows the id column of the table row.
void tableRest(BookLines &out, const PileRecord &record)
{
    out.blanks(2);
    out.padCentre(sectionTableName(record.section), 8);
    out.blanks(2);
    for (DimensionSlot which : dimensionColumns(sectionRow(record.section))) {
        tableDimension(out, record, which);
    }
    out.padLeft(Fixed{record.area / 1'000'000.0, 6, 2}, 6);
    out.blanks(4);
    strengthColumns(out, record, Align::Right);
    const int choice = knownChoice(record.precision);
    const PrecisionColumns &columns = precisionColumns[static_cast<std::size_t>(choice)];
    const int decimals = decimalsByChoice(choice);
    if (socketMethod(record)) {
        out.padCentre(dash, columns.qpaWidth);
    } else {
        out.padLeft(Fixed{cutByChoice(record.qpa, choice), 10, decimals}, columns.qpaWidth);
    }
    out.blanks(columns.qpaGap);
    out.padLeft(Fixed{cutByChoice(record.ra, choice), columns.raPrecision, decimals}, columns.raWidth);
    out.blanks(columns.raGap);
}

void tableRowLine(BookLines &out, std::string_view id, int idWidth)
{
    out.blanks(book::tableIdIndent);
    out.padRight(id, idWidth);
}

// The lines written into `text`, cut at their ends.
std::vector<std::string> cutLines(const TextBuffer &text, const std::vector<std::size_t> &ends)
{
    std::vector<std::string> lines;
    lines.reserve(ends.size());
    std::size_t start = 0;
    for (const std::size_t end : ends) {
        lines.emplace_back(text.view().substr(start, end - lineEnd.size() - start));
        start = end;
    }
    return lines;
}

std::string timeLine(std::string_view timeText)
{
    std::string line(book::timeLinePrefix);
    line += timeText;
    return line;
}

} // namespace

bool appendBookTextEntry(TextBuffer &out, const PileRecord &record, std::string_view pileName, Encoder *codePage)
{
    const std::size_t start = out.size();
    BookLines lines(out, nullptr, codePage);
    textEntry(lines, record, pileName);
    if (!lines.written()) {
        out.truncate(start);
    }
    return lines.written();
}

void appendBookTableRest(TextBuffer &out, const PileRecord &record)
{
    BookLines lines(out);
    tableRest(lines, record);
}

void appendBookTableRowLine(TextBuffer &out, std::string_view id, std::string_view rest, int idWidth)
{
    BookLines lines(out);
    tableRowLine(lines, id, idWidth);
    lines.text(rest);
}

std::string bookTableRow(const PileRecord &record, int number)
{
    return bookTableRow(record, pileNumber(number));
}

std::string bookTableRow(const PileRecord &record, std::string_view pileName)
{
    TextBuffer row;
    BookLines lines(row);
    tableRowLine(lines, pileName, book::tableIdWidth);
    tableRest(lines, record);
    return std::string(row.view());
}

std::vector<std::string> bookTextEntry(const PileRecord &record, int number)
{
    return bookTextEntry(record, pileNumber(number));
}

std::vector<std::string> bookTextEntry(const PileRecord &record, std::string_view pileName)
{
    TextBuffer text;
    std::vector<std::size_t> ends;
    BookLines lines(text, &ends);
    textEntry(lines, record, pileName);
    return cutLines(text, ends);
}

std::vector<std::string> bookTableHead(int idExcess)
{
    const int width = book::tableWidth + idExcess;
    const std::string half = rule('=', (book::tableWidth - displayWidth(tableTitle)) / 2);
    std::vector<std::string> lines;
    lines.reserve(book::tableHeaderLines);
    lines.push_back(half + rule('=', idExcess / 2) + std::string(tableTitle) + half +
                    rule('=', idExcess - idExcess / 2));
    lines.push_back(rule('-', width));
    // The header's id cell ends where the usual id column ends; the rest of the header moves right.
    for (const std::string_view head : tableHeadCells) {
        std::size_t at = 0;
        for (int column = 0; column < book::tableIdIndent + book::tableIdWidth && at < head.size();) {
            const auto lead = static_cast<unsigned char>(head[at]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            column += displayWidth(head.substr(at, length));
            at += length;
        }
        lines.push_back(std::string(head.substr(0, at)) + spaces(idExcess) + std::string(head.substr(at)));
    }
    lines.push_back(rule('-', width));
    return lines;
}

std::vector<std::string> bookTableFoot(int idExcess, std::string_view timeText)
{
    const int width = book::tableWidth + idExcess;
    return {rule('-', width), std::string(book::noteLine), rule('=', width), timeLine(timeText)};
}

std::string bookTableRest(const PileRecord &record)
{
    TextBuffer rest;
    appendBookTableRest(rest, record);
    return std::string(rest.view());
}

std::string bookTableRowLine(std::string_view id, std::string_view rest, int idWidth)
{
    TextBuffer line;
    appendBookTableRowLine(line, id, rest, idWidth);
    return std::string(line.view());
}

std::string bookTimeLine(std::string_view timeText)
{
    return timeLine(timeText);
}

bool BookEntry::operator==(const BookEntry &other) const
{
    const bool sameGround = ground == other.ground || (ground && other.ground && *ground == *other.ground);
    return input == other.input && pileName == other.pileName && timeText == other.timeText && sameGround;
}

CalculationOutcome entryOutcome(const BookEntry &entry)
{
    CalculationOutcome outcome = calculate(entry.input);
    if (outcome.record && entry.ground) {
        outcome.record->ground = entry.ground;
        outcome.record->ra = entry.ground->parts.ra;
        outcome.raText = displayRounded(entry.ground->parts.ra, outcome.record->precision);
    }
    return outcome;
}

std::string bookEntryName(int number, std::string_view pileName)
{
    return pileName.empty() ? pileNumber(number) : std::string(pileName);
}

std::string CalculationBook::tableRowLine(std::size_t entry) const
{
    return bookTableRowLine(m_tableIds[entry], m_tableRest[entry], m_idWidth);
}

void CalculationBook::layOutTableIds(bool added)
{
    // A new row can only widen the column; a removed one may narrow it, so then every id counts.
    int widest = book::tableIdWidth;
    if (added && !m_tableIds.empty()) {
        widest = std::max(m_idWidth, displayWidth(m_tableIds.back()));
    } else {
        for (const std::string &id : m_tableIds) {
            widest = std::max(widest, displayWidth(id));
        }
    }
    if (widest == m_idWidth || m_table.empty()) {
        m_idWidth = widest;
        return;
    }
    m_idWidth = widest;
    // A project or a schedule of ids that grow one after another would otherwise lay the whole table
    // out again at every entry.
    m_tableStale = true;
}

const std::vector<std::string> &CalculationBook::tableLines() const
{
    if (m_tableStale) {
        layOutTable();
    }
    return m_table;
}

void CalculationBook::layOutTable() const
{
    m_tableStale = false;
    // Header, rows and footer again; the footer's time line is the book's own.
    const std::string time = m_table.back();
    m_table = bookTableHead(idColumnExcess());
    for (std::size_t entry = 0; entry < m_tableIds.size(); ++entry) {
        m_table.push_back(tableRowLine(entry));
    }
    std::vector<std::string> foot = bookTableFoot(idColumnExcess(), {});
    foot.back() = time;
    m_table.insert(m_table.end(), std::make_move_iterator(foot.begin()), std::make_move_iterator(foot.end()));
}

int CalculationBook::record(const PileRecord &record, std::string_view timeText, std::string_view pileName)
{
    const int number = m_entries + 1;
    const std::string name = bookEntryName(number, pileName);
    if (m_entries == 0) {
        m_table.clear();
        m_text.clear();
        m_tableIds.clear();
        m_tableRest.clear();
        m_idWidth = book::tableIdWidth;
        m_tableStale = false;
        m_table = bookTableHead(0);
    } else {
        m_table.resize(m_table.size() - book::tableFooterLines);
        m_text.pop_back();
    }
    m_tableIds.push_back(name);
    m_tableRest.push_back(bookTableRest(record));
    m_table.push_back(tableRowLine(m_tableIds.size() - 1));
    for (std::string &line : bookTableFoot(idColumnExcess(), timeText)) {
        m_table.push_back(std::move(line));
    }
    layOutTableIds(true);

    std::vector<std::string> entry = bookTextEntry(record, name);
    m_text.insert(m_text.end(), std::make_move_iterator(entry.begin()), std::make_move_iterator(entry.end()));
    m_text.push_back(timeLine(timeText));
    m_entries = number;
    m_unsaved = static_cast<int>(BookForm::Text) | static_cast<int>(BookForm::Table);
    m_recorded.push_back({record.input, std::string(pileName), std::string(timeText), record.ground});
    m_closingTime = timeText;
    return m_entries;
}

void CalculationBook::deleteLast()
{
    if (m_entries <= 1) {
        m_entries = 0;
        m_unsaved = 0;
        m_table.clear();
        m_text.clear();
        m_recorded.clear();
        m_closingTime.clear();
        m_tableIds.clear();
        m_tableRest.clear();
        m_idWidth = book::tableIdWidth;
        m_tableStale = false;
        return;
    }
    --m_entries;
    m_recorded.pop_back();
    m_unsaved = static_cast<int>(BookForm::Text) | static_cast<int>(BookForm::Table);
    // The last row stands just above the footer.
    m_table.erase(m_table.end() - static_cast<std::ptrdiff_t>(book::tableFooterLines) - 1);
    m_tableIds.pop_back();
    m_tableRest.pop_back();
    layOutTableIds(false); // narrower again when the longest id went
    // The last entry runs from after the previous closing rule down to its own closing rule; the
    // time line after it stays.
    const std::string timeLine = std::move(m_text.back());
    m_text.pop_back();
    m_text.pop_back();
    while (!m_text.empty() && m_text.back() != book::entryClosingRule) {
        m_text.pop_back();
    }
    m_text.push_back(timeLine);
}

void CalculationBook::setClosingTime(std::string_view timeText)
{
    if (m_entries == 0) {
        return;
    }
    m_closingTime = timeText;
    m_text.back() = timeLine(timeText);
    m_table.back() = timeLine(timeText);
}

} // namespace saxolith
