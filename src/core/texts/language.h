// The languages the program speaks: every text is written in Chinese, and reaches a user who reads English
// through translate(), which looks it up in the English text table (core/texts/english.cpp).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace saxolith
{

enum class Language { Chinese, English };

// The language setting: its name and its choices, each in its own language.
namespace languageText
{
inline constexpr std::string_view setting = "语言 / Language";
inline constexpr std::string_view chinese = "中文";
inline constexpr std::string_view english = "English";
} // namespace languageText

// How a Chinese text of the table may stand in what is shown.
enum class TextFit {
    Whole,  // alone, or joined with other texts of the table ("较硬岩" + ",岩体" + "较完整")
    Prefix, // also followed by something of the user's (a file name, a number): "无法读取：" + path
};

// One text and its English. A text with "{}" (core/text/fill_in.h) is a pattern: composed messages are
// matched against it and each filled-in part is translated in turn; its English has as many "{}", in the
// same order.
struct TextPair {
    std::string_view chinese;
    std::string_view english;
    TextFit fit = TextFit::Whole;
    // Shorter English for a control of fixed width that the English would overflow (a list's item).
    std::string_view brief = {};
};

// Every text of the program and its English.
std::span<const TextPair> englishTexts();

// `text`, one of the program's Chinese texts or composed of them, as a user reading `language` reads it.
// A text the table cannot translate whole (a pile's Chinese id, a file name) stays as it is.
std::string translate(Language language, std::string_view text);

// The shorter English of a whole text, where the table gives one; otherwise its English.
std::string briefEnglish(std::string_view text);

// The Chinese text of which `english` is the English, if the table has it as a whole text.
std::optional<std::string_view> chineseOf(std::string_view english);

// True when `text` holds a Chinese character or full-width punctuation: what English must not show.
bool hasChinese(std::string_view text);

// "en"/"english" and "zh"/"chinese"/"cn", in any case; nothing for any other name.
std::optional<Language> languageByName(std::string_view name);
// "en" or "zh".
std::string_view languageCode(Language language);

} // namespace saxolith
