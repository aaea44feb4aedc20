// Saving a million-row list, each measure against a baseline in the same run: the whole save
// against writing its bytes made beforehand, the code-page encoding against copying the same
// bytes, the GBK text against the UTF-8 text.
#include "allocation_meter.h"
#include "against_baseline.h"

#include "core/optimise/candidate_list.h"
#include "core/save/encoding.h"
#include "core/optimise/list_file.h"
#include "core/save/safe_file.h"
#include "core/save/text_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
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

constexpr const char *timeText = "2024/6/11 9:05:03";

const std::string &listText()
{
    static const std::string text = [] {
        std::ostringstream out;
        saxolith::writeListFile(out, million(), saxolith::ListFileKind::Raw, timeText);
        return out.str();
    }();
    return text;
}

void setBytes(benchmark::State &state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

const std::string &benchFile()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / "saxolith_list_bench.txt").string();
    return path;
}

// The whole save of the list in GBK, streamed through the safe write into a file, against the
// same safe write of the file's bytes made beforehand. Memory: the most the save holds beyond the
// list.
void listFileSaved(benchmark::State &state)
{
    const std::string bytes = saxolith::encodeText(listText(), "GBK");
    std::size_t peak = 0;
    against_baseline::run(
        state, "writing the bytes",
        [&] {
            const std::size_t from = allocation_meter::start();
            const double s = against_baseline::seconds([&] {
                if (saxolith::saveListFile(benchFile(), million(), saxolith::ListFileKind::Raw, timeText, "GBK"))
                    state.SkipWithError("write failed");
            });
            peak = std::max(peak, allocation_meter::above(from));
            return s;
        },
        [&] {
            return against_baseline::seconds([&] {
                if (saxolith::saveFile(benchFile(), bytes))
                    state.SkipWithError("write failed");
            });
        });
    setBytes(state, std::filesystem::file_size(benchFile()));
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    std::remove(benchFile().c_str());
}
BENCHMARK(listFileSaved)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The list's text streamed into a sink that keeps nothing: in GBK against UTF-8.
void listTextToNullSink(benchmark::State &state)
{
    std::size_t bytes = 0;
    const auto stream = [&](const char *codePage) {
        return against_baseline::seconds([&] {
            bytes = 0;
            saxolith::TextFileWriter writer(
                [&bytes](std::string_view piece) {
                    bytes += piece.size();
                    return true;
                },
                codePage);
            saxolith::writeListFile(writer, million(), saxolith::ListFileKind::Raw, timeText);
            writer.finish();
        });
    };
    against_baseline::run(
        state, "the UTF-8 text", [&] { return stream("GBK"); }, [&] { return stream("UTF-8"); });
    setBytes(state, bytes);
}
BENCHMARK(listTextToNullSink)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The encoder as the file writer uses it, 1 MB of text at a time into the same buffer, against
// copying the same pieces into it.
void encodePiecesGbk(benchmark::State &state)
{
    const std::string &text = listText();
    std::string out;
    out.reserve(saxolith::TextFileWriter::bufferSize * 2);
    const auto pieces = [&](auto &&each) {
        for (std::size_t at = 0; at < text.size(); at += saxolith::TextFileWriter::bufferSize)
            each(std::string_view(text).substr(at, saxolith::TextFileWriter::bufferSize));
    };
    against_baseline::run(
        state, "copying the pieces",
        [&] {
            return against_baseline::seconds([&] {
                saxolith::Encoder encoder("GBK");
                pieces([&](std::string_view piece) {
                    out.clear();
                    encoder.encode(piece, out);
                    benchmark::DoNotOptimize(out.data());
                });
            });
        },
        [&] {
            return against_baseline::seconds([&] {
                pieces([&](std::string_view piece) {
                    out.assign(piece);
                    benchmark::DoNotOptimize(out.data());
                });
            });
        });
    setBytes(state, text.size());
}
BENCHMARK(encodePiecesGbk)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole text encoded into a new string, against the same text passed through as UTF-8.
void encodeListGbk(benchmark::State &state)
{
    const std::string &text = listText();
    against_baseline::run(
        state, "UTF-8 copy",
        [&] { return against_baseline::seconds([&] { benchmark::DoNotOptimize(saxolith::encodeText(text, "GBK")); }); },
        [&] {
            return against_baseline::seconds([&] { benchmark::DoNotOptimize(saxolith::encodeText(text, "UTF-8")); });
        });
    setBytes(state, text.size());
}
BENCHMARK(encodeListGbk)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
