// The batch command line from any arguments: understood or refused with a reason, never both, and
// what is understood is what was asked.
#include "fuzz_check.h"
#include "core/schedule/batch_options.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    static const char *const words[] = {"--out", "--encoding", "--pdf", "--xlsx", "--template", "--version",
                                        "--help", "-h", "gbk", "UTF-8", "piles.csv", "--out=", "-", "--",
                                        "--project", "--report", "pdf", "docx", "--project-name", "--concrete",
                                        "C35", "--psic", "--gamma", "0.7", "1.35"};
    std::vector<std::string> arguments;
    while (in.remaining_bytes() > 0 && arguments.size() < 16) {
        if (in.ConsumeBool()) {
            arguments.emplace_back(words[in.ConsumeIntegralInRange<std::size_t>(0, std::size(words) - 1)]);
        } else {
            arguments.push_back(in.ConsumeRandomLengthString(40));
        }
    }
    BatchOptions options;
    const std::optional<std::string> error = parseBatchOptions(arguments, options);
    if (error) {
        require(!error->empty(), "a refusal says why");
        return 0;
    }
    require(options.help || options.version || options.templateWanted || !options.schedule.empty() ||
                std::find(arguments.begin(), arguments.end(), "") != arguments.end(),
            "a run names its schedule");
    require(!options.codePage || *options.codePage == "GBK" || *options.codePage == "UTF-8",
            "the book's code page is one of two");
    return 0;
}
