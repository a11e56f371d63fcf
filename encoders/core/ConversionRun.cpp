#include "ConversionRun.h"

#include "AudioArguments.h"
#include "AudioExtents.h"
#include "EncoderError.h"
#include "FfmpegAttempt.h"
#include "FfmpegErrors.h"
#include "FfmpegProcess.h"
#include "PendingOutput.h"
#include "SignalWatch.h"
#include "SourceCheck.h"
#include "StatusOutput.h"
#include "StreamChoice.h"
#include "VideoRateControl.h"

#include <algorithm>

namespace encoder {

namespace {

// ffmpeg ends successfully even when the start lies beyond the input's end;
// an output without a moment of media in it is no conversion.
bool encodedSomething(const ProgressFigures &figures)
{
    return figures.frame > 0 || (figures.outputSeconds && *figures.outputSeconds > 0.0);
}

// A failed read ends ffmpeg's input as if the source ended there: what came
// out is not the source converted.
void checkSourceWasRead(const Attempt &attempt)
{
    for (const FfmpegLog *log : {&attempt.log, &attempt.feederLog}) {
        if (!log->readFailure().empty())
            throw EncoderError(describeReadFailure(*log, attempt.progress.latest().outputSeconds.value_or(0.0)),
                               attempt.exitCode != 0 ? attempt.exitCode : 1);
    }
}

// Plans and runs ffmpeg until it has finished: again without seeking when the
// input cannot seek, again with streams of its own choice when the input's
// listing asks for them or the picture came out far shorter than the output,
// again turned by the picture's own orientation when it carries one, and
// again with another sound when the chosen one cannot be decoded.
class ConversionRunner {
public:
    ConversionRunner(const EncodeRequest &request, const SourceSpec &source, const std::string &program,
                     PendingOutput &output)
        : m_request(request), m_source(source), m_program(program), m_output(output),
          m_printer(request.reportsVideo()), m_plan{fileUrl(output.pathForChild(FfmpegProcess::outputDescriptor)),
                                                    "pipe:" + std::to_string(FfmpegProcess::progressDescriptor), true}
    {
    }

    int run();

private:
    Attempt runOnce();
    bool planAgain(const Attempt &attempt);
    void chooseStreams(const InputListing &listing);
    bool chooseAudioAgain(int undecodable);
    ListingVerdict checkOwnOrientation(const InputListing &listing);
    bool startedPastTheEnd(const Attempt &attempt) const;
    bool pictureFellShort(const Attempt &attempt) const;
    CutSpan cut() const { return {m_request.start.value_or(0.0), m_request.length}; }
    [[noreturn]] void endBy(int signal);

    const EncodeRequest &m_request;
    const SourceSpec &m_source;
    const std::string &m_program;
    PendingOutput &m_output;
    SignalWatch m_signals;
    StatusPrinter m_printer;
    FfmpegPlan m_plan;
    AudioSource m_audio;
    VideoSource m_video;
    bool m_streamsChosen = false;
    InputListing m_listing;
    std::map<int, Extent> m_extents;
    std::vector<int> m_undecodable;
    // Each picture's own orientation, by stream, once read; nullopt: it has none.
    std::map<int, std::optional<Orientation>> m_ownOrientations;
};

Attempt ConversionRunner::runOnce()
{
    AttemptSetup setup{m_program,
                       ffmpegArguments(m_request, m_source, m_plan, m_audio, m_video),
                       {},
                       m_output.descriptor(),
                       m_plan.seekInput,
                       !m_streamsChosen,
                       m_request.reportsVideo(),
                       {}};
    if (m_request.reportsVideo())
        setup.checkListing = [this](const InputListing &listing) { return checkOwnOrientation(listing); };
    if (m_audio.rawAmr)
        setup.feederArguments = amrFeederArguments(m_source, m_audio);
    return runAttempt(setup, m_signals, m_printer);
}

// Whether the attempt's end calls for another one; adjusts the plan.
bool ConversionRunner::planAgain(const Attempt &attempt)
{
    switch (attempt.early) {
    case EarlyEnd::Signal:
        endBy(attempt.signal);
    case EarlyEnd::SeekFailed:
        m_plan.seekInput = false;
        return true;
    case EarlyEnd::StreamChoice:
        chooseStreams(attempt.log.input());
        return true;
    case EarlyEnd::Replan:
        return true;
    case EarlyEnd::Protected:
        return false;
    case EarlyEnd::None:
        break;
    }
    if (attempt.exitCode == 0 && !m_streamsChosen && !startedPastTheEnd(attempt) && pictureFellShort(attempt)) {
        chooseStreams(attempt.log.input());
        return true;
    }
    const int undecodable = attempt.log.undecodableStream();
    const bool soundFailed = attempt.exitCode != 0 && undecodable >= 0 && m_audio.stream == undecodable;
    return soundFailed && chooseAudioAgain(undecodable);
}

// The streams' extents are read when there are several sounds to weigh or a
// picture whose frames to count.
void ConversionRunner::chooseStreams(const InputListing &listing)
{
    m_streamsChosen = true;
    m_listing = listing;
    const bool pictures = m_request.reportsVideo() && !movingPictures(m_listing).empty();
    if (m_listing.audioStreams().size() > 1 || pictures) {
        const ExtentScan scan = scanExtents(m_program, m_source.path, m_signals);
        if (scan.signal != 0)
            endBy(scan.signal);
        m_extents = scan.extents;
    }
    if (m_request.reportsVideo()) {
        m_video = chooseVideo(m_listing, m_extents, cut()).value_or(VideoSource{});
        if (const auto known = m_ownOrientations.find(m_video.stream); known != m_ownOrientations.end())
            m_video.ownOrientation = known->second;
    }
    if (m_video.holdsEarlierFrame)
        m_plan.seekInput = false;
    chooseAudioAgain(-1);
}

bool ConversionRunner::chooseAudioAgain(int undecodable)
{
    if (undecodable >= 0)
        m_undecodable.push_back(undecodable);
    const std::optional<AudioSource> audio = chooseAudio(m_listing, m_extents, cut(), m_undecodable);
    if (!audio)
        return false;
    m_audio = *audio;
    return true;
}

// A picture that may carry its own orientation has it read once; a run that
// does not turn the picture as it says ends for one that does.
ListingVerdict ConversionRunner::checkOwnOrientation(const InputListing &listing)
{
    const ListedStream *picture = pictureInUse(listing, m_video.stream);
    if (!picture || !mayCarryOrientation(picture->codec))
        return {};
    auto known = m_ownOrientations.find(picture->index);
    if (known == m_ownOrientations.end()) {
        const OrientationProbe probe = probeOwnOrientation(m_program, m_source.path, picture->index, m_signals);
        if (probe.signal != 0)
            return {false, probe.signal};
        known = m_ownOrientations.emplace(picture->index, probe.orientation).first;
    }
    if (known->second == m_video.ownOrientation)
        return {};
    m_video.ownOrientation = known->second;
    return {true, 0};
}

// Nothing at all came out of a start past the input's end: no other stream
// would hold more.
bool ConversionRunner::startedPastTheEnd(const Attempt &attempt) const
{
    const std::optional<double> duration = attempt.log.input().duration();
    return !encodedSomething(attempt.progress.latest()) && duration && cut().start >= *duration;
}

// A picture of a few frames beside a longer sound: a rate change may drop all
// of them, or the picture stops long before the output ends.
bool ConversionRunner::pictureFellShort(const Attempt &attempt) const
{
    if (!m_request.reportsVideo() || movingPictures(attempt.log.input()).empty())
        return false;
    const ProgressFigures &figures = attempt.progress.latest();
    if (figures.frame == 0)
        return true;
    const double rate = videoTargetOf(m_request, m_source.constantRate).framesPerSecond.value_or(0.0);
    const double seconds = figures.outputSeconds.value_or(0.0);
    return rate > 0.0 && static_cast<double>(figures.frame) / rate < seconds / 2;
}

void ConversionRunner::endBy(int signal)
{
    m_output.discard();
    m_signals.dieBy(signal);
}

int ConversionRunner::run()
{
    m_printer.print(ProgressFigures{});
    Attempt attempt = runOnce();
    while (planAgain(attempt))
        attempt = runOnce();
    writeStatus("\n");
    // ffmpeg was ended as soon as it had listed the protected input.
    if (attempt.early == EarlyEnd::Protected)
        throw EncoderError(describeFailure(attempt.log, m_source.path, 1));
    checkSourceWasRead(attempt);
    if (attempt.exitCode != 0 || !attempt.log.writeFailure().empty())
        throw EncoderError(describeFailure(attempt.log, m_source.path, attempt.exitCode),
                           attempt.exitCode != 0 ? attempt.exitCode : 1);
    if (!encodedSomething(attempt.progress.latest()))
        throw EncoderError("nothing was converted: the start time lies beyond the end of \"" + m_source.path + "\"");
    m_output.commit();
    return 0;
}

} // namespace

int runConversion(const EncodeRequest &request, const SourceSpec &source)
{
    checkReadableFile(source.path, "input file");
    checkDistinct(source.path, request.output);
    const std::string program = locateFfmpeg();
    if (program.empty())
        throw EncoderError("ffmpeg was not found on this computer (install the ffmpeg package)");

    PendingOutput output(request.output, request.overwrite);
    ConversionRunner runner(request, source, program, output);
    return runner.run();
}

} // namespace encoder
