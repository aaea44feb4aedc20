#include "core/save/text_file.h"


namespace saxolith
{

TextFileWriter::TextFileWriter(ByteSink sink, std::string_view codePage)
    : m_sink(std::move(sink)), m_encoder(codePage), m_text(bufferSize + (std::size_t{64} << 10))
{
}

void TextFileWriter::encodeText()
{
    if (!m_text.empty()) {
        m_bytes.clear();
        m_encoder.encode(m_text.view(), m_bytes);
        m_coded.append(m_bytes);
        m_text.clear();
    }
}

TextBuffer &TextFileWriter::codedBuffer()
{
    if (m_encoder.passesThrough()) {
        return buffer();
    }
    encodeText();
    if (m_coded.size() >= bufferSize) {
        flush();
    }
    return m_coded;
}

void TextFileWriter::flush()
{
    if (!m_failed && m_encoder.passesThrough() && !m_text.empty()) {
        m_failed = !m_sink(m_text.view());
    } else if (!m_failed && m_coded.empty() && !m_text.empty()) {
        m_bytes.clear();
        m_encoder.encode(m_text.view(), m_bytes);
        m_failed = !m_sink(m_bytes);
    } else if (!m_failed && !m_coded.empty()) {
        encodeText();
        m_failed = !m_sink(m_coded.view());
    }
    m_text.clear();
    m_coded.clear();
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

std::optional<std::string> saveTextFile(const std::string &path, std::string_view codePage,
                                        const std::function<void(TextFileWriter &)> &fill)
{
    return saveFile(path, [&](const ByteSink &sink) {
        TextFileWriter writer(sink, codePage);
        fill(writer);
        return completeWhen(writer.finish());
    });
}

} // namespace saxolith
