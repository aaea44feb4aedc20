#include "platform/save_device.h"

namespace saxolith
{

namespace
{
constexpr qsizetype pieceBytes = 1 << 18;
}

SinkDevice::SinkDevice(const ByteSink &sink) : m_sink(sink)
{
    m_gathered.reserve(pieceBytes);
    open(QIODevice::WriteOnly);
}

bool SinkDevice::pass()
{
    if (!m_gathered.isEmpty()) {
        m_refused = m_refused || !m_sink(std::string_view(m_gathered.constData(),
                                                          static_cast<std::size_t>(m_gathered.size())));
        m_gathered.resize(0);
    }
    return !m_refused;
}

qint64 SinkDevice::writeData(const char *data, qint64 size)
{
    if (m_gathered.size() + size > pieceBytes && !pass()) {
        return -1;
    }
    if (size >= pieceBytes) {
        m_refused = m_refused || !m_sink(std::string_view(data, static_cast<std::size_t>(size)));
        return m_refused ? -1 : size;
    }
    m_gathered.append(data, size);
    return size;
}

std::optional<std::string> saveThroughDevice(const std::string &path,
                                             const std::function<bool(QIODevice &)> &fill)
{
    return saveFile(path, [&](const ByteSink &sink) {
        SinkDevice device(sink);
        bool complete = fill(device);
        complete = device.pass() && complete;
        device.close();
        return completeWhen(complete);
    });
}

} // namespace saxolith
