// Saving a million-row list: its text streamed to a null sink and to a file, and the code-page
// encoding beside a plain copy of the same bytes.
#include "optimise/candidate_list.h"
#include "output/encoding.h"
#include "output/list_file.h"
#include "output/safe_file.h"
#include "output/text_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

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
        row.section = static_cast<saxolith::SectionType>(i % 4);
        row.route =
            ((i / 4) % 2) == 0 ? saxolith::StrengthRoute::QpaGiven : saxolith::StrengthRoute::FrkGiven;
        row.basis = static_cast<saxolith::IntegrityBasis>(1 + (i / 8) % 2);
        row.integrityClass = static_cast<saxolith::IntegrityClass>(1 + i % 3);
        row.strength = row.route == saxolith::StrengthRoute::QpaGiven ? 3500 : 35;
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

void setBytes(benchmark::State &state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The list's text into a sink that keeps nothing.
void listTextToNullSink(benchmark::State &state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        saxolith::TextFileWriter writer(
            [&bytes](std::string_view piece) {
                bytes += piece.size();
                return true;
            },
            state.range(0) == 0 ? "UTF-8" : "GBK");
        saxolith::writeListFile(writer, million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        writer.finish();
    }
    setBytes(state, bytes);
    state.SetLabel(state.range(0) == 0 ? "UTF-8" : "GBK");
}
BENCHMARK(listTextToNullSink)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same text made whole in memory first, then encoded whole: the way of a plain string.
void listTextWholeInMemory(benchmark::State &state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        saxolith::writeListFile(out, million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        bytes = saxolith::encodeText(out.str(), "GBK").size();
    }
    setBytes(state, bytes);
}
BENCHMARK(listTextWholeInMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

const std::string &benchFile()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / "saxolith_list_bench.txt").string();
    return path;
}

// The whole save of the list in GBK, streamed through the safe write into a file.
void listFileSaved(benchmark::State &state)
{
    for (auto _ : state) {
        if (saxolith::saveListFile(benchFile(), million(), saxolith::ListFileKind::Raw, "2024/6/11 9:05:03",
                                   "GBK"))
            state.SkipWithError("write failed");
    }
    setBytes(state, std::filesystem::file_size(benchFile()));
    std::remove(benchFile().c_str());
}
BENCHMARK(listFileSaved)->Unit(benchmark::kMillisecond)->Iterations(3);

// The baseline: the file's bytes, made beforehand, through the same safe write.
void bytesSaved(benchmark::State &state)
{
    const std::string bytes = saxolith::encodeText(listText(), "GBK");
    for (auto _ : state) {
        if (saxolith::writeFileSafely(benchFile(), bytes))
            state.SkipWithError("write failed");
    }
    setBytes(state, bytes.size());
    std::remove(benchFile().c_str());
}
BENCHMARK(bytesSaved)->Unit(benchmark::kMillisecond)->Iterations(3);

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
