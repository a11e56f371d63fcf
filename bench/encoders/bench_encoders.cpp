// vidcoda against ffmpeg run directly on the same conversion: wall time of
// both in paired runs, and vidcoda's own CPU time and peak memory (children
// excluded, reported by vidcoda itself through MOVAREL_ENCODER_RUSAGE_FD).
// Then a trimmed conversion, seeking the input against decoding from the
// start.
//
//   bench_encoders [pairs, default 9] [vidcoda path] [source: avi (default) or h264]
//
// The avi source is MPEG-4 video with MP3 sound; h264 is an MP4 of H.264 and
// AAC as phones write, whose first picture vidcoda also has ffprobe read.
//
// Exit code 0 when the targets are met: median wall-time ratio at most 1.03,
// at most 10 ms of vidcoda's own CPU and 5 MB of its own memory per job.

#include "encoders/core/CommandLine.h"
#include "encoders/core/FfmpegArguments.h"
#include "encoders/core/FfmpegProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int defaultPairs = 9;
constexpr double wallTarget = 1.03;
constexpr double cpuTargetMs = 10.0;
constexpr double memoryTargetKb = 5.0 * 1024.0;
// The descriptor on which vidcoda reports its own resources.
constexpr int reportDescriptor = 3;

struct Run {
    double wallSeconds = 0.0;
    int exitCode = -1;
    // CPU time of the process and all its children (ffmpeg under vidcoda).
    double jobCpuSeconds = 0.0;
    // From vidcoda's own report; zero for ffmpeg.
    double ownCpuMs = 0.0;
    long ownMaxRssKb = 0;
};

double now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

std::vector<char *> argvOf(std::vector<std::string> &words)
{
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs program with the arguments, standard output and error to /dev/null;
// with wantReport, gives the child a pipe as descriptor 3 and reads vidcoda's
// own figures from it.
Run runProgram(const std::string &program, std::vector<std::string> arguments, bool wantReport)
{
    arguments.insert(arguments.begin(), program);
    std::vector<char *> argv = argvOf(arguments);
    int report[2] = {-1, -1};
    if (wantReport && ::pipe2(report, O_CLOEXEC) != 0)
        return {};
    Run run;
    const double started = now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (wantReport) {
            ::dup2(report[1], reportDescriptor);
            ::setenv("MOVAREL_ENCODER_RUSAGE_FD", std::to_string(reportDescriptor).c_str(), 1);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    if (wantReport)
        ::close(report[1]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.wallSeconds = now() - started;
    run.jobCpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (wantReport) {
        char text[128] = {};
        const ssize_t got = ::read(report[0], text, sizeof text - 1);
        ::close(report[0]);
        long long userUs = 0;
        long long systemUs = 0;
        long maxRss = 0;
        if (got > 0 && std::sscanf(text, "%lld %lld %ld", &userUs, &systemUs, &maxRss) == 3) {
            run.ownCpuMs = double(userUs + systemUs) / 1000.0;
            run.ownMaxRssKb = maxRss;
        }
    }
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

bool makeSource(const std::string &path, bool h264)
{
    std::printf("Generating a 60-second 640x480 clip (%s)...\n",
                h264 ? "H.264 video, AAC audio in MP4" : "MPEG-4 video, MP3 audio in AVI");
    std::fflush(stdout);
    std::vector<std::string> arguments{"-v", "error", "-nostdin", "-y",
                                       "-f", "lavfi", "-i",       "testsrc=size=640x480:rate=25:duration=60",
                                       "-f", "lavfi", "-i",       "sine=frequency=440:sample_rate=44100:duration=60"};
    const std::vector<std::string> codecs =
        h264 ? std::vector<std::string>{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "128k"}
             : std::vector<std::string>{"-c:v", "mpeg4", "-q:v", "4", "-c:a", "libmp3lame", "-b:a", "128k"};
    arguments.insert(arguments.end(), codecs.begin(), codecs.end());
    arguments.push_back(path);
    return runProgram("ffmpeg", arguments, false).exitCode == 0;
}

// The command builder's video layout for an .mp4 of "Normal Quality".
std::vector<std::string> builderArguments(const std::string &input, const std::string &output)
{
    return {"-y", "-i",      input, "-vcodec", "mpeg4", "-acodec", "aac", "-b",  "128", "-s",  "320x240", "-r",
            "15", "-aspect", "4:3", "-ab",     "128",   "-vol",    "200", "-ac", "2",   "-ar", "44100",   output};
}

// ffmpeg's own arguments for the same conversion, as vidcoda builds them,
// writing straight to the file and without progress reports; seekInput
// false gives the start to ffmpeg as an output option (decode from the
// beginning, drop what lies before it).
std::vector<std::string> bareArguments(const std::vector<std::string> &builder, const std::string &output,
                                       bool seekInput = true)
{
    const encoder::EncodeRequest request = encoder::parseCommandLine(builder);
    return encoder::ffmpegArguments(request, {request.input, {}}, {encoder::fileUrl(output), {}, seekInput});
}

// A 5-second cut near the end of the source: vidcoda, which seeks the input,
// against ffmpeg decoding from the start; both must give the same length.
void measureTrim(const std::string &vidcoda, const std::string &ffmpeg, const std::string &source,
                 const std::string &folder)
{
    std::vector<std::string> arguments = builderArguments(source, folder + "/cut.mp4");
    arguments.insert(arguments.end() - 1, {"-ss", "00:00:50", "-t", "5"});
    const std::vector<std::string> decoding = bareArguments(arguments, folder + "/cut-decoded.mp4", false);
    std::vector<double> seeking;
    std::vector<double> decodingTimes;
    for (int run = 0; run < 3; ++run) {
        seeking.push_back(runProgram(vidcoda, arguments, false).wallSeconds);
        decodingTimes.push_back(runProgram(ffmpeg, decoding, false).wallSeconds);
    }
    std::printf("trim -ss 00:00:50 -t 5: vidcoda seeking the input %.3f s, ffmpeg decoding from the start %.3f s "
                "(median of 3)\n",
                median(seeking), median(decodingTimes));
    ::unlink((folder + "/cut.mp4").c_str());
    ::unlink((folder + "/cut-decoded.mp4").c_str());
}

} // namespace

int main(int argc, char **argv)
{
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultPairs;
    const std::string vidcoda = argc > 2 ? argv[2] : VIDCODA_PATH;
    const bool h264 = argc > 3 && std::strcmp(argv[3], "h264") == 0;
    const std::string ffmpeg = encoder::locateFfmpeg();
    if (ffmpeg.empty()) {
        std::fprintf(stderr, "ffmpeg not found\n");
        return 2;
    }
    char folderTemplate[] = "/tmp/bench_encoders-XXXXXX";
    const char *folder = ::mkdtemp(folderTemplate);
    if (!folder)
        return 2;
    const std::string source = std::string(folder) + (h264 ? "/source.mp4" : "/source.avi");
    const std::string viaEncoder = std::string(folder) + "/vidcoda.mp4";
    const std::string viaFfmpeg = std::string(folder) + "/ffmpeg.mp4";
    const std::string folderPath = folder;
    if (!makeSource(source, h264)) {
        std::fprintf(stderr, "could not generate the source clip\n");
        return 2;
    }
    const std::vector<std::string> encoderArguments = builderArguments(source, viaEncoder);
    const std::vector<std::string> ffmpegArguments = bareArguments(encoderArguments, viaFfmpeg);

    // One unmeasured run of each brings the source into the page cache.
    if (runProgram(vidcoda, encoderArguments, true).exitCode != 0 ||
        runProgram(ffmpeg, ffmpegArguments, false).exitCode != 0) {
        std::fprintf(stderr, "a warm-up conversion failed\n");
        return 2;
    }

    std::vector<double> ratios;
    std::vector<double> encoderWalls;
    std::vector<double> ffmpegWalls;
    std::vector<double> cpu;
    std::vector<double> cpuRatios;
    long maxRss = 0;
    std::printf("%4s %10s %10s %8s %10s %10s %10s %10s\n", "pair", "vidcoda s", "ffmpeg s", "ratio", "job CPU s",
                "ffmpeg CPU", "own CPU ms", "own RSS kB");
    for (int pair = 1; pair <= pairs; ++pair) {
        // Alternate which side runs first, so that neither gains from order.
        Run encoderRun;
        Run ffmpegRun;
        if (pair % 2) {
            encoderRun = runProgram(vidcoda, encoderArguments, true);
            ffmpegRun = runProgram(ffmpeg, ffmpegArguments, false);
        } else {
            ffmpegRun = runProgram(ffmpeg, ffmpegArguments, false);
            encoderRun = runProgram(vidcoda, encoderArguments, true);
        }
        if (encoderRun.exitCode != 0 || ffmpegRun.exitCode != 0) {
            std::fprintf(stderr, "a conversion failed (vidcoda %d, ffmpeg %d)\n", encoderRun.exitCode,
                         ffmpegRun.exitCode);
            return 2;
        }
        const double ratio = encoderRun.wallSeconds / ffmpegRun.wallSeconds;
        ratios.push_back(ratio);
        encoderWalls.push_back(encoderRun.wallSeconds);
        ffmpegWalls.push_back(ffmpegRun.wallSeconds);
        cpu.push_back(encoderRun.ownCpuMs);
        cpuRatios.push_back(encoderRun.jobCpuSeconds / ffmpegRun.jobCpuSeconds);
        maxRss = std::max(maxRss, encoderRun.ownMaxRssKb);
        std::printf("%4d %10.3f %10.3f %8.4f %10.3f %10.3f %10.2f %10ld\n", pair, encoderRun.wallSeconds,
                    ffmpegRun.wallSeconds, ratio, encoderRun.jobCpuSeconds, ffmpegRun.jobCpuSeconds,
                    encoderRun.ownCpuMs, encoderRun.ownMaxRssKb);
        std::fflush(stdout);
    }
    measureTrim(vidcoda, ffmpeg, source, folderPath);
    ::unlink(source.c_str());
    ::unlink(viaEncoder.c_str());
    ::unlink(viaFfmpeg.c_str());
    ::rmdir(folder);

    const double medianRatio = median(ratios);
    const double medianCpu = median(cpu);
    const double worstCpu = *std::max_element(cpu.begin(), cpu.end());
    std::printf("\nmedian wall: vidcoda %.3f s, ffmpeg %.3f s\n", median(encoderWalls), median(ffmpegWalls));
    std::printf("median ratio vidcoda/ffmpeg: %.4f (target <= %.2f)\n", medianRatio, wallTarget);
    std::printf("median CPU ratio, vidcoda job (with its ffmpeg) / ffmpeg: %.4f (less sensitive to other load)\n",
                median(cpuRatios));
    std::printf("vidcoda own CPU per job: median %.2f ms, worst %.2f ms (target <= %.0f ms)\n", medianCpu, worstCpu,
                cpuTargetMs);
    std::printf("vidcoda own peak memory: %ld kB (target <= %.0f kB)\n", maxRss, memoryTargetKb);
    const bool met = medianRatio <= wallTarget && worstCpu <= cpuTargetMs && double(maxRss) <= memoryTargetKb;
    std::printf("%s\n", met ? "targets met" : "targets NOT met");
    return met ? 0 : 1;
}
