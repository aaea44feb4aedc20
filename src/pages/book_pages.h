// The calculation book on pages: page set-up, pagination and painting, shared by PDF files and printers.
//
// Everything here measures fonts, so a QGuiApplication (or QApplication) must exist before any of
// it is called; a command-line caller creates one (the "offscreen" platform will do).
#pragma once

#include "core/book/book_form.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPagedPaintDevice;

namespace saxolith
{

// The font the book is laid out for: monospace, an ideograph exactly two Latin letters wide.
inline constexpr const char *bookFontFamily = "WenQuanYi Zen Hei Mono";

// A4 with margins, portrait for the text book and landscape for the (110 columns wide) table book.
void setUpBookPages(QPagedPaintDevice &device, BookForm form);

// The book's lines page by page (indexes into `lines`), `linesPerPage` lines at most on a page.
// The text book keeps an entry (up to its closing rule of "=") on one page when it fits on one;
// the table book starts every page with its header lines. Always at least one page.
std::vector<std::vector<std::size_t>> paginateBook(const std::vector<std::string> &lines, BookForm form,
                                                   std::size_t linesPerPage);

// The lines of a book, handed one at a time and in order to `take` (UTF-8, without line ends), read
// afresh each time it is called: a book may stand in a file rather than in memory. False when they
// could not all be read.
using BookLineReader = std::function<bool(const std::function<void(std::string_view line)> &take)>;

// The lines of a book file written in UTF-8 at `path`, read a piece at a time.
BookLineReader bookFileLines(const std::string &path);

// Paints the book onto `device` in its current page layout: a page header with the program's name
// and version and the book's title, the lines in a font size at which the widest fits the page's
// width (a line too wide even at the smallest size, as a long id makes one, wraps onto the lines
// below it), and "第 n 页 共 m 页" below. False when painting cannot begin on the device.
// The book is read three times and never held whole; the pages are those of the same lines in memory.
bool paintBook(QPagedPaintDevice &device, const std::vector<std::string> &lines, BookForm form);
bool paintBook(QPagedPaintDevice &device, const BookLineReader &lines, BookForm form);

// Writes the book as a PDF file (text kept as text, the font embedded) through a temporary file
// that replaces `path` only when complete. Nothing on success, otherwise a text naming the file and
// the reason. `path` is in the file system's encoding.
std::optional<std::string> writeBookPdf(const std::vector<std::string> &lines, BookForm form,
                                        const std::string &path);
std::optional<std::string> writeBookPdf(const BookLineReader &lines, BookForm form, const std::string &path);

} // namespace saxolith
