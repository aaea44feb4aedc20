// The one way the program saves a file: the bytes stream into a temporary file beside the target,
// which is flushed to disk and renamed into place only when complete, so a failed save never leaves a
// file half written or destroys the previous one, and a long file never sits in memory whole.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// Where a file's bytes go; false once they could not be taken.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Fills a file through the sink: nothing when the file is complete, otherwise why not. A writer that
// stops after a refused piece need give no reason (`gaveUp`): the save names the system's own.
using FileContent = std::function<std::optional<std::string>(const ByteSink &sink)>;
inline std::optional<std::string> gaveUp()
{
    return std::string();
}
inline std::optional<std::string> completeWhen(bool complete)
{
    return complete ? std::nullopt : gaveUp();
}

// Saves the file at `path` with the bytes `content` streams. Returns nothing on success; on failure an
// error text naming the file and the reason, with the temporary file removed and any previous file at
// `path` left as it was. A symbolic link is written through to the file it names; a replaced file
// keeps its permissions; a file the user may not write, or marked read-only, is refused. The reason
// is plain text in any locale (gui decodes it in one place).
std::optional<std::string> saveFile(const std::string &path, const FileContent &content);

class TemporaryFile;

// The same save kept open while the bytes come piece by piece from elsewhere, so that several files
// can be written side by side as a long run goes.
class StreamedSave
{
  public:
    StreamedSave();
    ~StreamedSave(); // a save not finished leaves nothing behind
    StreamedSave(const StreamedSave &) = delete;
    StreamedSave &operator=(const StreamedSave &) = delete;

    // Nothing when the file could be opened, otherwise the error text saveFile gives.
    std::optional<std::string> open(const std::string &path);
    bool isOpen() const { return m_file != nullptr; }
    // False once a piece could not be written.
    bool write(std::string_view bytes);
    // Completes the file, or abandons it when the writer gives why it is `incomplete`: the outcome
    // saveFile gives when its content returns the same.
    std::optional<std::string> finish(const std::optional<std::string> &incomplete = std::nullopt);

  private:
    std::unique_ptr<TemporaryFile> m_file;
};

// The same for bytes already made.
inline std::optional<std::string> saveFile(const std::string &path, std::string_view bytes)
{
    return saveFile(path, [bytes](const ByteSink &sink) { return completeWhen(sink(bytes)); });
}

// An output stream over a sink, for writers that take a std::ostream (the CSV): it hands the sink
// pieces of about 1 MB and goes bad once the sink refuses one.
class SinkStream : public std::ostream
{
  public:
    explicit SinkStream(const ByteSink &sink);
    // Hands over what is left; true when the sink took every byte.
    bool finish();

  private:
    class Buffer : public std::streambuf
    {
      public:
        explicit Buffer(const ByteSink &sink);
        bool pass();

      protected:
        int_type overflow(int_type c) override;
        int sync() override;
        std::streamsize xsputn(const char *s, std::streamsize n) override;

      private:
        const ByteSink &m_sink;
        std::vector<char> m_bytes;
        bool m_failed = false;
    };
    Buffer m_buffer;
};

// Streams a finished file into the sink in pieces, for libraries that write only to a file of their
// own naming (the workbook); false when it could not be read or the sink refused a piece.
bool copyFileInto(const std::string &file, const ByteSink &sink);

} // namespace saxolith
