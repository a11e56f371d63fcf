#include "Code/core/IniFiles32.h"

#include "Code/core/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cctype>
#include <limits>

namespace {

QByteArray trimmed(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text.at(begin)) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text.at(end - 1)) <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

// A line ends at CR, LF or CR LF; a final line break adds no empty line.
QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.append(content.mid(start));
    return lines;
}

// Optional sign, then decimal digits, or hexadecimal digits after "$", "x" or "X".
bool toInt32(const QByteArray &text, int &result)
{
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text.at(at) == '+' || text.at(at) == '-')) {
        negative = text.at(at) == '-';
        ++at;
    }
    int base = 10;
    if (at < text.size() && (text.at(at) == '$' || text.at(at) == 'x' || text.at(at) == 'X')) {
        base = 16;
        ++at;
    }
    const QByteArray digits = text.mid(at);
    if (digits.isEmpty())
        return false;
    for (char c : digits) {
        const bool ok = base == 10 ? (c >= '0' && c <= '9') : std::isxdigit(static_cast<unsigned char>(c)) != 0;
        if (!ok)
            return false;
    }
    bool ok = false;
    if (base == 16) {
        // Up to eight hexadecimal digits fill the 32 bits, as "$FFFFFFFF" is -1.
        const qulonglong bits = digits.toULongLong(&ok, 16);
        if (!ok || bits > 0xFFFFFFFFull)
            return false;
        const qint64 value = static_cast<qint32>(static_cast<quint32>(bits));
        result = static_cast<int>(negative ? -value : value);
        return true;
    }
    const qlonglong value = digits.toLongLong(&ok, 10);
    const qlonglong signedValue = negative ? -value : value;
    if (!ok || signedValue < std::numeric_limits<qint32>::min() || signedValue > std::numeric_limits<qint32>::max())
        return false;
    result = static_cast<int>(signedValue);
    return true;
}

} // namespace

TIniFile32::TIniFile32(const QString &fileName) : m_fileName(fileName)
{
    if (QFileInfo::exists(m_fileName))
        LoadFile();
}

void TIniFile32::LoadFile()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(m_fileName, file.errorString()));
    m_lines = splitLines(file.readAll());
}

void TIniFile32::UpdateFile() const
{
    const QFileInfo info(m_fileName);
    // A write-protected file stays as it is, even where its folder would let
    // us replace it.
    if (info.exists() && !info.isWritable())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". Permission denied").arg(m_fileName));
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_fileName, file.errorString()));
    QByteArray content;
    for (const QByteArray &line : m_lines) {
        content += line;
        content += "\r\n";
    }
    if (file.write(content) != content.size() || !file.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_fileName, file.errorString()));
}

int TIniFile32::IndexOfSection(const QString &section) const
{
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    for (int i = 0; i < m_lines.size(); ++i) {
        if (QString::fromUtf8(m_lines.at(i)).compare(header, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool TIniFile32::IsSectionLine(const QByteArray &line)
{
    const QByteArray text = trimmed(line);
    return !text.isEmpty() && text.startsWith('[') && text.endsWith(']');
}

QByteArray TIniFile32::KeyOfLine(const QByteArray &line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return QByteArray();
    return trimmed(line.left(equals));
}

QByteArray TIniFile32::ValueOfLine(const QByteArray &line, const QByteArray &key)
{
    if (line.isEmpty() || key.isEmpty())
        return QByteArray();
    const qsizetype keyAt = line.indexOf(key);
    const qsizetype equals = line.indexOf('=');
    if (keyAt < 0 || equals <= keyAt)
        return QByteArray();
    return trimmed(line.mid(equals + 1));
}

QString TIniFile32::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const int header = m_lines.isEmpty() ? -1 : IndexOfSection(section);
    if (header < 0)
        return defaultValue;
    const QByteArray wanted = key.toUtf8();
    for (int i = header + 1; i < m_lines.size() && !IsSectionLine(m_lines.at(i)); ++i) {
        if (KeyOfLine(m_lines.at(i)) != wanted)
            continue;
        const QByteArray value = ValueOfLine(m_lines.at(i), wanted);
        return value.isEmpty() ? defaultValue : QString::fromUtf8(value);
    }
    return defaultValue;
}

int TIniFile32::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    QByteArray text = ReadString(section, key, QString()).toUtf8();
    if (text.size() > 2 && text.at(0) == '0' && (text.at(1) == 'x' || text.at(1) == 'X'))
        text.replace(0, 2, "$");
    int value = 0;
    return toInt32(text, value) ? value : defaultValue;
}

void TIniFile32::ReadSections(QStringList *sections) const
{
    if (!sections)
        throw EAssertionFailed(QStringLiteral("Param Strings must be assigned (IniFiles32)"));
    QStringList names;
    for (const QByteArray &line : m_lines) {
        if (!IsSectionLine(line))
            continue;
        const QByteArray text = trimmed(line);
        names.append(QString::fromUtf8(trimmed(text.mid(1, text.size() - 2))));
    }
    // One assignment, so whoever watches the list sees one change.
    *sections = names;
}

void TIniFile32::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray line = keyBytes + '=' + value.toUtf8();
    const int header = IndexOfSection(section);
    if (header < 0) {
        m_lines.append(QByteArray());
        m_lines.append('[' + section.toUtf8() + ']');
        if (!keyBytes.isEmpty())
            m_lines.append(line);
    } else if (!keyBytes.isEmpty()) {
        int at = header + 1;
        while (at < m_lines.size() && !IsSectionLine(m_lines.at(at)) && KeyOfLine(m_lines.at(at)) != keyBytes)
            ++at;
        if (at < m_lines.size() && !IsSectionLine(m_lines.at(at)))
            m_lines[at] = line;
        else
            m_lines.insert(at, line);
    }
    UpdateFile();
}

void TIniFile32::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile32::EraseSection(const QString &section)
{
    const int header = IndexOfSection(section);
    if (header < 0)
        return;
    // The header and its body leave in one step: line by line is quadratic.
    qsizetype end = header + 1;
    while (end < m_lines.size() && !IsSectionLine(m_lines.at(end)))
        ++end;
    m_lines.remove(header, end - header);
    if (header > 0)
        m_lines.insert(header, QByteArray());
    UpdateFile();
}
