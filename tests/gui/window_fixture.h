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
        if (m_keepMessages) {
            setMessageFunctionForTesting([this](QWidget *, const QString &text) { messages << text; });
        }
        openWindow();
    }

    void TearDown() override
    {
        window.reset();
        setMessageFunctionForTesting({});
        setSystemCodePageForTesting({});
        setDocumentsFolderForTesting({});
    }

    // A freshly started program, in place of the one before.
    void openWindow()
    {
        window = std::make_unique<MainWindow>();
        window->show();
    }

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> window;
    QStringList messages;

  private:
    const char *m_codePage;
    bool m_keepMessages;
};

} // namespace saxolith::test
