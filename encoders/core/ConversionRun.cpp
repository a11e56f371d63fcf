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
// input cannot seek, again with a sound of its own choice when the input's
// listing asks for one, and again with another sound when the chosen one
// cannot be decoded.
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
    bool chooseAudioAgain(int undecodable);
    [[noreturn]] void endBy(int signal);

    const EncodeRequest &m_request;
    const SourceSpec &m_source;
    const std::string &m_program;
    PendingOutput &m_output;
    SignalWatch m_signals;
    StatusPrinter m_printer;
    FfmpegPlan m_plan;
    AudioSource m_audio;
    bool m_audioChosen = false;
    InputListing m_listing;
    std::map<int, Extent> m_extents;
    std::vector<int> m_undecodable;
};

Attempt ConversionRunner::runOnce()
{
    AttemptSetup setup{m_program,
                       ffmpegArguments(m_request, m_source, m_plan, m_audio),
                       {},
                       m_output.descriptor(),
                       m_plan.seekInput,
                       !m_audioChosen};
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
    case EarlyEnd::AudioChoice: {
        m_audioChosen = true;
        m_listing = attempt.log.input();
        if (m_listing.audioStreams().size() > 1) {
            const AudioScan scan = scanAudioExtents(m_program, m_source.path, m_signals);
            if (scan.signal != 0)
                endBy(scan.signal);
            m_extents = scan.extents;
        }
        return chooseAudioAgain(-1);
    }
    case EarlyEnd::None:
        break;
    }
    const int undecodable = attempt.log.undecodableStream();
    const bool soundFailed = attempt.exitCode != 0 && undecodable >= 0 && m_audio.stream == undecodable;
    return soundFailed && chooseAudioAgain(undecodable);
}

bool ConversionRunner::chooseAudioAgain(int undecodable)
{
    if (undecodable >= 0)
        m_undecodable.push_back(undecodable);
    const std::optional<AudioSource> audio =
        chooseAudio(m_listing, m_extents, {m_request.start.value_or(0.0), m_request.length}, m_undecodable);
    if (!audio)
        return false;
    m_audio = *audio;
    return true;
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
