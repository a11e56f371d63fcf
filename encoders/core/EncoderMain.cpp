#include "EncoderMain.h"

#include "CommandLine.h"
#include "ConversionRun.h"
#include "EncoderError.h"
#include "ResourceReport.h"
#include "ScriptInput.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace encoder {

namespace {

SourceSpec sourceOf(const EncodeRequest &request, InputKind kind)
{
    if (kind == InputKind::Script)
        return readScriptSource(request.input);
    return {request.input, {}};
}

// A program that started us and ended without ending us (killed, crashed)
// leaves nobody to read the output: we end as if asked to stop, cleaning up.
void endWithTheProgramThatStartedUs()
{
    const pid_t parent = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent)
        ::raise(SIGTERM);
}

int convert(InputKind kind, int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const EncodeRequest request = parseCommandLine(arguments);
    return runConversion(request, sourceOf(request, kind));
}

} // namespace

int encoderMain(const char *programName, InputKind kind, int argc, char **argv)
{
    int exitCode = 1;
    endWithTheProgramThatStartedUs();
    try {
        exitCode = convert(kind, argc, argv);
    } catch (const EncoderError &error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        exitCode = error.exitCode();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        exitCode = 1;
    }
    reportOwnResources();
    return exitCode;
}

} // namespace encoder
