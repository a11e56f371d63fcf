// How soon a row ends once its encoder has: each row runs a stand-in encoder
// that prints a status line every 50 ms for a few seconds, notes the moment
// it exits, and exits. The row's end is the job's Finished signal, which ends
// the row at once when its minimum run is over (it is, here). No windows.
//
//   bench_rowend [rows, default 8] [encoder seconds, default 3]
//
// Exit code 0 when every row ended within 100 ms of its encoder.

#include "Code/conversion/ConversionBatch.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 targetMs = 100;

// A shell script in the encoder's place: status lines for `seconds`, then the
// time of its end in milliseconds since the epoch, written just before it exits.
bool placeStandIn(const QString &folder, int seconds)
{
    const QString path = folder + QLatin1Char('/') + VidcodaName();
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    const QByteArray lines = QByteArray::number(seconds * 20);
    script.write("#!/bin/sh\n"
                 "i=0\n"
                 "while [ $i -lt " +
                 lines +
                 " ]; do\n"
                 "  printf 'frame=%5d q=2.0 size=   10kB time=%d.00 bitrate= 1.0kbits/s\\r' $i $((i / 20))\n"
                 "  sleep 0.05; i=$((i + 1))\n"
                 "done\n"
                 "date +%s%3N > '" +
                 QFile::encodeName(folder) + "/ended'\n");
    script.close();
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

qint64 encoderEndMs(const QString &folder)
{
    QFile ended(folder + QStringLiteral("/ended"));
    return ended.open(QIODevice::ReadOnly) ? ended.readAll().trimmed().toLongLong() : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rows = arguments.size() > 1 ? arguments.at(1).toInt() : 8;
    const int seconds = arguments.size() > 2 ? arguments.at(2).toInt() : 3;

    QTemporaryDir folder;
    QTemporaryDir outputs;
    OverrideProgramFolder(folder.path());
    if (!placeStandIn(folder.path(), seconds)) {
        std::fprintf(stderr, "cannot place the stand-in encoder\n");
        return 2;
    }
    TConversionBatch batch([](const QString &) {});
    batch.PauseBeforeStartMs = 0;
    batch.PauseAfterStartMs = 0;
    const TConversionRequest request{
        .Options = {}, .CustomProfileValue = QString(), .OutputFolderText = outputs.path()};

    QList<qint64> lateness;
    for (int row = 0; row < rows; ++row) {
        QFile::remove(folder.filePath(QStringLiteral("ended")));
        qint64 rowEndMs = -1;
        QObject::connect(&batch, &TConversionBatch::RowStarting, &batch, [&rowEndMs](const TConversionJob &job) {
            QObject::connect(&job, &TConversionJob::Finished, &job,
                             [&rowEndMs] { rowEndMs = QDateTime::currentMSecsSinceEpoch(); });
        });
        QSignalSpy finished(&batch, &TConversionBatch::Finished);
        batch.Start({{.Checked = true,
                      .FileName = QStringLiteral("/clips/row.avi"),
                      .StartTime = QStringLiteral("00:00:00"),
                      .EndTime = QStringLiteral("00:00:%1").arg(seconds, 2, 10, QLatin1Char('0'))}},
                    request);
        finished.wait(seconds * 1000 + 30000);
        QObject::disconnect(&batch, &TConversionBatch::RowStarting, &batch, nullptr);
        const qint64 endedMs = encoderEndMs(folder.path());
        if (endedMs < 0 || rowEndMs < 0) {
            std::fprintf(stderr, "row %d: the encoder or the row did not end\n", row + 1);
            return 2;
        }
        lateness.append(rowEndMs - endedMs);
        std::printf("row %d: ended %lld ms after its encoder\n", row + 1, static_cast<long long>(lateness.last()));
    }
    std::sort(lateness.begin(), lateness.end());
    std::printf("median %lld ms, longest %lld ms (target: at most %lld ms)\n",
                static_cast<long long>(lateness.at(lateness.size() / 2)), static_cast<long long>(lateness.last()),
                static_cast<long long>(targetMs));
    return lateness.last() <= targetMs ? 0 : 1;
}
