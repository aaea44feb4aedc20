#include "gui/book_file_commands.h"

#include "gui/file_dialog.h"
#include "gui/window_services.h"
#include "gui/print_preview.h"
#include "gui/result_screen.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"

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

class BookCommands : public QObject
{
  public:
    explicit BookCommands(ResultScreen *screen) : QObject(screen), m_screen(screen)
    {
        m_saveAs = command(CommandId::BookSaveAs, [this] { saveAs(); });
        m_exportPdf = command(CommandId::BookExportPdf, [this] { exportPdf(); });
        m_print = command(CommandId::BookPrint, [this] { print(); });
        for (QPlainTextEdit *memo : {screen->meo_jisuanjieguo_Doc, screen->meo_jisuanjieguo_Xls}) {
            connect(memo, &QPlainTextEdit::textChanged, this, &BookCommands::updateEnabled);
        }
        updateEnabled();
    }

  private:
    QAction *command(CommandId id, const std::function<void()> &run)
    {
        QAction *action = m_screen->commands().action(id);
        connect(action, &QAction::triggered, this, run);
        return action;
    }

    void updateEnabled()
    {
        const bool any = !m_screen->book().empty();
        for (QAction *action : {m_saveAs, m_exportPdf, m_print}) {
            action->setEnabled(any);
        }
    }

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

    QString askPath(std::string_view caption, std::string_view filter, BookForm form) const
    {
        return askCopyPath(m_screen, caption, bookFileName(form), {qs(filter)});
    }

    void saveAs()
    {
        const std::optional<BookForm> form = shownForm();
        if (!form) {
            return;
        }
        const QString path = askPath(exportText::saveAs, exportText::textFilter, *form);
        if (path.isEmpty()) {
            return;
        }
        // The very bytes of 保存, only elsewhere; the unsaved state belongs to 保存's own file.
        showWriteEnd(m_screen, saveBookFile(filePathBytes(path), lines(*form), systemCodePage()), path);
    }

    void exportPdf()
    {
        const std::optional<BookForm> form = shownForm();
        if (!form) {
            return;
        }
        const QString path = askPath(exportText::exportPdf, exportText::pdfFilter, *form);
        if (path.isEmpty()) {
            return;
        }
        showWriteEnd(m_screen, writeBookPdf(lines(*form), *form, filePathBytes(path)), path);
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
    QAction *m_saveAs = nullptr;
    QAction *m_exportPdf = nullptr;
    QAction *m_print = nullptr;
};

} // namespace

void installBookFileCommands(ResultScreen *screen)
{
    new BookCommands(screen);
}

} // namespace saxolith
