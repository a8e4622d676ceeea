#pragma once
// Which streams of a task can be copied as they are instead of re-encoded: a stream is copied
// when it already meets every rule the profile (or, for BLURAY and AVCHD, the disc) sets and the
// task asks for nothing that needs decoding. Each decision says why, for the Properties dialog
// and the command line.

#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/probed_source.h"
#include "reelvane/conversion/run_observer.h"

#include <string>
#include <vector>

namespace reelvane {

// Where the copied streams go: through the engine into the profile's format, or straight to the
// disc author, which also takes the disc's LPCM.
enum class CopyTarget { Engine, DiscAuthor };

struct StreamPlan {
    std::vector<StreamDecision> streams; // the mapped video stream first, then the chosen audio
    bool CopiesVideo() const;
    // The first chosen audio track, which the profile's audio options apply to.
    bool CopiesAudio() const;
    // Every chosen stream is copied (and at least one is chosen).
    bool CopiesEverything() const;
};

// The decisions for `task`; with copying off every stream is encoded.
StreamPlan PlanStreams(const PerFileTask& task, bool copyFitting, CopyTarget target = CopyTarget::Engine);

// The profile record and Para text the engine gets when the plan copies streams: the copied
// kind's codec becomes "copy" and the options that only an encoder takes are left out.
ProfileSettings CopySettings(const ProfileSettings& settings, const StreamPlan& plan);

// The facts of stream `index`, or null when the probe has none.
const StreamFacts* FactsOf(const ProbedSource& probed, int index);

// True when the disc author reads this source itself (Matroska or MPEG transport stream).
bool DiscAuthorReads(const ProbedSource& probed);

// "copy" or "encode".
const char* ActionName(StreamAction action);

} // namespace reelvane
