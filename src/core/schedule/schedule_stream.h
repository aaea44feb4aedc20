// A pile schedule read from its file a piece at a time, so that a schedule of any length is read in
// little memory, with the very rows the whole reading gives.
#pragma once

#include "core/schedule/schedule_file.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace saxolith
{

// Goes through the file twice: check() once, to learn that it can be read a piece at a time and
// that reading it finds no error; then next() gives its rows in order. UTF-16 text is turned into
// UTF-8 as it is read, by the decoder the whole reading uses. A file that is not CSV text in one
// A workbook, a file that cannot be opened or read, and the few files whose text before the first row or
// whose GBK line is longer than the stream holds (16 MB) are left to the whole reading (readScheduleFile and
// readSchedule). Any other error that refuses the file is found here, in little memory, as the whole reading
// gives it: error() tells.
class ScheduleStream
{
  public:
    // Pieces of 64 KB: a piece's rows (some 1,400) stay in the processor's cache while they are read.
    explicit ScheduleStream(std::string path, std::size_t pieceBytes = std::size_t{64} << 10);
    ScheduleStream(const ScheduleStream &) = delete; // a piece read ahead refers to its stream
    ScheduleStream &operator=(const ScheduleStream &) = delete;

    // True when the rows can be taken with next(); false when the file is refused (error() then says
    // why, as the whole reading would) or is to be read whole. Each row read on the way goes to `visit`,
    // when given (what must be known of all rows before the first), and its id cell to `visitId`; a
    // check with `visitId` alone reads no whole rows, and takes less time.
    bool check(const std::function<void(const ScheduleRow &row)> &visit = {},
               const std::function<void(std::string_view id)> &visitId = {});
    // The file's first error, once check() has refused it: the whole reading's, line included.
    const std::optional<ScheduleError> &error() const { return m_error; }
    // The next row; false after the last, or when reading failed (failed() then tells).
    bool next(ScheduleRow &row);

    std::size_t rowCount() const { return m_rowCount; }
    // Whether the header names any column in Chinese.
    bool chineseHeader() const { return m_chineseHeader; }
    // Whether the header names any ground column.
    bool groundColumns() const { return m_groundColumns; }
    // Whether the file could not be read again as it was read at the check.
    bool failed() const { return m_failed; }

  private:
    enum class Encoding { Utf8, Gbk };

    bool start();
    // The whole text once, for what the whole reading finds before it reads any record: a file too
    // large, a control character, bytes that are no text; and a quote that the file never closes.
    // False when the file cannot be read or is refused (m_error then set).
    bool scanText();
    // The next piece of the file's text, in UTF-8, that ends where a record ends; its rows into
    // m_rows. False at the end of the file, and when the piece is not what check() found.
    bool nextPiece();
    // A piece after the first, read on another thread while the rows before it are taken.
    struct Piece {
        bool decoded = false;
        int lines = 0; // its line ends
        ScheduleReading reading;
    };
    // Starts reading the piece after the last one taken; none at the end of the file.
    void readAhead();
    bool readRaw(std::string &chunk);
    // The next bytes of the file onto m_raw, as UTF-8 for a UTF-16 file; false at its end.
    bool readMore();
    // A piece's bytes made its text, in UTF-8; false when they are not what the check found. Touches
    // nothing of the stream, as readPiece().
    bool decodePiece(std::string &text) const;
    // The piece's text read as the whole reading reads a file, after the header. Touches nothing of
    // the stream, so that two pieces may be read at once.
    ScheduleReading readPiece(std::string_view text) const;
    // Whether a piece after the first, so read, stops the reading a piece at a time.
    static bool refused(const ScheduleReading &reading);
    static bool refusedBy(const std::optional<ScheduleError> &error);
    // For a file that is not UTF-8 (so read as GBK): a line plainly in UTF-8 or bytes that are no GBK,
    // which refuse it, as the whole reading finds them. `notUtf8Line` is the line of its first byte
    // that breaks UTF-8. False when the file is refused (m_error set), or when a line is too long to
    // be held (then the whole reading tells).
    bool scanGbk(int notUtf8Line);

    std::string m_path;
    std::size_t m_pieceBytes;
    std::ifstream m_in;
    std::string m_raw;       // bytes read and not yet handed on (a UTF-16 file's as UTF-8)
    std::size_t m_scanned = 0; // of m_raw, bytes already looked at for record ends
    std::uint64_t m_rawStart = 0; // where m_raw starts in the text read
    // Where in the text read the quote stands that opens a field the file never closes.
    std::optional<std::uint64_t> m_openQuoteAt;
    int m_state = 0;          // where the scan stands within a record
    bool m_atEnd = false;
    std::uintmax_t m_bytesRead = 0;
    bool m_firstPiece = true;
    char m_separator = ',';
    Encoding m_encoding = Encoding::Utf8;
    std::optional<Utf16Order> m_utf16; // the byte order of a UTF-16 file
    bool m_utf8Mark = false;           // the file opens with UTF-8's mark, which is passed over
    std::optional<Utf16Decoder> m_decoder;
    std::string m_wide; // a UTF-16 file's bytes as read
    std::string m_prefix; // the text before the first row: the header, for every later piece
    int m_prefixLines = 0;
    int m_nextLine = 1; // the file's line on which the next piece starts
    std::vector<ScheduleRow> m_rows;
    std::size_t m_rowAt = 0;
    std::size_t m_rowCount = 0;
    std::size_t m_seen = 0;
    bool m_chineseHeader = false;
    bool m_groundColumns = false;
    bool m_pieceRefused = false; // the last piece could not be read as the check read it
    bool m_checked = false;
    bool m_failed = false;
    std::optional<ScheduleError> m_error;
    // The next piece being read (invalid when none is); last, so that it is done before the rest goes.
    std::future<Piece> m_ahead;
};

} // namespace saxolith
