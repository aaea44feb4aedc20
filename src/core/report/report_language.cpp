#include "core/report/report_language.h"

#include "core/texts/language.h"

#include <string>

namespace saxolith
{

namespace
{

// A user's underscore kept apart while a text is translated, so that it is not read as a subscript's mark
// (a private-use character: it never stands in a text of the program).
constexpr std::string_view keptUnderscore = "\xEE\x80\x80";

void replaceAll(std::string &text, std::string_view from, std::string_view to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
}

// Runs of one weight in English: their text with its subscripts marked again, translated, marked up.
void appendEnglish(Runs &out, Runs::const_iterator from, Runs::const_iterator to)
{
    std::string marked;
    for (auto run = from; run != to; ++run) {
        if (run->subscript) {
            marked += '_';
            marked += run->text;
        } else {
            std::string text = run->text;
            replaceAll(text, "_", keptUnderscore);
            marked += text;
        }
    }
    if (!hasChinese(marked)) {
        out.insert(out.end(), from, to);
        return;
    }
    for (Run run : markup(translate(Language::English, marked), from->bold)) {
        replaceAll(run.text, keptUnderscore, "_");
        out.push_back(std::move(run));
    }
}

Runs english(const Runs &runs)
{
    Runs out;
    // Each weight apart: a bold verdict stays bold in English.
    for (auto from = runs.begin(); from != runs.end();) {
        auto to = from;
        while (to != runs.end() && to->bold == from->bold) {
            ++to;
        }
        appendEnglish(out, from, to);
        from = to;
    }
    return out;
}

Block english(Block block)
{
    block.runs = english(block.runs);
    for (std::vector<Runs> &row : block.table.rows) {
        for (Runs &cell : row) {
            cell = english(cell);
        }
    }
    return block;
}

bool isHeading(BlockStyle style)
{
    return style == BlockStyle::CoverTitle || style == BlockStyle::Subtitle ||
           style == BlockStyle::PileTitle || style == BlockStyle::Heading;
}

} // namespace

Language reportLanguage(const ReportSettings &settings)
{
    return settings.bilingual ? Language::Chinese : settings.language.value_or(Language::Chinese);
}

std::vector<Block> inReportLanguage(std::vector<Block> blocks, const ReportSettings &settings)
{
    if (settings.bilingual) {
        std::vector<Block> out;
        out.reserve(blocks.size() * 2);
        for (Block &block : blocks) {
            if (!isHeading(block.style)) {
                out.push_back(std::move(block));
                continue;
            }
            Block below = english(block);
            if (below.runs == block.runs) {
                out.push_back(std::move(block));
                continue;
            }
            block.keepWithNext = true;
            out.push_back(std::move(block));
            out.push_back(std::move(below));
        }
        return out;
    }
    if (reportLanguage(settings) == Language::English) {
        for (Block &block : blocks) {
            block = english(std::move(block));
        }
    }
    return blocks;
}

std::vector<Runs> inReportLanguage(std::vector<Runs> cells, const ReportSettings &settings)
{
    if (reportLanguage(settings) == Language::English) {
        for (Runs &cell : cells) {
            cell = english(cell);
        }
    }
    return cells;
}

} // namespace saxolith
