// Converting the program's UTF-8 texts into the byte encoding of a saved file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace saxolith
{

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

  private:
    struct Converter;
    std::unique_ptr<Converter> m_converter; // none: the bytes pass through
};

// The bytes of the whole of `utf8` in `codePage`.
std::string encodeText(std::string_view utf8, std::string_view codePage);

} // namespace saxolith
