#include "gui/book_file_commands.h"

#include "gui/file_commands.h"
#include "gui/file_dialog.h"
#include "gui/print_preview.h"
#include "gui/result_screen.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"
#include "gui/window_services.h"

#include "pages/book_pages.h"
#include "core/book/book_file.h"
#include "core/texts/export.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace saxolith
{

namespace
{

class BookCommands : public FileCommands
{
  public:
    explicit BookCommands(ResultScreen *screen) : FileCommands(screen, screen->commands()), m_screen(screen)
    {
        answer(CommandId::BookSaveAs, [this] { saveAs(); });
        answer(CommandId::BookExportPdf, [this] { exportPdf(); });
        answer(CommandId::BookPrint, [this] { print(); });
        for (QPlainTextEdit *memo : {screen->meo_jisuanjieguo_Doc, screen->meo_jisuanjieguo_Xls}) {
            connect(memo, &QPlainTextEdit::textChanged, this, &BookCommands::updateEnabled);
        }
        updateEnabled();
    }

  private:
    void updateEnabled() { enableAll(!m_screen->book().empty()); }

    // The form on display and its lines; nothing while the book is empty.
    std::optional<BookForm> shownForm() const
    {
        const BookForm form = m_screen->formOnDisplay();
        return lines(form).empty() ? std::nullopt : std::optional(form);
    }
    const std::vector<std::string> &lines(BookForm form) const
    {
        return form == BookForm::Text ? m_screen->book().textLines() : m_screen->book().tableLines();
    }

    // The form on display and where its copy goes; nothing while the book is empty or when the user
    // took the question back.
    struct Target {
        BookForm form;
        QString path;
    };
    std::optional<Target> askTarget(std::string_view caption, std::string_view filter) const
    {
        const std::optional<BookForm> form = shownForm();
        if (!form) {
            return std::nullopt;
        }
        const QString path = askCopyPath(m_screen, caption, bookFileName(*form), {qs(filter)});
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return Target{*form, path};
    }

    void saveAs()
    {
        if (const std::optional<Target> to = askTarget(exportText::saveAs, exportText::textFilter)) {
            // The very bytes of 保存, only elsewhere; the unsaved state belongs to 保存's own file.
            showWriteEnd(m_screen, saveBookFile(filePathBytes(to->path), lines(to->form), systemCodePage()),
                         to->path);
        }
    }

    void exportPdf()
    {
        if (const std::optional<Target> to = askTarget(exportText::exportPdf, exportText::pdfFilter)) {
            showWriteEnd(m_screen, writeBookPdf(lines(to->form), to->form, filePathBytes(to->path)),
                         to->path);
        }
    }

    void print()
    {
        const std::optional<BookForm> form = shownForm();
        if (!form) {
            return;
        }
        const BookForm shown = *form;
        openPrintPreview(
            m_screen, "bookPrintPreview", [shown](QPrinter &printer) { setUpBookPages(printer, shown); },
            [book = lines(shown), shown](QPrinter &printer) { return paintBook(printer, book, shown); });
    }

    ResultScreen *m_screen;
};

} // namespace

void installBookFileCommands(ResultScreen *screen)
{
    new BookCommands(screen);
}

} // namespace saxolith
