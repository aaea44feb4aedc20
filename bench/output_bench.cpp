// Saving a million-row list: its text streamed to a null sink and to a file, and the code-page
// encoding beside a plain copy of the same bytes.
#include "optimise/candidate_list.h"
#include "output/encoding.h"
#include "output/list_file.h"
#include "output/safe_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <streambuf>

namespace
{

using saxolith::CandidateList;
using saxolith::CandidateRow;

// Rows like a large run's, every route and section present.
CandidateList sampleList(std::size_t n)
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> d(160, 600);
    std::uniform_real_distribution<double> ra(2000.0, 90000.0);
    CandidateList list;
    list.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        CandidateRow row;
        row.first = d(random) * 5.0;
        row.second = d(random) * 2.0;
        row.ra = ra(random);
        row.sectionCode = static_cast<std::uint8_t>(1 + i % 4);
        row.route = static_cast<std::uint8_t>(1 + (i / 4) % 2);
        row.basis = static_cast<std::uint8_t>(1 + (i / 8) % 2);
        row.integrityClass = static_cast<std::uint8_t>(1 + i % 3);
        row.strength = row.route == 1 ? 3500 : 35;
        row.index = 0.35;
        row.psi = 0.2;
        row.qpa = 3500;
        list.append(row);
    }
    list.renumber();
    return list;
}

const CandidateList &million()
{
    static const CandidateList list = sampleList(1'000'000);
    return list;
}

const std::string &listText()
{
    static const std::string text = [] {
        std::ostringstream out;
        saxolith::writeListFile(out, million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        return out.str();
    }();
    return text;
}

// Discards everything, counting the bytes.
class NullBuffer : public std::streambuf
{
  public:
    std::size_t count = 0;

  protected:
    std::streamsize xsputn(const char *, std::streamsize n) override
    {
        count += static_cast<std::size_t>(n);
        return n;
    }
    int overflow(int c) override
    {
        ++count;
        return c;
    }
};

void setBytes(benchmark::State &state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The list's UTF-8 text into a sink that keeps nothing.
void listTextToNullSink(benchmark::State &state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        NullBuffer buffer;
        std::ostream out(&buffer);
        saxolith::writeListFile(out, million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        bytes = buffer.count;
    }
    setBytes(state, bytes);
}
BENCHMARK(listTextToNullSink)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole save of the list in GBK: text, encoding, safe write to a file.
void listFileSaved(benchmark::State &state)
{
    const std::string path = (std::filesystem::temp_directory_path() / "saxolith_list_bench.txt").string();
    for (auto _ : state) {
        std::ostringstream out;
        saxolith::writeListFile(out, million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        if (saxolith::writeFileSafely(path, saxolith::encodeText(out.str(), "GBK")))
            state.SkipWithError("write failed");
    }
    setBytes(state, std::filesystem::file_size(path));
    std::remove(path.c_str());
}
BENCHMARK(listFileSaved)->Unit(benchmark::kMillisecond)->Iterations(3);

void encodeListGbk(benchmark::State &state)
{
    const std::string &text = listText();
    for (auto _ : state)
        benchmark::DoNotOptimize(saxolith::encodeText(text, "GBK"));
    setBytes(state, text.size());
}
BENCHMARK(encodeListGbk)->Unit(benchmark::kMillisecond);

// The baseline: the same bytes copied as UTF-8.
void encodeListUtf8Copy(benchmark::State &state)
{
    const std::string &text = listText();
    for (auto _ : state)
        benchmark::DoNotOptimize(saxolith::encodeText(text, "UTF-8"));
    setBytes(state, text.size());
}
BENCHMARK(encodeListUtf8Copy)->Unit(benchmark::kMillisecond);

} // namespace
