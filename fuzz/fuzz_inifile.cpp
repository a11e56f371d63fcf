// The INI store reading a file of any content, then writing to it: lookups
// never fail, what is written is read back, and the file on disk always
// holds the lines in memory.

#include "FuzzEntry.h"

#include "Code/core/IniFiles32.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Every write ends in an fsync: on a memory file system that costs nothing,
// on a disk it slows fuzzing down to a few dozen inputs a second.
const QString &scratchFile()
{
    static const QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                          ? QStringLiteral("/dev/shm/movarel-fuzz-XXXXXX")
                                          : QDir::tempPath() + QStringLiteral("/movarel-fuzz-XXXXXX"));
    static const QString file = folder.filePath(QStringLiteral("fuzz.ini"));
    return file;
}

void writeRaw(const QString &fileName, std::string_view bytes)
{
    QFile file(fileName);
    fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file opens");
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool diskMatches(const TIniFile32 &ini)
{
    return TIniFile32(ini.FileName()).Lines() == ini.Lines();
}

// A name of letters and digits taken from the input's last bytes, so that it
// sometimes meets a section of the file.
QString nameFrom(std::string_view text)
{
    QString name(QStringLiteral("S"));
    for (auto at = text.rbegin(); at != text.rend() && name.size() < 4; ++at) {
        if ((*at >= 'a' && *at <= 'z') || (*at >= 'A' && *at <= 'Z') || (*at >= '0' && *at <= '9'))
            name.append(QLatin1Char(*at));
    }
    return name;
}

void readEverything(const TIniFile32 &ini)
{
    QStringList sections;
    ini.ReadSections(&sections);
    int headers = 0;
    for (const QByteArray &line : ini.Lines())
        headers += TIniFile32::IsSectionLine(line) ? 1 : 0;
    fuzz::check(sections.size() == headers, "ReadSections lists every header line");
    // A few sections and keys: every lookup scans the whole file.
    for (qsizetype i = 0; i < sections.size() && i < 8; ++i) {
        for (qsizetype line = 0; line < ini.Lines().size() && line < 64; ++line) {
            const QString key = QString::fromUtf8(TIniFile32::KeyOfLine(ini.Lines().at(line)));
            ini.ReadString(sections.at(i), key, QString());
            ini.ReadInteger(sections.at(i), key, 0);
        }
    }
}

void writeAndReadBack(TIniFile32 &ini, const QString &section, int number)
{
    ini.WriteString(section, QStringLiteral("key"), QStringLiteral("a value"));
    fuzz::check(ini.ReadString(section, QStringLiteral("key"), QString()) == QStringLiteral("a value"),
                "a written string reads back");
    ini.WriteInteger(section, QStringLiteral("n"), number);
    fuzz::check(ini.ReadInteger(section, QStringLiteral("n"), number == 0 ? 1 : 0) == number,
                "a written integer reads back");
    fuzz::check(diskMatches(ini), "the file holds what was written");
}

void eraseFirstSection(TIniFile32 &ini)
{
    QStringList before;
    ini.ReadSections(&before);
    if (before.isEmpty() || ini.IndexOfSection(before.first()) < 0)
        return;
    ini.EraseSection(before.first());
    QStringList after;
    ini.ReadSections(&after);
    fuzz::check(after.size() == before.size() - 1, "erasing removes exactly one header");
    fuzz::check(diskMatches(ini), "the file holds what is left after erasing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text = fuzz::textOf(data, size);
    writeRaw(scratchFile(), text);
    TIniFile32 ini(scratchFile());
    readEverything(ini);
    int number = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i)
        number = static_cast<int>((static_cast<unsigned>(number) << 8) | data[i]);
    writeAndReadBack(ini, nameFrom(text), number);
    eraseFirstSection(ini);
    return 0;
}
