#include "SoundPlacement.h"

namespace encoder {

namespace {

// ffmpeg's expressions keep st()/ld() registers from frame to frame. Values
// are in the filter's time base (TB), the times below in seconds.
//   0: where the previous frame's timestamps say it ended
//   1: how far this frame's stamp lies past that end
//   2: where this frame goes
//   3: where the sound placed so far ends
constexpr const char *frameLength = "S/(SR*TB)";

// Live senders drop a frame now and then, or stamp frames by a clock of their
// own; players play through such gaps, and filling each one would push the
// sound further off with every gap. A jump of a quarter second or more is
// sound that was lost: it stays a silence of its length.
constexpr const char *holeSeconds = "0.25";

// Muxers round timestamps to a clock of coarse ticks (ASF writes sound
// stamps that wander some 20 ms either way around their true place). Sound
// later than its stamp by more than this is behind the picture and is put
// back on it.
constexpr const char *lateSeconds = "0.03";

std::string placementExpression()
{
    const std::string step = "st(1,PTS-ld(0))";
    const std::string afterHole = "st(2,ld(3)+if(gte(ld(1)," + std::string(holeSeconds) + "/TB),ld(1),0))";
    // The first frame, and any frame the sound so far runs past, go on
    // their stamps.
    const std::string onStamp = "st(2,if(N*gte(PTS-ld(2),-" + std::string(lateSeconds) + "/TB),ld(2),PTS))";
    const std::string remember = "st(0,PTS+" + std::string(frameLength) + ");st(3,ld(2)+" + frameLength + ")";
    return step + ";" + afterHole + ";" + onStamp + ";" + remember + ";ld(2)";
}

} // namespace

std::string soundPlacementFilters()
{
    // The resampler then fills and cuts to those places, to the sample.
    return "asetpts='" + placementExpression() + "',aresample=async=1:min_hard_comp=0:first_pts=0";
}

} // namespace encoder
