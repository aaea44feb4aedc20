// Converting the program's UTF-8 texts into the byte encoding of a saved file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace saxolith
{

class TextBuffer;

// Converts UTF-8 text piece by piece into a code page (an iconv name such as "GBK" or "UTF-8").
// A character the code page cannot represent becomes "?"; "UTF-8" (in any spelling) passes the
// text through unchanged; an unknown code page falls back to UTF-8 so that nothing is lost.
class Encoder
{
  public:
    explicit Encoder(std::string_view codePage);
    ~Encoder();
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;

    // Appends the bytes of `utf8` to `out`. A sequence cut off at the end of the piece is completed
    // by the next piece; `finish` ends the text, turning such a left-over into "?".
    void encode(std::string_view utf8, std::string &out);
    void finish(std::string &out);

    // True when every text keeps its bytes (UTF-8, or a code page that cannot be opened).
    bool passesThrough() const { return m_converter == nullptr; }

    // True when texts can go into the code page one by one with appendWhole (ASCII stands for itself
    // and no character met so far joins with what follows it): so a long file is written in its code
    // page straight, without a pass over its UTF-8 text. False for UTF-8, where texts keep their bytes.
    bool writesPieces() const;
    // Appends the bytes of the whole text `utf8` to `out`: the bytes encoding the file's text gives
    // for it. False, with nothing appended and writesPieces() false from then on, when one of its
    // characters must go through the code page with what follows it; the text then goes through
    // encode() with the rest of the file.
    bool appendWhole(std::string_view utf8, TextBuffer &out);
    // The same for a text of the program's own that stays where it is while the encoder lives (a
    // constant): its bytes are found once and kept by where it stands.
    bool appendConstant(std::string_view utf8, TextBuffer &out);

  private:
    struct Converter;
    std::unique_ptr<Converter> m_converter; // none: the bytes pass through
};

// The bytes of the whole of `utf8` in `codePage`.
std::string encodeText(std::string_view utf8, std::string_view codePage);

} // namespace saxolith
