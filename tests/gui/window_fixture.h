// The main window as the screen tests open it: its files go into a scratch folder, written in one
// code page (GBK unless a test says otherwise), and its messages kept for the test to read (or shown
// in their boxes, for the tests of the boxes).
#pragma once

#include "platform/host.h"
#include "gui/main_window.h"
#include "gui/window_services.h"

#include <QColor>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace saxolith::test
{

inline const QColor red = QColor::fromRgba(0xFFFF0000);
inline const QColor magenta = QColor::fromRgba(0xFFFF00FF);
inline const QColor black = QColor::fromRgba(0xFF000000);
inline const QColor green = QColor::fromRgba(0xFF008000);

class ScratchWindowTest : public ::testing::Test
{
  protected:
    enum class Messages { Kept, Shown };

    explicit ScratchWindowTest(Messages messages = Messages::Kept, const char *codePage = "GBK")
        : m_codePage(codePage), m_keepMessages(messages == Messages::Kept)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        setDocumentsFolderForTesting(m_folder.path());
        setSystemCodePageForTesting(m_codePage);
        openWindow();
    }

    void TearDown() override
    {
        window.reset();
        setSystemCodePageForTesting({});
        setDocumentsFolderForTesting({});
    }

    // A freshly started program, in place of the one before.
    void openWindow()
    {
        window = newWindow();
        window->show();
    }

    // A main window whose services answer as this test has them answer.
    std::unique_ptr<MainWindow> newWindow()
    {
        auto services = std::make_unique<WindowServices>();
        if (m_keepMessages) {
            services->setMessageFunction([this](QWidget *, const QString &text) { messages << text; });
        }
        prepare(*services);
        return std::make_unique<MainWindow>(std::move(services));
    }
    // What a test's windows answer with beyond the kept messages: its dialogs, handlers and settings.
    virtual void prepare(WindowServices &) {}

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> window;
    QStringList messages;

  private:
    const char *m_codePage;
    bool m_keepMessages;
};

} // namespace saxolith::test
