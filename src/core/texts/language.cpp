#include "core/texts/language.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace saxolith
{

namespace
{

constexpr std::string_view placeholder = "{}";

// The code point starting at `at`, and how many bytes it takes; a broken byte counts as one.
std::pair<char32_t, std::size_t> codePointAt(std::string_view text, std::size_t at)
{
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) {
        return {byte, 1};
    }
    char32_t point = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        point = (point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    return {point, length};
}

bool isChinese(char32_t point)
{
    return (point >= 0x2E80 && point <= 0x303F) || (point >= 0x3400 && point <= 0x4DBF) ||
           (point >= 0x4E00 && point <= 0x9FFF) || (point >= 0xF900 && point <= 0xFAFF) ||
           (point >= 0xFF00 && point <= 0xFFEF);
}

// A pattern split at its placeholders: text = pieces[0] {} pieces[1] … {} pieces[n].
struct Pattern {
    const TextPair *pair;
    std::vector<std::string_view> pieces;
    std::size_t literalBytes = 0;
};

struct Match {
    std::vector<std::string_view> parts; // what stood for each placeholder
    std::size_t end = 0;                 // where the pattern's text ends
};

// The pattern at the start of `text`, each part as short as the next piece allows; the last part of a
// pattern ending in a placeholder runs to the end.
std::optional<Match> matchAtStart(const Pattern &pattern, std::string_view text)
{
    if (!text.starts_with(pattern.pieces.front())) {
        return std::nullopt;
    }
    Match match;
    std::size_t at = pattern.pieces.front().size();
    for (std::size_t i = 1; i < pattern.pieces.size(); ++i) {
        const std::string_view piece = pattern.pieces[i];
        if (piece.empty()) {
            if (i + 1 != pattern.pieces.size()) {
                return std::nullopt; // "{}{}" cannot be told apart
            }
            match.parts.push_back(text.substr(at));
            at = text.size();
            break;
        }
        const std::size_t found = text.find(piece, at);
        if (found == std::string_view::npos) {
            return std::nullopt;
        }
        match.parts.push_back(text.substr(at, found - at));
        at = found + piece.size();
    }
    match.end = at;
    return match;
}

class Catalog
{
  public:
    Catalog()
    {
        for (const TextPair &pair : englishTexts()) {
            if (pair.chinese.find(placeholder) != std::string_view::npos || pair.fit == TextFit::Prefix) {
                addPattern(pair);
            }
            if (pair.chinese.find(placeholder) == std::string_view::npos && !pair.chinese.empty()) {
                m_whole.emplace(pair.chinese, &pair);
                m_chinese.emplace(pair.english, pair.chinese);
                const std::size_t lead = codePointAt(pair.chinese, 0).second;
                m_byLead[pair.chinese.substr(0, lead)].push_back(&pair);
            }
        }
        for (auto &[lead, pairs] : m_byLead) {
            std::ranges::stable_sort(pairs, [](const TextPair *a, const TextPair *b) {
                return a->chinese.size() > b->chinese.size();
            });
        }
    }

    std::optional<std::string> translate(std::string_view text) const
    {
        if (const auto found = m_whole.find(text); found != m_whole.end()) {
            return std::string(found->second->english);
        }
        if (auto filled = fromPattern(text)) {
            return filled;
        }
        return joined(text);
    }

    std::optional<std::string_view> brief(std::string_view text) const
    {
        if (const auto found = m_whole.find(text); found != m_whole.end() && !found->second->brief.empty()) {
            return found->second->brief;
        }
        return std::nullopt;
    }

    std::optional<std::string_view> chineseOf(std::string_view english) const
    {
        if (const auto found = m_chinese.find(english); found != m_chinese.end()) {
            return found->second;
        }
        return std::nullopt;
    }

  private:
    void addPattern(const TextPair &pair)
    {
        Pattern pattern{&pair, {}};
        std::string_view rest = pair.chinese;
        for (std::size_t at; (at = rest.find(placeholder)) != std::string_view::npos;
             rest.remove_prefix(at + placeholder.size())) {
            pattern.pieces.push_back(rest.substr(0, at));
        }
        pattern.pieces.push_back(rest);
        if (pair.fit == TextFit::Prefix && !pattern.pieces.back().empty()) {
            pattern.pieces.emplace_back(); // what follows is the user's
        }
        for (const std::string_view piece : pattern.pieces) {
            pattern.literalBytes += piece.size();
        }
        m_patterns.push_back(std::move(pattern));
    }

    // A part the table cannot translate is the user's and stays as it is.
    std::string part(std::string_view text) const
    {
        if (!hasChinese(text)) {
            return std::string(text);
        }
        return translate(text).value_or(std::string(text));
    }

    // The pattern that explains most of `text` from its start, filled with its parts in English; what
    // follows a pattern ending in a fixed text (a line's "第 3 行：" before its note) is translated on its
    // own.
    std::optional<std::string> fromPattern(std::string_view text) const
    {
        const Pattern *best = nullptr;
        std::optional<Match> bestMatch;
        for (const Pattern &pattern : m_patterns) {
            if (best != nullptr && pattern.literalBytes <= best->literalBytes) {
                continue;
            }
            if (auto match = matchAtStart(pattern, text)) {
                best = &pattern;
                bestMatch = std::move(match);
            }
        }
        if (best == nullptr) {
            return std::nullopt;
        }
        // Parts past the English's placeholders are the user's text after a Prefix one: they follow it.
        std::string out;
        std::string after;
        std::string_view english = best->pair->english;
        for (const std::string_view filled : bestMatch->parts) {
            const std::size_t at = english.find(placeholder);
            if (at == std::string_view::npos) {
                after += part(filled);
                continue;
            }
            out.append(english.substr(0, at));
            out += part(filled);
            english.remove_prefix(at + placeholder.size());
        }
        out.append(english);
        out += after;
        if (bestMatch->end < text.size()) {
            out += part(text.substr(bestMatch->end));
        }
        return out;
    }

    // `text` as a run of the table's whole texts, with nothing Chinese between them (numbers, letters and
    // marks go over as they are); nothing when some Chinese is left over. The longest text that lets the
    // rest be read is taken: ",岩体" must not take the start of ",岩体完整性指数有错".
    std::optional<std::string> joined(std::string_view text) const
    {
        // rest[at]: the English of text[at…], when it can be read.
        std::vector<std::optional<std::string>> rest(text.size() + 1);
        rest[text.size()] = std::string();
        for (std::size_t at = text.size(); at-- > 0;) {
            if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
                continue; // inside a character
            }
            const auto [point, length] = codePointAt(text, at);
            if (const auto found = m_byLead.find(text.substr(at, length)); found != m_byLead.end()) {
                for (const TextPair *pair : found->second) {
                    const std::size_t end = at + pair->chinese.size();
                    if (text.substr(at).starts_with(pair->chinese) && rest[end]) {
                        rest[at] = std::string(pair->english) + *rest[end];
                        break;
                    }
                }
            }
            if (!rest[at] && !isChinese(point) && rest[at + length]) {
                rest[at] = std::string(text.substr(at, length)) + *rest[at + length];
            }
        }
        return rest[0];
    }

    std::unordered_map<std::string_view, const TextPair *> m_whole;
    std::unordered_map<std::string_view, std::string_view> m_chinese;
    std::unordered_map<std::string_view, std::vector<const TextPair *>> m_byLead;
    std::vector<Pattern> m_patterns;
};

const Catalog &catalog()
{
    static const Catalog made;
    return made;
}

} // namespace

std::string translate(Language language, std::string_view text)
{
    if (language == Language::Chinese || !hasChinese(text)) {
        return std::string(text);
    }
    return catalog().translate(text).value_or(std::string(text));
}

std::string briefEnglish(std::string_view text)
{
    if (const auto brief = catalog().brief(text)) {
        return std::string(*brief);
    }
    return translate(Language::English, text);
}

std::optional<std::string_view> chineseOf(std::string_view english)
{
    return catalog().chineseOf(english);
}

bool hasChinese(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const auto [point, length] = codePointAt(text, at);
        if (isChinese(point)) {
            return true;
        }
        at += length;
    }
    return false;
}

std::optional<Language> languageByName(std::string_view name)
{
    std::string lower;
    for (const char c : name) {
        lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "en" || lower == "english") {
        return Language::English;
    }
    if (lower == "zh" || lower == "chinese" || lower == "cn") {
        return Language::Chinese;
    }
    return std::nullopt;
}

std::string_view languageCode(Language language)
{
    return language == Language::English ? "en" : "zh";
}

} // namespace saxolith
