#include "core/report/report_document.h"

#include "core/report/report_language.h"

#include "core/capacity/formulas.h"
#include "core/ground/ground_pile.h"
#include "core/texts/ground.h"
#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/export.h"
#include "core/texts/report.h"
#include "core/texts/schedule.h"

#include <array>
#include <cmath>
#include <unordered_map>
#include <utility>

namespace saxolith
{

namespace
{

namespace rt = reportText;

bool isSubscriptChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string cat(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

// A working value: two decimals, no trailing zeros, so a hand check reads the very digits the
// program carried on.
std::string working(double value)
{
    std::string text = formatFixed(value, 15, 2);
    if (text.find('.') != std::string::npos && text.find('E') == std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

// A length in metres from millimetres, with at least three decimals.
std::string metres(double millimetres)
{
    const double value = millimetres / 1000.0;
    std::string text = formatGeneral(value);
    const std::size_t point = text.find('.');
    if (text.find('E') != std::string::npos) {
        return text;
    }
    if (point == std::string::npos || text.size() - point - 1 < 3) {
        return formatFixed(value, 15, 3);
    }
    return text;
}

std::string squareMetres(double squareMillimetres)
{
    return formatFixed(squareMillimetres / 1'000'000.0, 15, 4);
}

std::string psiText(double psi)
{
    return formatFixed(psi, 6, 4);
}

int knownChoice(int choice)
{
    return choice >= 0 && choice < precisionChoiceCount ? choice : 0;
}

// "= 5497.79 kN → 5498 kN": the working value, then the chosen precision's when it reads otherwise.
std::string result(double value, int choice, std::string_view unit)
{
    const std::string full = working(value);
    const std::string shown = displayRounded(value, knownChoice(choice));
    std::string text = cat({" = ", full, " ", unit});
    if (shown != full) {
        text += cat({" → ", shown, " ", unit});
    }
    return text;
}

Block block(BlockStyle style, Runs runs, bool keep = true)
{
    Block b;
    b.style = style;
    b.runs = std::move(runs);
    b.keepWithNext = keep;
    return b;
}

Block tableBlock(ReportTable table, bool keep = true)
{
    Block b;
    b.style = BlockStyle::Table;
    b.table = std::move(table);
    b.keepWithNext = keep;
    return b;
}

double dimension(const std::string &text)
{
    return lenientNumber(text).value;
}

// The inputs of a pile, as typed.
ReportTable inputTable(const PileRecord &record)
{
    ReportTable table;
    table.widths = {0.55, 0.30, 0.15};
    table.aligns = {Align::Left, Align::Right, Align::Left};
    table.rows.push_back(
        {markup(rt::inputColumns[0]), markup(rt::inputColumns[1]), markup(rt::inputColumns[2])});
    const SectionTypeRow &section = sectionRow(record.section);
    auto row = [&](std::string_view label, std::string_view value, std::string_view unit) {
        table.rows.push_back({markup(label), verbatim(value), markup(unit)});
    };
    row(rt::sectionType, section.bookName, {});
    if (section.sides) {
        row(rt::longSide, record.first, rt::mm);
        row(rt::shortSide, record.second, rt::mm);
    } else {
        row(rt::diameter, record.first, rt::mm);
        if (section.hasSecond) {
            row(rt::segment, record.second, rt::mm);
        }
    }
    if (record.route == StrengthRoute::QpaGiven) {
        row(rt::qpaGiven, record.qpaText, rt::kpa);
        return table;
    }
    row(rt::frkGiven, record.frkText, rt::mpa);
    if (record.psiMode == PsiMode::Manual) {
        row(rt::manualPsi, record.manualPsiText, {});
    } else if (integrityClassByName(record.integrityText)) {
        row(rt::integrityClass, record.integrityText, {});
    } else {
        row(rt::integrityIndex, record.integrityText, {});
    }
    return table;
}

std::string areaFormula(const PileRecord &record)
{
    const SectionTypeRow &section = sectionRow(record.section);
    const std::string first = metres(dimension(record.first));
    const std::string area = squareMetres(record.area);
    if (section.sides) {
        return cat({rt::areaSides, " = ", first, rt::times, metres(dimension(record.second)), " = ", area,
                    " ", rt::m2});
    }
    const std::string round = cat({" = 3.14159", rt::times, first, "² / 4"});
    if (!section.hasSecond) {
        return cat({rt::areaRound, round, " = ", area, " ", rt::m2});
    }
    return cat({rt::areaElliptical, round, " + ", first, rt::times, metres(dimension(record.second)), " = ",
                area, " ", rt::m2});
}

// How ψr was found: the basis line and the formula lines.
void appendPsi(std::vector<Block> &basis, std::vector<Block> &formulas, const PileRecord &record)
{
    const std::string psi = psiText(record.psi);
    if (record.psiMode == PsiMode::Manual) {
        basis.push_back(block(BlockStyle::Body, markup(rt::basisPsiManual)));
        formulas.push_back(block(BlockStyle::Formula, markup(cat({rt::psiEquals, psi, rt::manualNote}))));
        return;
    }
    const IntegrityReading reading = readIntegrity(record.integrityText);
    if (reading.cls) {
        std::string basisLine = cat({rt::basisPsiClass, record.integrityText});
        if (const std::optional<PsiLine> range = psiLineOfClass(*reading.cls)) {
            basisLine += fillIn(rt::basisPsiLower,
                                {cat({formatGeneral(range->psi1), "～", formatGeneral(range->psi2)})});
        }
        basis.push_back(block(BlockStyle::Body, markup(basisLine)));
        formulas.push_back(block(BlockStyle::Formula, markup(cat({rt::psiEquals, psi}))));
        return;
    }
    const double kv = reading.index.value_or(0.0);
    const IntegrityFinding finding = integrityByIndex(kv);
    const std::optional<PsiLine> line = psiLineOfClass(finding.cls);
    if (!line) {
        basis.push_back(block(BlockStyle::Body, markup(rt::basisPsiIntact)));
        formulas.push_back(block(BlockStyle::Formula, markup(cat({rt::psiEquals, psi}))));
        return;
    }
    basis.push_back(block(BlockStyle::Body, markup(rt::basisPsiIndex)));
    formulas.push_back(
        block(BlockStyle::Formula,
              markup(cat({rt::psiLine, " = ", formatGeneral(line->psi1), " + (", formatGeneral(line->psi2),
                          " − ", formatGeneral(line->psi1), ")", rt::times, "(", formatGeneral(kv), " − ",
                          formatGeneral(line->kv1), ") / (", formatGeneral(line->kv2), " − ",
                          formatGeneral(line->kv1), ") = ", psi}))));
}

std::string sizeText(const PileRecord &record)
{
    const SectionTypeRow &section = sectionRow(record.section);
    if (section.sides) {
        return cat({record.first, "×", record.second});
    }
    if (section.hasSecond) {
        return cat({"d", record.first, " c", record.second});
    }
    return cat({"d", record.first});
}

// The Σ of a method's side resistance substituted: "1.5×18 + 6.5×62 + 4.5×140".
std::string layerTerms(const GroundPile &pile, bool side)
{
    std::string terms;
    const auto add = [&terms](double length, const std::optional<double> &q) {
        terms += cat({terms.empty() ? "" : " + ", formatGeneral(length), "×", formatGeneral(q.value_or(0.0))});
    };
    for (const ProfileLayer &layer : pile.profile.layers) {
        add(layer.length, side ? layer.qsia : layer.qsik);
    }
    if (side && pile.socket > 0.0) {
        add(pile.socket, pile.profile.bearing.qsia);
    }
    return terms.empty() ? std::string("0") : terms;
}

// ζr read from table 5.3.9 step by step.
void appendZeta(std::vector<Block> &formulas, const GroundPile &pile, SectionType section)
{
    namespace gt = groundText;
    const ZetaReading &z = pile.parts.zeta;
    const std::string ratio = formatFixed(z.ratio, 15, 4);
    std::string ratioLine = cat({"h_r / d = ", formatGeneral(pile.socket), " / ",
                                 formatFixed(pile.parts.diameter / 1000.0, 15, 4), " = ", ratio});
    if (sectionRow(section).sides) {
        ratioLine += gt::equalAreaNote;
    }
    formulas.push_back(block(BlockStyle::Formula, markup(ratioLine)));
    const auto rowLine = [&](std::string_view head, double value) {
        formulas.push_back(block(BlockStyle::Formula, markup(cat({head, "ζ_r = ", formatFixed(value, 15, 4)}))));
    };
    const double frk = pile.frk;
    if (z.weight < 1.0) {
        rowLine(gt::softRow, z.soft);
    }
    if (z.weight > 0.0) {
        rowLine(gt::hardRow, z.hard);
    }
    if (z.weight > 0.0 && z.weight < 1.0) {
        formulas.push_back(block(
            BlockStyle::Formula,
            markup(cat({gt::betweenRows, "ζ_r = ", formatFixed(z.soft, 15, 4), " + (", formatFixed(z.hard, 15, 4),
                        " − ", formatFixed(z.soft, 15, 4), ") × (", formatGeneral(frk), " − 15) / 15 = ",
                        formatFixed(z.table, 15, 4)}))));
    }
    if (z.factor != 1.0) {
        formulas.push_back(block(BlockStyle::Formula,
                                 markup(cat({processName(pile.process), gt::cleanBase, "：ζ_r = 1.2", rt::times,
                                             formatFixed(z.table, 15, 4), " = ", formatFixed(z.zeta, 15, 4)}))));
    }
}

// A pile of 8.5.6-1 or 5.3.9: its clause, conditions and formulas substituted, in place of 8.5.6-2's Ra.
void appendGround(std::vector<Block> &basis, std::vector<Block> &formulas, const PileRecord &record, int choice)
{
    namespace gt = groundText;
    const GroundPile &pile = *record.ground;
    const CapacityParts &p = pile.parts;
    const std::string u = formatFixed(p.perimeter, 15, 4);
    formulas.push_back(
        block(BlockStyle::Formula, markup(cat({"u = ", u, " m；l = ", formatFixed(p.length, 15, 2), " m"}))));
    if (pile.method == CapacityMethod::EndAndSide) {
        basis.push_back(block(BlockStyle::Body, markup(gt::basis8561)));
        basis.push_back(block(BlockStyle::Body, markup(gt::conditions856)));
        formulas.push_back(block(
            BlockStyle::Formula,
            markup(cat({"R_a = q_pa·A_p + u_p·Σq_sia·l_i = ", working(pile.qpa), rt::times, squareMetres(record.area),
                        " + ", u, " × (", layerTerms(pile, true), ") = ", working(p.end), " + ", working(p.side),
                        result(p.ra, choice, rt::kn)}))));
        return;
    }
    basis.push_back(block(BlockStyle::Body, markup(gt::basis539)));
    basis.push_back(block(BlockStyle::Body, markup(gt::conditions539)));
    formulas.push_back(block(BlockStyle::Formula,
                             markup(cat({"Q_sk = u·Σq_sik·l_i = ", u, " × (", layerTerms(pile, false), ") = ",
                                         working(p.qsk), " ", rt::kn}))));
    appendZeta(formulas, pile, record.section);
    formulas.push_back(block(BlockStyle::Formula,
                             markup(cat({"Q_rk = ζ_r·f_rk·A_p = ", formatFixed(p.zeta.zeta, 15, 4), rt::times,
                                         working(pile.frk * 1000.0), rt::times, squareMetres(record.area), " = ",
                                         working(p.qrk), " ", rt::kn}))));
    formulas.push_back(block(BlockStyle::Formula, markup(cat({"Q_uk = Q_sk + Q_rk = ", working(p.qsk), " + ",
                                                              working(p.qrk), " = ", working(p.quk), " ", rt::kn}))));
    formulas.push_back(block(BlockStyle::Formula, markup(cat({"R_a = Q_uk / K = ", working(p.quk), " / 2",
                                                              result(p.ra, choice, rt::kn)}))));
}

// A note as the report shows it: opening with the word 提示, as the screen's hints do.
std::string noteText(const std::string &note)
{
    if (note.starts_with(rt::hintWord)) {
        return note;
    }
    return cat({rt::hintLabel, note});
}

ReportTable labelledTable(std::vector<double> widths, std::initializer_list<std::string_view> head)
{
    ReportTable table;
    table.widths = std::move(widths);
    table.aligns.assign(table.widths.size(), Align::Centre);
    std::vector<Runs> row;
    for (const std::string_view label : head) {
        row.push_back(markup(label));
    }
    table.rows.push_back(std::move(row));
    return table;
}

} // namespace

Runs markup(std::string_view text, bool bold)
{
    Runs runs;
    std::string plain;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '_' && i + 1 < text.size() && isSubscriptChar(text[i + 1])) {
            if (!plain.empty()) {
                runs.push_back({std::move(plain), false, bold});
                plain.clear();
            }
            std::size_t end = i + 1;
            while (end < text.size() && isSubscriptChar(text[end])) {
                ++end;
            }
            runs.push_back({std::string(text.substr(i + 1, end - i - 1)), true, bold});
            i = end;
            continue;
        }
        plain += text[i];
        ++i;
    }
    if (!plain.empty()) {
        runs.push_back({std::move(plain), false, bold});
    }
    return runs;
}

Runs verbatim(std::string_view text, bool bold)
{
    if (text.empty()) {
        return {};
    }
    return {Run{std::string(text), false, bold}};
}

std::string plainText(const Runs &runs)
{
    std::string out;
    for (const Run &run : runs) {
        out += run.text;
    }
    return out;
}

std::optional<std::string> reportSettingsProblem(const ReportSettings &settings)
{
    if (concreteGradeByName(settings.concreteGrade) == nullptr) {
        return cat({rt::unknownGrade, settings.concreteGrade});
    }
    if (!(settings.psiC >= smallestPsiC && settings.psiC <= largestPsiC)) {
        return cat({rt::psiCRange, formatGeneral(settings.psiC)});
    }
    if (!(settings.gamma >= 1.0 && settings.gamma <= 2.0)) {
        return cat({rt::gammaRange, formatGeneral(settings.gamma)});
    }
    return std::nullopt;
}

ShaftCheck shaftCheckOf(const PileRecord &record, const ReportSettings &settings)
{
    const ConcreteGrade *grade = concreteGradeByName(settings.concreteGrade);
    return checkShaft(record.ra, record.area, grade != nullptr ? grade->fc : 0.0, settings.psiC,
                      settings.gamma);
}

ReportBuilder::ReportBuilder(ReportSettings settings)
    : m_settings(std::move(settings)), m_grade(concreteGradeByName(m_settings.concreteGrade))
{
    if (m_grade == nullptr) {
        m_grade = &concreteGrades[1];
    }
}

std::vector<Block> ReportBuilder::pileSection(const PileRecord &record, std::string_view pileName) const
{
    std::vector<Block> out;
    const int choice = knownChoice(record.precision);
    const SectionTypeRow &section = sectionRow(record.section);

    Runs title = markup(rt::pileTitlePrefix, true);
    title.push_back({std::string(pileName), false, true});
    title.push_back({cat({"（", section.bookName, "）"}), false, true});
    out.push_back(block(BlockStyle::PileTitle, std::move(title)));
    if (!record.note.empty()) {
        out.push_back(block(BlockStyle::Body, verbatim(noteText(record.note), true)));
    }

    out.push_back(block(BlockStyle::Heading, markup(rt::inputsHead)));
    out.push_back(tableBlock(inputTable(record)));

    std::vector<Block> basis;
    std::vector<Block> formulas;
    const bool otherMethod = record.ground && record.ground->method != CapacityMethod::EndOnly;
    if (!otherMethod) {
        basis.push_back(block(BlockStyle::Body, markup(rt::basisRa)));
    }
    formulas.push_back(block(BlockStyle::Formula, markup(areaFormula(record))));
    const bool socket = record.ground && record.ground->method == CapacityMethod::SocketJgj94;
    if (socket) {
        // 5.3.9 takes the rock's frk, not qpa.
    } else if (record.route == StrengthRoute::QpaGiven) {
        basis.push_back(block(BlockStyle::Body, markup(rt::basisQpaGiven)));
        formulas.push_back(block(BlockStyle::Formula, markup(cat({rt::qpaEquals, working(record.qpa), " ",
                                                                  rt::kpa, rt::givenNote}))));
    } else {
        basis.push_back(block(BlockStyle::Body, markup(rt::basisQpa)));
        appendPsi(basis, formulas, record);
        std::string rock = cat({rt::hardness, "：", record.hardness});
        if (!record.integrityClass.empty()) {
            rock += cat({rt::listSeparator, rt::integrityClass, "：", record.integrityClass});
        }
        formulas.push_back(block(BlockStyle::Body, markup(rock)));
        formulas.push_back(block(
            BlockStyle::Formula,
            markup(cat({rt::qpaFormula, " = ", psiText(record.psi), rt::times, formatGeneral(record.frk), " ",
                        rt::mpa, result(record.qpa, choice, rt::kpa)}))));
    }
    if (otherMethod) {
        appendGround(basis, formulas, record, choice);
    }
    basis.push_back(block(BlockStyle::Body, markup(rt::basisShaft)));
    if (!otherMethod) {
        formulas.push_back(block(BlockStyle::Formula,
                                 markup(cat({rt::raFormula, " = ", working(record.qpa), rt::times,
                                             squareMetres(record.area), result(record.ra, choice, rt::kn)}))));
    }

    out.push_back(block(BlockStyle::Heading, markup(rt::basisHead)));
    for (Block &b : basis) {
        out.push_back(std::move(b));
    }
    out.push_back(block(BlockStyle::Heading, markup(rt::capacityHead)));
    for (Block &b : formulas) {
        out.push_back(std::move(b));
    }

    const ShaftCheck check =
        checkShaft(record.ra, record.area, m_grade->fc, m_settings.psiC, m_settings.gamma);
    const std::string psiC = formatGeneral(m_settings.psiC);
    const std::string gamma = formatGeneral(m_settings.gamma);
    out.push_back(block(BlockStyle::Heading, markup(rt::shaftHead)));
    // The pile type as typed, between the program's own texts.
    Runs settingsLine =
        markup(cat({rt::concreteGrade, " ", m_grade->name, rt::listSeparator,
                    "f_c = ", formatGeneral(m_grade->fc), " ", rt::fcUnit, rt::listSeparator}));
    const Runs typed = verbatim(m_settings.pileType);
    settingsLine.insert(settingsLine.end(), typed.begin(), typed.end());
    const Runs factors =
        markup(cat({rt::listSeparator, rt::psiC, " = ", psiC, rt::listSeparator, "γ = ", gamma}));
    settingsLine.insert(settingsLine.end(), factors.begin(), factors.end());
    out.push_back(block(BlockStyle::Body, std::move(settingsLine)));
    out.push_back(block(BlockStyle::Formula,
                             markup(cat({rt::rpFormula, " = ", psiC, rt::times, formatGeneral(m_grade->fc),
                                         " ", rt::fcUnit, rt::times, squareMetres(record.area), " ", rt::m2,
                                         " = ", working(check.rp), " ", rt::kn}))));
    Runs verdict = markup(cat({rt::loadFormula, " = ", gamma, rt::times, working(record.ra), " = ",
                               working(check.load), " ", rt::kn, check.satisfied ? " ≤ " : " > ",
                               rt::rpAgainst, working(check.rp), " ", rt::kn, rt::listSeparator}));
    verdict.push_back({std::string(check.verdict), false, true});
    out.push_back(block(BlockStyle::Formula, std::move(verdict)));
    if (!check.satisfied) {
        out.push_back(block(BlockStyle::Formula,
                                 markup(cat({rt::limitFormula, " = ", working(check.rp), " / ", gamma, " = ",
                                             working(check.shaftLimit), " ", rt::kn, rt::shaftGoverns}))));
    }

    const std::string governing = displayRounded(check.governing, choice);
    out.push_back(block(BlockStyle::Heading, markup(rt::conclusionHead)));
    Runs conclusion = markup(cat({rt::conclusionRa, governing, " ", rt::kn}), true);
    if (!check.satisfied) {
        const Runs more = markup(
            cat({rt::conclusionShaft, displayRounded(record.ra, choice), " ", rt::kn, rt::conclusionClose}));
        conclusion.insert(conclusion.end(), more.begin(), more.end());
    }
    out.push_back(block(BlockStyle::Body, std::move(conclusion), false));
    return inReportLanguage(std::move(out), m_settings);
}

std::vector<Runs> ReportBuilder::summaryRow(const PileRecord &record, std::string_view pileName) const
{
    const int choice = knownChoice(record.precision);
    const SectionTypeRow &section = sectionRow(record.section);
    const ShaftCheck check =
        checkShaft(record.ra, record.area, m_grade->fc, m_settings.psiC, m_settings.gamma);
    const std::string governing = displayRounded(check.governing, choice);
    const bool frk = record.route == StrengthRoute::FrkGiven;
    return inReportLanguage({verbatim(pileName), verbatim(section.bookName), verbatim(sizeText(record)),
                             verbatim(frk ? psiText(record.psi) : std::string(rt::dash)),
                             verbatim(displayRounded(record.qpa, choice)),
                             verbatim(displayRounded(record.ra, choice)),
                             verbatim(displayRounded(check.shaftLimit, choice)), verbatim(governing),
                             verbatim(check.verdict, !check.satisfied),
                             verbatim(record.note.empty() ? std::string() : noteText(record.note))},
                            m_settings);
}

void ReportBuilder::addPile(const PileRecord &record, std::string_view pileName)
{
    ++m_piles;
    m_outcomes.noted += record.note.empty() ? 0 : 1;
    for (Block &b : pileSection(record, pileName)) {
        m_blocks.push_back(std::move(b));
    }
    m_summary.push_back(summaryRow(record, pileName));
}

void ReportBuilder::addRefused(RefusedPile refused)
{
    m_outcomes.refused.push_back(std::move(refused));
}

bool ReportBuilder::addBookEntries(const std::vector<BookEntry> &entries, const ReportProgress &progress,
                                   const std::vector<std::string> *notes)
{
    // Each id with the number of the pile that first had it.
    std::unordered_map<std::string_view, int> firstOfId;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (progress && !progress(i, entries.size())) {
            return false;
        }
        CalculationOutcome outcome = entryOutcome(entries[i]);
        if (!outcome.record) {
            continue;
        }
        PileRecord &record = *outcome.record;
        const std::string &name = entries[i].pileName;
        if (notes != nullptr) {
            record.note = i < notes->size() ? (*notes)[i] : std::string();
        } else if (!name.empty()) {
            if (const auto [first, isFirst] = firstOfId.try_emplace(name, m_piles + 1); !isFirst) {
                std::string note = fillIn(rt::repeatedPile, {std::to_string(first->second)});
                if (!record.note.empty()) {
                    note += cat({scheduleText::noteSeparator, record.note});
                }
                record.note = std::move(note);
            }
        }
        const std::string number = std::string(book::pileNumberPrefix) + std::to_string(i + 1);
        addPile(record, name.empty() ? number : name);
    }
    return true;
}

ReportDocument ReportBuilder::cover(int pileCount, const ReportOutcomes &outcomes) const
{
    ReportDocument document;
    document.headerLeft = m_settings.titleBlock.projectName;
    document.headerRight = std::string(rt::reportTitle);
    std::vector<Block> &out = document.blocks;
    const TitleBlock &tb = m_settings.titleBlock;
    out.push_back(block(BlockStyle::CoverTitle, markup(rt::reportTitle, true)));
    out.push_back(block(BlockStyle::Subtitle, markup(rt::basisSubtitle)));

    ReportTable project;
    project.widths = {0.28, 0.72};
    project.aligns = {Align::Left, Align::Left};
    project.headerRows = 0;
    for (const auto &[label, value] : std::array<std::pair<std::string_view, const std::string *>, 7>{{
             {rt::projectName, &tb.projectName},
             {rt::projectNumber, &tb.projectNumber},
             {rt::subItem, &tb.subItem},
             {rt::designUnit, &tb.designUnit},
             {rt::stage, &tb.stage},
             {rt::reportNumber, &tb.reportNumber},
             {rt::date, &tb.date},
         }}) {
        project.rows.push_back({markup(label), verbatim(*value)});
    }
    project.rows.push_back(
        {markup(rt::program), verbatim(cat({exportText::programName, rt::versionWord, SAXOLITH_VERSION}))});
    out.push_back(tableBlock(std::move(project), false));

    ReportTable signatures;
    signatures.widths = {0.16, 0.30, 0.30, 0.24};
    signatures.aligns = {Align::Centre, Align::Centre, Align::Centre, Align::Centre};
    signatures.rows.push_back({markup(rt::duty), markup(rt::name), markup(rt::signature), markup(rt::date)});
    for (const auto &[duty, person] : std::array<std::pair<std::string_view, const std::string *>, 5>{{
             {rt::designer, &tb.designer},
             {rt::checker, &tb.checker},
             {rt::reviewer, &tb.reviewer},
             {rt::approver, &tb.approver},
             {rt::lead, &tb.lead},
         }}) {
        signatures.rows.push_back({markup(duty), verbatim(*person), {}, verbatim(tb.date)});
    }
    out.push_back(tableBlock(std::move(signatures), false));
    // The stamp's box: its label, then room for the stamp itself.
    ReportTable stamp;
    stamp.widths = {1.0};
    stamp.aligns = {Align::Left};
    stamp.headerRows = 0;
    stamp.rows.push_back({markup(rt::stamp)});
    for (int row = 0; row < 4; ++row) {
        stamp.rows.push_back({Runs{}});
    }
    out.push_back(tableBlock(std::move(stamp), false));

    out.push_back(block(BlockStyle::Heading, markup(rt::parametersHead)));
    ReportTable parameters;
    parameters.widths = {0.28, 0.72};
    parameters.aligns = {Align::Left, Align::Left};
    parameters.headerRows = 0;
    parameters.rows.push_back({markup(rt::basisItem), markup(rt::basisCodes)});
    parameters.rows.push_back(
        {markup(rt::concreteGrade),
         markup(cat({m_grade->name, "（f_c = ", formatGeneral(m_grade->fc), " ", rt::fcUnit, "）"}))});
    parameters.rows.push_back({markup(rt::pileType), verbatim(m_settings.pileType)});
    parameters.rows.push_back(
        {markup(rt::psiC), verbatim(cat({formatGeneral(m_settings.psiC), rt::psiCBasis}))});
    parameters.rows.push_back({markup(rt::gamma), verbatim(formatGeneral(m_settings.gamma))});
    parameters.rows.push_back({markup(rt::pileCount), verbatim(std::to_string(pileCount))});
    out.push_back(tableBlock(std::move(parameters), false));

    out.push_back(block(BlockStyle::Heading, markup(rt::premisesHead)));
    for (const std::string_view premise : rt::premises) {
        out.push_back(block(BlockStyle::Body, markup(premise), false));
    }

    // Every row of the schedule is accounted for: the piles by outcome, the refused ones with why.
    out.push_back(block(BlockStyle::Heading, markup(rt::outcomesHead)));
    ReportTable counts =
        labelledTable({0.25, 0.25, 0.25, 0.25}, {rt::outcomeColumns[0], rt::outcomeColumns[1],
                                                 rt::outcomeColumns[2], rt::outcomeColumns[3]});
    const auto refusedCount = static_cast<int>(outcomes.refused.size());
    counts.rows.push_back({verbatim(std::to_string(pileCount - outcomes.noted)),
                           verbatim(std::to_string(outcomes.noted)), verbatim(std::to_string(refusedCount)),
                           verbatim(std::to_string(pileCount + refusedCount))});
    out.push_back(tableBlock(std::move(counts), false));
    if (!outcomes.refused.empty()) {
        out.push_back(block(BlockStyle::Heading, markup(rt::refusedHead)));
        ReportTable refused = labelledTable(
            {0.14, 0.22, 0.64}, {rt::refusedColumns[0], rt::refusedColumns[1], rt::refusedColumns[2]});
        refused.aligns.back() = Align::Left;
        for (const RefusedPile &row : outcomes.refused) {
            refused.rows.push_back(
                {verbatim(std::to_string(row.line)), verbatim(row.id), verbatim(row.reason)});
        }
        out.push_back(tableBlock(std::move(refused), false));
    }
    out.push_back(block(BlockStyle::PageBreak, {}, false));
    document.blocks = inReportLanguage(std::move(document.blocks), m_settings);
    document.language = reportLanguage(m_settings);
    document.headerRight = translate(document.language, document.headerRight);
    return document;
}

std::vector<Block> ReportBuilder::summaryHead() const
{
    std::vector<Block> out;
    out.push_back(block(BlockStyle::PageBreak, {}, false));
    out.push_back(block(BlockStyle::PileTitle, markup(rt::summaryHead, true)));
    ReportTable summary;
    summary.widths = {0.10, 0.07, 0.12, 0.08, 0.09, 0.09, 0.09, 0.09, 0.08, 0.19};
    summary.aligns = {Align::Left,  Align::Centre, Align::Centre, Align::Right,  Align::Right,
                      Align::Right, Align::Right,  Align::Right,  Align::Centre, Align::Left};
    std::vector<Runs> head;
    for (std::string_view column : rt::summaryColumns) {
        head.push_back(markup(column));
    }
    summary.rows.push_back(std::move(head));
    out.push_back(tableBlock(std::move(summary), false));
    return inReportLanguage(std::move(out), m_settings);
}

ReportDocument ReportBuilder::finish()
{
    ReportDocument document = cover(m_piles, m_outcomes);
    std::vector<Block> &out = document.blocks;
    out.reserve(out.size() + m_blocks.size() + 3);
    for (Block &b : m_blocks) {
        out.push_back(std::move(b));
    }
    m_blocks.clear();

    if (!m_summary.empty()) {
        std::vector<Block> summary = summaryHead();
        std::vector<std::vector<Runs>> &rows = summary.back().table.rows;
        for (std::vector<Runs> &row : m_summary) {
            rows.push_back(std::move(row));
        }
        m_summary.clear();
        for (Block &b : summary) {
            out.push_back(std::move(b));
        }
    }
    return document;
}

} // namespace saxolith
