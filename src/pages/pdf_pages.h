// What the book's pages and the report's pages share: a font for print, and the PDF file they are
// written into through the one safe save.
#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QPdfWriter;

namespace saxolith
{

// `family` at `points`, without hinting: hinting rounds advances to whole pixels, and the pages place
// their texts by advances measured at any size.
QFont printFont(const char *family, double points);

// "Saxolith" and its version, as the pages' headers and the PDF files name the program.
QString programLine();

// A PDF file at `path` titled `title`, its pages set up and painted by `paint` (false when they could
// not all be painted). Nothing on success, otherwise the save's error text.
std::optional<std::string> writePdf(const std::string &path, const QString &title,
                                    const std::function<bool(QPdfWriter &)> &paint);

} // namespace saxolith
