#include "core/save/encoding.h"

#include "core/text/text_buffer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace saxolith
{

namespace
{

// The code page's default character for what it cannot represent.
constexpr char defaultCharacter = '?';

bool isUtf8(std::string_view codePage)
{
    std::string name;
    for (char c : codePage) {
        if (c != '-' && c != '_') {
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return name == "UTF8";
}

// Bytes of the UTF-8 sequence that starts with `lead`; a stray byte counts alone.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// The end of the ASCII bytes that open [first, last): sixteen at a time where SSE2 is there, else
// eight at a time.
const char *asciiEnd(const char *first, const char *last)
{
#if defined(__SSE2__)
    for (; last - first >= 16; first += 16) {
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(first))));
        if (mask != 0)
            return first + std::countr_zero(mask);
    }
#endif
    for (; last - first >= 8; first += 8) {
        std::uint64_t word;
        std::memcpy(&word, first, sizeof word);
        if ((word & 0x8080808080808080ull) != 0)
            break;
    }
    while (first != last && static_cast<unsigned char>(*first) < 0x80)
        ++first;
    return first;
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0u) == 0x80u;
}

// The code point of the well-formed two- or three-byte sequence at `p` (of `size` bytes left),
// and its length; a length of 0 for anything else (four-byte, broken or cut-off sequences).
struct Decoded {
    char32_t code = 0;
    std::size_t length = 0;
};
Decoded decodeBmp(const unsigned char *p, std::size_t size)
{
    const unsigned char lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (size >= 2 && isContinuation(p[1]))
            return {static_cast<char32_t>((lead & 0x1Fu) << 6 | (p[1] & 0x3Fu)), 2};
        return {};
    }
    if (lead >= 0xE0 && lead <= 0xEF && size >= 3) {
        const unsigned char c1 = p[1];
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        if (c1 >= low && c1 <= high && isContinuation(p[2]))
            return {static_cast<char32_t>((lead & 0x0Fu) << 12 | (c1 & 0x3Fu) << 6 | (p[2] & 0x3Fu)), 3};
    }
    return {};
}

} // namespace

struct Encoder::Converter {
    iconv_t cd;
    bool asciiAsIs = false; // ASCII bytes stand for themselves, so only other characters go through iconv
    std::string pending;    // the start of a sequence cut off at the end of the last piece
    char buffer[4096];

    // With ASCII copied, the bytes of each other character met, found once by converting the
    // character alone; so long as every character leaves the converter as it found it, they are
    // the bytes iconv gives within any text. 256 pages of 256 code points, made when first needed.
    struct Encoded {
        std::array<char, 4> bytes{};
        std::uint8_t length = 0; // 0: not known yet
    };
    using Page = std::array<Encoded, 256>;
    std::array<std::unique_ptr<Page>, 256> pages;
    std::string codePage;                          // for the probe, opened when first needed
    iconv_t probe = reinterpret_cast<iconv_t>(-1); // converts one character at a time

    explicit Converter(iconv_t handle) : cd(handle) {}
    ~Converter()
    {
        iconv_close(cd);
        if (probe != reinterpret_cast<iconv_t>(-1))
            iconv_close(probe);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Flushes any shift state the code page keeps.
    void reset(std::string &out)
    {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    }

    // True when the code page writes every ASCII byte as itself and keeps no shift state after
    // other characters, so that copying ASCII runs gives the very bytes iconv would. Asked of a
    // converter of its own, as some code pages open their output with a mark.
    bool copiesAscii()
    {
        std::string ascii;
        for (int c = 1; c < 0x80; ++c) {
            ascii += static_cast<char>(c);
        }
        std::string out;
        convert(ascii, out, true);
        const bool same = out == ascii;
        out.clear();
        convert("\xE6\xA1\xA9", out, true); // one CJK character
        std::string shift;
        reset(shift);
        return same && shift.empty();
    }

    // Converts `in` through iconv; returns the bytes of a cut-off sequence left at its end.
    std::size_t convert(std::string_view text, std::string &out, bool last)
    {
        // iconv takes a non-const input pointer but does not write through it.
        char *in = const_cast<char *>(text.data());
        std::size_t inLeft = text.size();
        while (inLeft > 0) {
            char *outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
                continue;
            }
            if (!last && (errno == EINVAL || cutOffAtEnd(in, inLeft))) {
                return inLeft; // waits for the rest of its sequence
            }
            // A character the code page lacks (EILSEQ), or a broken or cut-off sequence (EINVAL):
            // one default character in its place, and on with the next character.
            out += defaultCharacter;
            const std::size_t skip = brokenLength(in, inLeft);
            in += skip;
            inLeft -= skip;
        }
        return 0;
    }

    // True when the sequence at `in` runs to the end of the piece and the next piece may continue it.
    static bool cutOffAtEnd(const char *in, std::size_t inLeft)
    {
        const auto *u = reinterpret_cast<const unsigned char *>(in);
        return inLeft < sequenceLength(u[0]) && std::all_of(u + 1, u + inLeft, isContinuation);
    }

    // Bytes passed over for a sequence iconv does not take: its lead and the continuation bytes
    // that follow, as many as the lead announces.
    static std::size_t brokenLength(const char *in, std::size_t inLeft)
    {
        std::size_t skip = std::min(sequenceLength(static_cast<unsigned char>(*in)), inLeft);
        for (std::size_t k = 1; k < skip; ++k) {
            if (!isContinuation(static_cast<unsigned char>(in[k]))) {
                return k;
            }
        }
        return skip;
    }

    // The bytes of one character alone, found by the probe; nothing when the character leaves the
    // probe in another state than it found it (a code page that joins it with what follows).
    std::optional<Encoded> encodeAlone(std::string_view sequence)
    {
        if (probe == reinterpret_cast<iconv_t>(-1))
            probe = iconv_open(codePage.c_str(), "UTF-8");
        if (probe == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        std::array<char, 16> bytes{};
        iconv(probe, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(sequence.data());
        std::size_t inLeft = sequence.size();
        char *outPtr = bytes.data();
        std::size_t outLeft = bytes.size();
        const std::size_t result = iconv(probe, &in, &inLeft, &outPtr, &outLeft);
        Encoded encoded;
        if (result == static_cast<std::size_t>(-1)) {
            if (errno != EILSEQ)
                return std::nullopt;
            encoded.bytes[0] = defaultCharacter;
            encoded.length = 1;
            return encoded;
        }
        const auto length = static_cast<std::size_t>(outPtr - bytes.data());
        char *flushPtr = outPtr;
        std::size_t flushLeft = outLeft;
        iconv(probe, nullptr, nullptr, &flushPtr, &flushLeft);
        if (length == 0 || length > encoded.bytes.size() || flushPtr != outPtr || inLeft != 0)
            return std::nullopt;
        std::memcpy(encoded.bytes.data(), bytes.data(), length);
        encoded.length = static_cast<std::uint8_t>(length);
        return encoded;
    }

    // ASCII copied and other characters from their pages. A character that must go through iconv
    // with what follows it turns the copying off for the rest of the text.
    void encodeCopying(std::string_view text, std::string &out, bool last)
    {
        // In blocks, so that the room made ahead stays small beside the text.
        constexpr std::size_t block = std::size_t{1} << 14;
        while (text.size() > block && asciiAsIs) {
            // Cut before a byte that no sequence before it takes in: one that is no continuation
            // byte, or one behind four continuation bytes. The block then ends its last sequence.
            std::size_t back = 0;
            while (back < 4 && isContinuation(static_cast<unsigned char>(text[block - back])))
                ++back;
            const std::size_t cut = back < 4 ? block - back : block;
            encodeBlock(text.substr(0, cut), out, true);
            text.remove_prefix(cut);
        }
        if (asciiAsIs) {
            encodeBlock(text, out, last);
        } else {
            encode(text, out, last);
        }
    }

    void encodeBlock(std::string_view text, std::string &out, bool last)
    {
        const char *p = text.data();
        const char *const end = p + text.size();
        // Room as long as the text, and when characters grow beyond that, room for twice the rest:
        // no character of four or fewer bytes becomes more than twice as long.
        constexpr std::ptrdiff_t slack = 16;
        char *w = nullptr;
        char *roomEnd = nullptr;
        const auto giveBack = [&] { out.resize(static_cast<std::size_t>(w - out.data())); };
        const auto takeRoom = [&](std::size_t times) {
            const std::size_t base = out.size();
            out.resize(base + times * static_cast<std::size_t>(end - p) + slack);
            w = out.data() + base;
            roomEnd = out.data() + out.size();
        };
        takeRoom(1);
        while (p != end) {
#if defined(__SSE2__)
            // ASCII sixteen bytes at a time, stored whole and kept as far as it goes.
            while (end - p >= 16 && roomEnd - w >= 16) {
                const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(w), block);
                const auto mask = static_cast<unsigned>(_mm_movemask_epi8(block));
                if (mask != 0) {
                    const int ascii = std::countr_zero(mask);
                    p += ascii;
                    w += ascii;
                    break;
                }
                p += 16;
                w += 16;
            }
#endif
            if (p != end && static_cast<unsigned char>(*p) < 0x80) {
                // The last few bytes, or a run met short of room.
                const char *const ascii = asciiEnd(p, end);
                if (roomEnd - w < ascii - p + slack) {
                    giveBack();
                    takeRoom(2);
                }
                std::memcpy(w, p, static_cast<std::size_t>(ascii - p));
                w += ascii - p;
                p = ascii;
            }
            while (p != end && static_cast<unsigned char>(*p) >= 0x80) {
                const auto *u = reinterpret_cast<const unsigned char *>(p);
                const auto left = static_cast<std::size_t>(end - p);
                const Decoded c = decodeBmp(u, left);
                if (c.length != 0) {
                    const Encoded &bytes = known(c, p);
                    if (bytes.length == 0) {
                        // From here on every byte goes through iconv, as the whole text would.
                        giveBack();
                        asciiAsIs = false;
                        const std::size_t rest = convert({p, left}, out, last);
                        pending.assign(end - rest, rest);
                        return;
                    }
                    if (roomEnd - w < slack) {
                        giveBack();
                        takeRoom(2);
                    }
                    std::memcpy(w, bytes.bytes.data(), bytes.bytes.size());
                    w += bytes.length;
                    p += c.length;
                    continue;
                }
                // A four-byte, broken or cut-off sequence goes through iconv by itself.
                if (!last && cutOffAtEnd(p, left)) {
                    pending.assign(p, left);
                    p = end;
                    break;
                }
                const std::size_t length = brokenLength(p, left);
                giveBack();
                convert({p, length}, out, true);
                p += length;
                takeRoom(1);
            }
        }
        giveBack();
    }

    // The known bytes of the character `c` (length 0 when it cannot be written alone).
    const Encoded &known(const Decoded &c, const char *p)
    {
        std::unique_ptr<Page> &page = pages[c.code >> 8];
        if (!page)
            page = std::make_unique<Page>();
        Encoded &known = (*page)[c.code & 0xFFu];
        if (known.length == 0) {
            if (const std::optional<Encoded> alone = encodeAlone({p, c.length}))
                known = *alone;
        }
        return known;
    }

    bool appendWhole(std::string_view text, TextBuffer &out)
    {
        if (!asciiAsIs)
            return false;
        const std::size_t start = out.size();
        const char *p = text.data();
        const char *const end = p + text.size();
        while (p != end) {
            const char *const ascii = asciiEnd(p, end);
            out.append(std::string_view(p, static_cast<std::size_t>(ascii - p)));
            p = ascii;
            while (p != end && static_cast<unsigned char>(*p) >= 0x80) {
                const auto left = static_cast<std::size_t>(end - p);
                const Decoded c = decodeBmp(reinterpret_cast<const unsigned char *>(p), left);
                if (c.length == 0) {
                    // A four-byte or broken sequence, through iconv by itself as encodeBlock sends it.
                    const std::size_t length = brokenLength(p, left);
                    std::string bytes;
                    convert({p, length}, bytes, true);
                    out.append(bytes);
                    p += length;
                    continue;
                }
                const Encoded &bytes = known(c, p);
                if (bytes.length == 0) {
                    asciiAsIs = false;
                    out.truncate(start);
                    return false;
                }
                out.append(std::string_view(bytes.bytes.data(), bytes.length));
                p += c.length;
            }
        }
        return true;
    }

    // Constants' bytes by where the constant stands; a slot taken by another keeps the later one.
    struct Constant {
        const char *text = nullptr;
        std::size_t size = 0;
        std::string bytes;
    };
    std::array<Constant, 256> constants;

    bool appendConstant(std::string_view text, TextBuffer &out)
    {
        Constant &slot = constants[(reinterpret_cast<std::uintptr_t>(text.data()) >> 3) % constants.size()];
        if (slot.text != text.data() || slot.size != text.size() || slot.text == nullptr) {
            TextBuffer bytes;
            if (!appendWhole(text, bytes))
                return false;
            slot = {text.data(), text.size(), std::string(bytes.view())};
        }
        out.append(slot.bytes);
        return true;
    }

    void encode(std::string_view text, std::string &out, bool last)
    {
        if (!pending.empty()) {
            // Complete the cut-off sequence with the continuation bytes that open this piece.
            const std::size_t need = sequenceLength(static_cast<unsigned char>(pending[0])) - pending.size();
            std::size_t k = 0;
            while (k < need && k < text.size() && isContinuation(static_cast<unsigned char>(text[k]))) {
                ++k;
            }
            pending.append(text.substr(0, k));
            text.remove_prefix(k);
            if (k < need && text.empty() && !last) {
                return; // still cut off
            }
            const std::string sequence = std::move(pending);
            pending.clear();
            if (asciiAsIs) {
                encodeCopying(sequence, out, true);
            } else {
                convert(sequence, out, true);
            }
        }
        if (asciiAsIs) {
            encodeCopying(text, out, last);
            return;
        }
        const std::size_t left = convert(text, out, last);
        pending.assign(text.substr(text.size() - left));
    }
};

Encoder::Encoder(std::string_view codePage)
{
    if (isUtf8(codePage)) {
        return;
    }
    const iconv_t cd = iconv_open(std::string(codePage).c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return;
    }
    m_converter = std::make_unique<Converter>(cd);
    m_converter->asciiAsIs = Converter(iconv_open(std::string(codePage).c_str(), "UTF-8")).copiesAscii();
    m_converter->codePage = codePage;
}

Encoder::~Encoder() = default;

void Encoder::encode(std::string_view utf8, std::string &out)
{
    if (m_converter) {
        m_converter->encode(utf8, out, false);
    } else {
        out.append(utf8);
    }
}

void Encoder::finish(std::string &out)
{
    if (!m_converter) {
        return;
    }
    if (!m_converter->pending.empty()) {
        const std::string left = std::move(m_converter->pending);
        m_converter->pending.clear();
        m_converter->convert(left, out, true);
    }
    m_converter->reset(out);
}

bool Encoder::writesPieces() const
{
    return m_converter && m_converter->asciiAsIs && m_converter->pending.empty();
}

bool Encoder::appendWhole(std::string_view utf8, TextBuffer &out)
{
    return writesPieces() && m_converter->appendWhole(utf8, out);
}

bool Encoder::appendConstant(std::string_view utf8, TextBuffer &out)
{
    return writesPieces() && m_converter->appendConstant(utf8, out);
}

std::string encodeText(std::string_view utf8, std::string_view codePage)
{
    Encoder encoder(codePage);
    std::string out;
    out.reserve(utf8.size() + 64 * 1024);
    encoder.encode(utf8, out);
    encoder.finish(out);
    return out;
}

} // namespace saxolith
