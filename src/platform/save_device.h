// The one safe save for Qt writers that take a device (PDF pages, PNG and SVG images).
#pragma once

#include "core/save/safe_file.h"

#include <QByteArray>
#include <QIODevice>

#include <functional>
#include <optional>
#include <string>

namespace saxolith
{

// A write-only device that hands what it is given to the save's sink, gathered into pieces: writers
// such as the PDF's write a few bytes at a time, and each piece the sink takes is a system call.
class SinkDevice : public QIODevice
{
  public:
    explicit SinkDevice(const ByteSink &sink);
    bool isSequential() const override { return true; }
    // Hands over what is gathered; true when the sink took every byte so far.
    bool pass();

  protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

  private:
    const ByteSink &m_sink;
    QByteArray m_gathered;
    bool m_refused = false;
};

// Saves the file at `path` with what `fill` writes into the device; `fill` returns false when it could
// not write it all. Nothing on success, otherwise the save's error text.
std::optional<std::string> saveThroughDevice(const std::string &path, const std::function<bool(QIODevice &)> &fill);

} // namespace saxolith
