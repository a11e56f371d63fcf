// The installed program: the program folder under the prefix and, for a
// system install, the launcher, menu entry, icons and AppStream data that the
// desktop reads. Installs the build into temporary DESTDIRs with cmake.

#include "../support/MediaFixtures.h"
#include "ui/Artwork.h"

#include <QDirIterator>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>

namespace {

const QString prefix = QStringLiteral("/opt/movarel");
const QString desktopPrefix = QStringLiteral(MOVAREL_DESKTOP_PREFIX);
constexpr bool systemInstall = MOVAREL_SYSTEM_INSTALL;

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &args, const QString &destDir = {})
{
    QProcess process;
    if (!destDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), destDir);
        process.setProcessEnvironment(env);
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("%1 did not run: %2").arg(program, process.errorString())};
    return {process.exitCode(), QString::fromUtf8(process.readAll()).trimmed()};
}

// cmake --install into destDir, with the extra arguments (a component).
bool install(const QString &destDir, const QStringList &extra = {})
{
    const QStringList args = QStringList{QStringLiteral("--install"), qEnvironmentVariable("MOVAREL_BUILD_DIR"),
                                         QStringLiteral("--prefix"), prefix} +
                             extra;
    const ToolRun run = runTool(QStringLiteral(MOVAREL_CMAKE_COMMAND), args, destDir);
    if (run.exitCode != 0)
        qWarning().noquote() << run.output;
    return run.exitCode == 0;
}

// Every file, link and folder below root, as paths relative to root.
QStringList entriesBelow(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

QStringList mimeTypesOf(const QString &desktopEntry)
{
    QFile entry(desktopEntry);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QByteArray key = "MimeType=";
    for (const QByteArray &line : entry.readAll().split('\n')) {
        if (line.startsWith(key))
            return QString::fromUtf8(line.mid(key.size())).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

bool sameColour(QRgb pixel, const QColor &colour)
{
    const auto near = [](int a, int b) { return qAbs(a - b) <= 8; };
    return qAlpha(pixel) >= 247 && near(qRed(pixel), colour.red()) && near(qGreen(pixel), colour.green()) &&
           near(qBlue(pixel), colour.blue());
}

// The icon's artwork: transparent corners, the accent square, the white play mark.
void verifyArtwork(const QImage &icon)
{
    const int n = icon.width();
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(n - 1, n - 1)), 0);
    QVERIFY2(sameColour(icon.pixel(n / 8, n / 2), ui::artwork::accent()), "no accent square");
    QVERIFY2(sameColour(icon.pixel(n / 2, n / 2), Qt::white), "no play mark");
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir plain_;  // cmake --install as scripts/run does it
    QTemporaryDir system_; // plus the desktop component

    QString folderIn(const QTemporaryDir &root) const { return root.path() + prefix; }
    QString shared(const QString &relative) const { return system_.path() + desktopPrefix + "/share/" + relative; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(plain_.isValid() && system_.isValid());
        QVERIFY(install(plain_.path()));
        QVERIFY(install(system_.path()));
        QVERIFY(install(system_.path(), {QStringLiteral("--component"), QStringLiteral("desktop")}));
    }

    void programFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("executable");
        QTest::newRow("program") << "movarel" << true;
        QTest::newRow("video encoder") << "vidcoda" << true;
        QTest::newRow("RealMedia encoder") << "rmcoda" << true;
        QTest::newRow("help page") << "Helpdoc.html" << false;
    }

    void programFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, executable);
        const QFileInfo file(folderIn(system_) + '/' + name);
        QVERIFY2(file.isFile(), qPrintable(file.filePath()));
        QCOMPARE(file.isExecutable(), executable);
        QVERIFY(file.size() > 0);
    }

    void configFolderIsEmpty()
    {
        const QDir config(folderIn(system_) + "/Config");
        QVERIFY(config.exists());
        QVERIFY(config.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // The portable folder holds the same program folder and, unless the
    // build is a system install, nothing else.
    void plainInstallIsTheProgramFolder()
    {
        QCOMPARE(entriesBelow(folderIn(plain_)), entriesBelow(folderIn(system_)));
        const QString folder = prefix.mid(1) + '/';
        QStringList outside;
        for (const QString &entry : entriesBelow(plain_.path())) {
            if (!folder.startsWith(entry + '/') && !entry.startsWith(folder))
                outside << entry;
        }
        if (systemInstall)
            QVERIFY(outside.contains(desktopPrefix.mid(1) + "/share/applications/movarel.desktop"));
        else
            QVERIFY2(outside.isEmpty(), qPrintable(outside.join(' ')));
    }

    void launcherLinksToTheProgram()
    {
        const std::filesystem::path launcher((system_.path() + desktopPrefix + "/bin/movarel").toStdString());
        QVERIFY(std::filesystem::is_symlink(launcher));
        QCOMPARE(QString::fromStdString(std::filesystem::read_symlink(launcher).string()), prefix + "/movarel");
    }

    void pixelIcons_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%d px", size) << size;
    }

    void pixelIcons()
    {
        QFETCH(int, size);
        const QImage icon(shared(QStringLiteral("icons/hicolor/%1x%1/apps/movarel.png").arg(size)));
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.size(), QSize(size, size));
        verifyArtwork(icon.convertToFormat(QImage::Format_ARGB32));
    }

    void scalableIconDrawsTheSameArtwork()
    {
        QSvgRenderer svg(shared(QStringLiteral("icons/hicolor/scalable/apps/movarel.svg")));
        QVERIFY(svg.isValid());
        QImage icon(512, 512, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        svg.render(&painter);
        painter.end();
        verifyArtwork(icon);
    }

    void desktopEntryValidates()
    {
        const ToolRun run =
            runTool(QStringLiteral("desktop-file-validate"), {shared(QStringLiteral("applications/movarel.desktop"))});
        QVERIFY2(run.exitCode == 0 && run.output.isEmpty(), qPrintable(run.output));
    }

    // "Open With Movarel" hands the chosen files over as paths.
    void desktopEntryTakesFiles()
    {
        QFile entry(shared(QStringLiteral("applications/movarel.desktop")));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().split('\n').contains("Exec=movarel %F"));
    }

    // The menu entry offers Movarel for the type of every accepted source
    // and for nothing that has no accepted extension.
    void desktopEntryMimeTypes_data()
    {
        QTest::addColumn<QString>("extension");
        for (const QString &extension : fixtures::acceptedExtensions())
            QTest::newRow(qPrintable(extension)) << extension;
    }

    void desktopEntryMimeTypes()
    {
        QFETCH(QString, extension);
        const QStringList listed = mimeTypesOf(shared(QStringLiteral("applications/movarel.desktop")));
        const QMimeType type = QMimeDatabase().mimeTypeForFile("clip" + extension, QMimeDatabase::MatchExtension);
        QVERIFY2(listed.contains(type.name()), qPrintable(type.name()));
    }

    void desktopEntryListsOnlyAcceptedTypes()
    {
        const QStringList listed = mimeTypesOf(shared(QStringLiteral("applications/movarel.desktop")));
        QVERIFY(!listed.isEmpty());
        const QStringList accepted = fixtures::acceptedExtensions();
        for (const QString &name : listed) {
            const QMimeType type = QMimeDatabase().mimeTypeForName(name);
            QVERIFY2(type.isValid(), qPrintable(name));
            const QStringList suffixes = type.suffixes();
            const bool fits = std::any_of(suffixes.cbegin(), suffixes.cend(),
                                          [&](const QString &suffix) { return accepted.contains('.' + suffix); });
            QVERIFY2(fits, qPrintable(name));
        }
    }

    // The AppStream data and the menu entry it launches, checked together.
    void metainfoValidates()
    {
        QVERIFY(QFileInfo::exists(shared(QStringLiteral("metainfo/%1.metainfo.xml").arg(MOVAREL_APPSTREAM_ID))));
        const ToolRun run =
            runTool(QStringLiteral("appstreamcli"), {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                                                     QStringLiteral("--no-color"), system_.path() + desktopPrefix});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
