// The saved files of the calculation book: their text and bytes.
#pragma once

#include "core/save/safe_file.h"
#include "core/text/text_buffer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// The lines joined by CR LF, with no line end after the last line and no byte-order mark.
std::string bookFileText(const std::vector<std::string> &lines);

class TextFileWriter;

// The lines as `bookFileText` joins them, into a text-file writer.
void writeBookFile(TextFileWriter &out, const std::vector<std::string> &lines);

// The whole content of a book file in `codePage`.
std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage);

// Saves the book file at `path` in `codePage` through a temporary file; nothing on success,
// otherwise an error text naming the file and the reason.
std::optional<std::string> saveBookFile(const std::string &path, const std::vector<std::string> &lines,
                                        std::string_view codePage);

struct PileRecord;

// Both book files written as the entries come, so a schedule of any length is written in little
// memory: the text book straight into its writer; the table book's rows into a spool until the
// widest id is known (a longer id widens the id column of every row), then the table book at once.
// The bytes are those saveBookFile writes of a CalculationBook given the same entries.
class BookFilesWriter
{
  public:
    // `text` takes the text book; `spool` the table rows until writeTable; `timeText` closes both.
    BookFilesWriter(TextFileWriter &text, ByteSink spool, std::string timeText);

    // Writes the next entry, named `pileName` (or "ZHn" without one); returns its number.
    int record(const PileRecord &record, std::string_view pileName = {});
    int entryCount() const { return m_entries; }
    // Closes the text book with its time line; a book without entries stays empty.
    void finishText();

    // Hands every piece of the spool, in order, to its argument; false when it could not.
    using SpoolReplay = std::function<bool(const ByteSink &take)>;
    // The whole table book into `table`, its rows read back through `replay`; false when the spool
    // could not be written or read back whole.
    bool writeTable(TextFileWriter &table, const SpoolReplay &replay);

  private:
    TextFileWriter &m_text;
    ByteSink m_spool;
    std::string m_timeText;
    TextBuffer m_spooled; // one spooled row, its buffer kept
    std::string m_numbered; // the name "ZHn" of an entry without one, its buffer kept
    int m_entries = 0;
    int m_idWidth;
    bool m_spoolFailed = false;
};

} // namespace saxolith
