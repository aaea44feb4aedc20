#include "output/text_file.h"

#include "output/safe_file.h"

#include <charconv>
#include <cstring>

namespace saxolith
{

std::string rule(char c, int count)
{
    return std::string(static_cast<std::size_t>(count > 0 ? count : 0), c);
}

int digitCount(std::size_t n)
{
    int digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

std::size_t writeCandidateNumber(char *out, std::size_t position, int digits)
{
    std::memcpy(out, "ZH-", 3);
    char number[24];
    const auto end = std::to_chars(number, number + sizeof number, position).ptr;
    const auto length = static_cast<std::size_t>(end - number);
    const std::size_t zeros = digits > 0 && static_cast<std::size_t>(digits) > length
                                  ? static_cast<std::size_t>(digits) - length
                                  : 0;
    std::memset(out + 3, '0', zeros);
    std::memcpy(out + 3 + zeros, number, length);
    return 3 + zeros + length;
}

std::string candidateNumber(std::size_t position, int digits)
{
    char text[24 + 3 + 64];
    const int width = digits > 64 ? 64 : digits;
    return {text, writeCandidateNumber(text, position, width)};
}

TextFileWriter::TextFileWriter(ByteSink sink, std::string_view codePage)
    : m_sink(std::move(sink)), m_encoder(codePage)
{
    m_text.reserve(bufferSize + 256);
}

void TextFileWriter::flush()
{
    if (!m_failed && !m_text.empty()) {
        if (m_encoder.passesThrough()) {
            m_failed = !m_sink(m_text);
        } else {
            m_bytes.clear();
            m_encoder.encode(m_text, m_bytes);
            m_failed = !m_sink(m_bytes);
        }
    }
    m_text.clear();
}

bool TextFileWriter::finish()
{
    flush();
    if (!m_failed && !m_encoder.passesThrough()) {
        m_bytes.clear();
        m_encoder.finish(m_bytes);
        if (!m_bytes.empty()) {
            m_failed = !m_sink(m_bytes);
        }
    }
    return !m_failed;
}

std::optional<std::string> writeTextFileSafely(const std::string &path, std::string_view codePage,
                                               const std::function<void(TextFileWriter &)> &fill)
{
    return writeFileSafely(path, [&](const ByteSink &sink) {
        TextFileWriter writer(sink, codePage);
        fill(writer);
        return writer.finish();
    });
}

} // namespace saxolith
