#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The program's own INI reader and writer. The whole file is held as lines
// and written back after every change, so the disk always matches memory.
// Lines are kept as the file's bytes; texts cross the interface as UTF-8.
class TIniFile32 {
public:
    // Loads the file when it exists; a missing file starts empty.
    // Throws EFOpenError when the file exists but cannot be read.
    explicit TIniFile32(const QString &fileName);

    const QString &FileName() const { return m_fileName; }
    const QList<QByteArray> &Lines() const { return m_lines; }

    void LoadFile();
    // Throws EFCreateError when the file cannot be created or replaced; the
    // file then keeps its old content.
    void UpdateFile() const;

    int IndexOfSection(const QString &section) const;
    static bool IsSectionLine(const QByteArray &line);
    static QByteArray KeyOfLine(const QByteArray &line);
    static QByteArray ValueOfLine(const QByteArray &line, const QByteArray &key);

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // Throws EAssertionFailed when no list is given.
    void ReadSections(QStringList *sections) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void EraseSection(const QString &section);

private:
    QString m_fileName;
    QList<QByteArray> m_lines;
};
