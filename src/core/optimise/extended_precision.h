// Long double arithmetic at its full 64-bit significand, whatever the thread was started with.
#pragma once

namespace saxolith
{

// Holds the x87 unit at 64-bit precision while it lives, then gives back what it found. The option
// series are counted in long double; Windows starts every new thread rounding x87 results to 53 bits,
// which counts some series one value longer (1 to 1.5 by 0.2 would take 1.5 as a fourth value).
class ExtendedPrecision
{
  public:
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    ExtendedPrecision()
    {
        __asm__ __volatile__("fnstcw %0" : "=m"(m_saved));
        const unsigned short extended = m_saved | precisionBits;
        __asm__ __volatile__("fldcw %0" : : "m"(extended));
    }
    ~ExtendedPrecision() { __asm__ __volatile__("fldcw %0" : : "m"(m_saved)); }

  private:
    static constexpr unsigned short precisionBits = 0x300; // the control word's precision field: 64 bits
    unsigned short m_saved = 0;
#else
    ExtendedPrecision() = default;
    ~ExtendedPrecision() = default;
#endif
  public:
    ExtendedPrecision(const ExtendedPrecision &) = delete;
    ExtendedPrecision &operator=(const ExtendedPrecision &) = delete;
};

} // namespace saxolith
