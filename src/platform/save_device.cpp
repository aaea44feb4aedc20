#include "save_device.h"

namespace saxolith
{

SinkDevice::SinkDevice(const ByteSink &sink) : m_sink(sink)
{
    open(QIODevice::WriteOnly);
}

qint64 SinkDevice::writeData(const char *data, qint64 size)
{
    return m_sink(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
}

std::optional<std::string> saveThroughDevice(const std::string &path, const std::function<bool(QIODevice &)> &fill)
{
    return saveFile(path, [&](const ByteSink &sink) {
        SinkDevice device(sink);
        const bool complete = fill(device);
        device.close();
        return completeWhen(complete);
    });
}

} // namespace saxolith
