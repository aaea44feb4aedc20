// Printing through the print preview, as the book and the report print: the pages shown before they
// go to the printer, a failed painting said, a PDF printed into a file named where it went.
#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace saxolith
{

// Opens the preview named `name` over `parent` on a fresh high-resolution printer set up by `setUp`;
// `paint` paints the pages onto the printer it is given and returns false when it could not.
void openPrintPreview(QWidget *parent, const char *name, const std::function<void(QPrinter &)> &setUp,
                      std::function<bool(QPrinter &)> paint);

} // namespace saxolith
