// The one writer of the program's text files (books and lists): line ends, and the lines streamed
// through the code page into a file in pieces of about 1 MB.
#pragma once

#include "core/save/encoding.h"
#include "core/save/safe_file.h"
#include "core/text/text_buffer.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Every saved text file ends its lines with CR LF.
inline constexpr std::string_view lineEnd = "\r\n";

// Gathers UTF-8 text, and each time about `bufferSize` bytes have gathered, encodes them into the
// code page and hands them to the sink; so a file of any length never stands in memory whole.
class TextFileWriter
{
  public:
    static constexpr std::size_t bufferSize = std::size_t{1} << 20;

    TextFileWriter(ByteSink sink, std::string_view codePage);

    void text(std::string_view utf8)
    {
        if (m_text.size() + utf8.size() > bufferSize) {
            flush();
        }
        m_text.append(utf8);
    }
    void endLine() { text(lineEnd); }
    void line(std::string_view utf8)
    {
        text(utf8);
        endLine();
    }
    // The gathered text, to write UTF-8 at its end straight; what has gathered is handed on first once
    // there is enough of it.
    TextBuffer &buffer()
    {
        if (m_text.size() >= bufferSize) {
            flush();
        }
        return m_text;
    }
    // The file's code page, and the bytes gathered in it, to write at their end straight through the
    // encoder's appendWhole and appendConstant while it writesPieces() (for UTF-8, the gathered text
    // itself): what text() gathered before stands before them.
    Encoder &encoder() { return m_encoder; }
    TextBuffer &codedBuffer();
    // Hands over what is left; true when the sink took every byte.
    bool finish();
    bool failed() const { return m_failed; }

  private:
    void flush();
    // The gathered text encoded onto the end of the gathered bytes.
    void encodeText();

    ByteSink m_sink;
    Encoder m_encoder;
    TextBuffer m_text;
    TextBuffer m_coded; // bytes in the code page, before m_text
    std::string m_bytes;
    bool m_failed = false;
};

// Saves the lines that `fill` gives at `path` in `codePage`, through the one safe save; nothing on
// success, otherwise an error text naming file and reason.
std::optional<std::string> saveTextFile(const std::string &path, std::string_view codePage,
                                               const std::function<void(TextFileWriter &)> &fill);

} // namespace saxolith
