#include "core/save/safe_file.h"

#include "core/save/file_system.h"
#include "core/text/fill_in.h"
#include "core/texts/saving.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace saxolith
{

std::string reasonText(int error)
{
    struct Reason {
        int error;
        std::string_view text;
    };
    // The system's own texts would be English (or, on Windows, in the system's language and code page).
    static constexpr Reason reasons[] = {
        {readOnlyError, saveText::readOnlyFile},
        {EACCES, saveText::permissionDenied},
        {EPERM, saveText::permissionDenied},
        {EROFS, saveText::readOnlyDisk},
        {ENOSPC, saveText::diskFull},
#ifdef EDQUOT
        {EDQUOT, saveText::quotaFull},
#endif
        {ENOENT, saveText::fileMissing},
        {EISDIR, saveText::isFolder},
        {ENOTDIR, saveText::notFolder},
        {EEXIST, saveText::exists},
        {EBUSY, saveText::inUse},
#ifdef ETXTBSY
        {ETXTBSY, saveText::inUse},
#endif
        {ENAMETOOLONG, saveText::nameTooLong},
        {EINVAL, saveText::badName},
        {EILSEQ, saveText::badName},
#ifdef ELOOP
        {ELOOP, saveText::linkLoop},
#endif
        {EMFILE, saveText::tooManyOpen},
        {ENFILE, saveText::tooManyOpen},
        {EFBIG, saveText::fileTooLarge},
        {EIO, saveText::diskError},
        {ENOMEM, saveText::noMemory},
        {EXDEV, saveText::otherDisk},
#ifdef ECANCELED
        {ECANCELED, saveText::unfinished},
#endif
        {ENXIO, saveText::unavailable},
        {ENODEV, saveText::unavailable},
    };
    for (const Reason &reason : reasons) {
        if (reason.error == error) {
            return std::string(reason.text);
        }
    }
    return fillIn(saveText::systemError, {std::to_string(error)});
}

std::string makingReasonText(int error)
{
    return error == ENOENT ? std::string(saveText::folderMissing) : reasonText(error);
}

std::string fileFailure(std::string_view what, const std::string &path, int error)
{
    return fillIn(what, {path, what == saveText::cannotRead ? reasonText(error) : makingReasonText(error)});
}

std::string readProblem(const std::string &file)
{
    if (isFolder(file)) {
        return std::string(saveText::isFolder);
    }
    errno = 0;
    readFileInPieces(file, 1, [](std::string_view) { return false; });
    return reasonText(errno != 0 ? errno : EIO);
}

StreamedSave::StreamedSave() = default;
StreamedSave::~StreamedSave() = default;

std::optional<std::string> StreamedSave::open(const std::string &path)
{
    std::string refused;
    m_file = TemporaryFile::open(path, refused);
    if (!m_file) {
        return refused;
    }
    return std::nullopt;
}

bool StreamedSave::write(std::string_view bytes)
{
    return m_file != nullptr && m_file->write(bytes);
}

std::optional<std::string> StreamedSave::finish(const std::optional<std::string> &incomplete)
{
    if (!m_file) {
        return incomplete ? incomplete : gaveUp();
    }
    const std::unique_ptr<TemporaryFile> file = std::move(m_file);
    int error = file->failure();
    // The writer's own reason stands unless the system refused a piece first.
    if (incomplete && error == 0 && !incomplete->empty()) {
        return incomplete;
    }
    if (incomplete && error == 0) {
        error = ECANCELED;
    }
    return file->commit(error);
}

std::optional<std::string> saveFile(const std::string &shownPath, const FileContent &content)
{
    StreamedSave save;
    if (auto refused = save.open(shownPath)) {
        return refused;
    }
    const ByteSink sink = [&save](std::string_view bytes) { return save.write(bytes); };
    return save.finish(content(sink));
}

namespace
{
constexpr std::size_t pieceBytes = std::size_t{1} << 20;
}

SinkStream::Buffer::Buffer(const ByteSink &sink) : m_sink(sink), m_bytes(pieceBytes)
{
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
}

bool SinkStream::Buffer::pass()
{
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    if (!m_failed && size > 0) {
        m_failed = !m_sink(std::string_view(pbase(), size));
    }
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
    return !m_failed;
}

SinkStream::Buffer::int_type SinkStream::Buffer::overflow(int_type c)
{
    if (!pass()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int SinkStream::Buffer::sync()
{
    return pass() ? 0 : -1;
}

std::streamsize SinkStream::Buffer::xsputn(const char *s, std::streamsize n)
{
    std::streamsize written = 0;
    while (written < n) {
        if (pptr() == epptr() && !pass()) {
            break;
        }
        const std::streamsize room = std::min<std::streamsize>(epptr() - pptr(), n - written);
        std::memcpy(pptr(), s + written, static_cast<std::size_t>(room));
        pbump(static_cast<int>(room));
        written += room;
    }
    return written;
}

SinkStream::SinkStream(const ByteSink &sink) : std::ostream(nullptr), m_buffer(sink)
{
    rdbuf(&m_buffer);
}

bool SinkStream::finish()
{
    flush();
    return static_cast<bool>(*this) && m_buffer.pass();
}

bool copyFileInto(const std::string &file, const ByteSink &sink)
{
    return readFileInPieces(file, pieceBytes, sink);
}

} // namespace saxolith
