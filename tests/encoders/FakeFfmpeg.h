#pragma once

// A stand-in "ffmpeg" put first on PATH, for what real ffmpeg does not do on
// demand: fail with a code of its own, report rising times at a set pace, stay
// silent for a while, hang without ever touching its pipes, or let another
// program put its file at FAKE_FFMPEG_RIVAL while it runs. FAKE_FFMPEG_MODE
// picks the behaviour; it writes its process id to FAKE_FFMPEG_PIDFILE and its
// output to the last argument.

#include "EncoderHarness.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

namespace encodertest {

inline constexpr char fakeFfmpegScript[] = R"(#!/bin/sh
for argument; do last=$argument; done
output=${last#file:}
echo $$ > "$FAKE_FFMPEG_PIDFILE"
case "$FAKE_FFMPEG_MODE" in
fail)
    printf 'partial' > "$output"
    echo '[error] fake: the encoder broke down' >&2
    exit 42 ;;
rising)
    for micro in N/A 0 600000 1200000 1800000 2400000; do
        printf 'frame=3\nstream_0_0_q=2.0\ntotal_size=2048\nout_time_us=%s\nprogress=continue\n' "$micro" >&3
        sleep 0.05
    done
    printf 'frame=4\nstream_0_0_q=2.0\ntotal_size=4096\nout_time_us=3000000\nprogress=end\n' >&3
    printf 'data' > "$output" ;;
hang)
    exec sleep 60 ;;
rival)
    printf 'rival' > "$FAKE_FFMPEG_RIVAL.new"
    mv -f "$FAKE_FFMPEG_RIVAL.new" "$FAKE_FFMPEG_RIVAL"
    printf 'frame=1\nstream_0_0_q=2.0\ntotal_size=1024\nout_time_us=1000000\nprogress=end\n' >&3
    printf 'data' > "$output" ;;
quiet)
    sleep 1.6
    printf 'frame=1\nstream_0_0_q=2.0\ntotal_size=1024\nout_time_us=1000000\nprogress=end\n' >&3
    printf 'data' > "$output" ;;
esac
)";

// Installs the stand-in in folder; returns an environment that finds it.
inline QProcessEnvironment fakeFfmpegEnvironment(const QString &folder, const QString &mode)
{
    writeProgram(QDir(folder).filePath("ffmpeg"), fakeFfmpegScript);
    QProcessEnvironment environment = withProgramsFrom(folder);
    environment.insert("FAKE_FFMPEG_MODE", mode);
    environment.insert("FAKE_FFMPEG_PIDFILE", QDir(folder).filePath("pid"));
    return environment;
}

inline qint64 fakeFfmpegPid(const QString &folder)
{
    QFile file(QDir(folder).filePath("pid"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

} // namespace encodertest
