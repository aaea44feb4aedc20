#include "gui/print_preview.h"

#include "gui/window_services.h"
#include "gui/saved_notice.h"
#include "core/texts/export.h"
#include "gui/widget_helpers.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace saxolith
{

void openPrintPreview(QWidget *parent, const char *name, const std::function<void(QPrinter &)> &setUp,
                      std::function<bool(QPrinter &)> paint)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    setUp(*printer);
    auto *preview = new QPrintPreviewDialog(printer.get(), parent);
    preview->setObjectName(name);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview,
                     [parent, paint = std::move(paint)](QPrinter *target) {
                         if (!paint(*target)) {
                             showMessage(parent, qs(exportText::printFailed));
                         }
                     });
    // The printer lives as long as the dialog; printing into a file says where the file went.
    QObject::connect(preview, &QDialog::finished, parent, [parent, printer](int result) {
        if (result == QDialog::Accepted && printer->outputFormat() == QPrinter::PdfFormat &&
            !printer->outputFileName().isEmpty()) {
            showSavedNotice(parent, printer->outputFileName());
        }
    });
    preview->open();
}

} // namespace saxolith
