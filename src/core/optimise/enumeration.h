// The optimisation run: every combination of the option series, each evaluated by the calculate command.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/capacity/calculation.h"
#include "core/texts/input.h"
#include "core/optimise/candidate_list.h"
#include "core/optimise/value_series.h"

namespace saxolith
{

// Runs beyond this many candidates are refused before anything is evaluated.
inline constexpr std::uint64_t candidateLimit = 2'000'000;

enum class RunEnd {
    Completed,         // rows numbered ZH-…, summary shown
    NoCandidate,       // "调整优化项重新计算"
    CheckFailed,       // an option check: red message
    ConversionFailure, // an option text does not read: error box
    Refused,           // the calculate command refused a candidate: rows so far kept
    TooMany,           // more than candidateLimit candidates: red message, nothing evaluated
};

// Called every few thousand candidates with (done, total).
using RunProgress = std::function<void(std::uint64_t, std::uint64_t)>;

struct RunResult {
    RunEnd end = RunEnd::Completed;
    CandidateList rows;
    // Status of the optimisation screen; empty text when the run leaves it empty.
    std::string statusText;
    Argb statusColour = colour::black;
    std::string errorBoxText; // ConversionFailure
    // The input screen as the run leaves it (the last evaluated or the refused candidate);
    // unset when no candidate was written.
    std::optional<CalculationInput> finalInput;
    // What the calculate command made of that candidate: why a refused candidate was refused.
    std::optional<CalculationOutcome> finalOutcome;
};

// The refusal of a run whose options ask for more than candidateLimit candidates (RunEnd::TooMany),
// decided before the screen throws anything away; nothing when the options read otherwise.
std::optional<RunResult> sizeRefusal(const OptionTexts &options);

// The whole run from the option texts and the input screen's current state.
RunResult runEnumeration(const OptionTexts &options, const CalculationInput &current,
                         const RunProgress &progress = {});

} // namespace saxolith
