#include "core/schedule/schedule_source.h"

#include "core/save/file_system.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/workbook_sheet.h"
#include "core/texts/saving.h"
#include "core/texts/schedule.h"

#include <array>
#include <cerrno>
#include <fstream>
#include <string_view>

namespace saxolith
{

namespace
{

constexpr std::size_t headBytes = std::size_t{64} << 10;

// Whether the first bytes of an input already refuse it as a schedule's text: a control character in
// what is neither UTF-16 nor a workbook (old or new) nor UTF-32, whose readers tell them apart.
bool refusedFromItsStart(std::string_view head)
{
    constexpr std::array<std::string_view, 3> otherForms{std::string_view("\xD0\xCF\x11\xE0", 4),
                                                         std::string_view("\xFF\xFE\0\0", 4),
                                                         std::string_view("\0\0\xFE\xFF", 4)};
    for (const std::string_view form : otherForms) {
        if (head.starts_with(form.substr(0, std::min(form.size(), head.size())))) {
            return false;
        }
    }
    return !utf16Order(head) && !looksLikeWorkbook(head) && controlByteAt(head) != std::string_view::npos;
}

} // namespace

ScheduleSource::ScheduleSource(std::string path, const std::filesystem::path &scratchFolder)
    : m_path(std::move(path))
{
    std::ofstream spool;
    std::uintmax_t spooled = 0;
    std::string head;
    bool written = true;
    const auto open = [&] {
        if (spool.is_open() || !m_spool.empty()) {
            return static_cast<bool>(spool);
        }
        const std::optional<std::string> file = createScratchFile(scratchFolder, "saxolith-schedule");
        if (!file) {
            m_error = fileFailure(saveText::cannotCreate,
                                  fileName(scratchFolder / "saxolith-schedule-XXXXXX"), errno);
            return false;
        }
        m_spool = *file;
        spool.open(filePath(m_spool), std::ios::binary | std::ios::trunc);
        return static_cast<bool>(spool);
    };
    const StreamInput read = readStreamInput(m_path, headBytes, [&](std::string_view piece) {
        if (!open()) {
            written = false;
            return false;
        }
        spool.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        spooled += piece.size();
        if (head.size() < headBytes) {
            head.append(piece.substr(0, headBytes - head.size()));
            if (head.size() == headBytes && refusedFromItsStart(head)) {
                return false; // the readers refuse it from what is here already
            }
        }
        // One byte past the largest is enough for the readers to refuse it as too large.
        return static_cast<bool>(spool) && spooled <= largestScheduleBytes;
    });
    if (read == StreamInput::PlainFile) {
        return;
    }
    const int readError = errno;
    if (read == StreamInput::Read && m_spool.empty()) {
        open(); // nothing came: the readers find the schedule empty
    }
    spool.close();
    if (m_error) {
        return;
    }
    if (!written || !spool) {
        m_error = fileFailure(saveText::cannotWrite, m_spool, EIO);
    } else if (read == StreamInput::Failed) {
        m_error = std::string(scheduleText::cannotRead) + reasonText(readError);
    }
}

ScheduleSource::~ScheduleSource()
{
    if (!m_spool.empty()) {
        removeFile(m_spool);
    }
}

} // namespace saxolith
