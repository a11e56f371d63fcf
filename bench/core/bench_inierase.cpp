// How long deleting a custom profile takes when its section is large:
// TIniFile32::EraseSection on a file whose middle section holds many lines,
// the write of the file included.
//
//   bench_inierase [lines ...] (default 100000 200000)
//
// Exit code 0 when every erase takes at most 500 ms.

#include "Code/core/IniFiles32.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr double targetMs = 500.0;

QByteArray fileWithSection(int lines)
{
    QByteArray content("\r\n[Before]\r\nk=1\r\n\r\n[Large]\r\n");
    for (int i = 0; i < lines; ++i)
        content += "key" + QByteArray::number(i) + "=1|2|3|4|5|6\r\n";
    content += "\r\n[After]\r\nk=1\r\n";
    return content;
}

// Milliseconds for one erase, or a negative value when the file came out wrong.
double eraseMs(const QString &fileName, int lines)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(fileWithSection(lines)) < 0)
        return -1.0;
    file.close();
    TIniFile32 ini(fileName);
    QElapsedTimer timer;
    timer.start();
    ini.EraseSection(QStringLiteral("Large"));
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return TIniFile32(fileName).Lines().size() == 7 ? ms : -1.0;
}

} // namespace

int main(int argc, char **argv)
{
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {100000, 200000};
    QTemporaryDir dir;
    bool met = dir.isValid();
    for (const int lines : sizes) {
        const double ms = eraseMs(dir.filePath(QStringLiteral("profiles.ini")), lines);
        std::printf("%8d lines: %s %.1f ms\n", lines, ms < 0 ? "WRONG RESULT" : "erased in", ms);
        met = met && ms >= 0 && ms <= targetMs;
    }
    std::printf("target (at most %.0f ms each): %s\n", targetMs, met ? "met" : "missed");
    return met ? 0 : 1;
}
