// The shape of the source tree: which layer may include which, and no circle
// between the modules of the program (a module being X.h with X.cpp and its
// X_*.cpp parts).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString sourceRoot = QStringLiteral(MOVAREL_SOURCE_DIR);

// A layer is a folder; the program is what lies in Code/ outside the two
// libraries' folders. Each layer may include these layers.
const QHash<QString, QStringList> allowedLayers{
    {"platform", {"platform"}},
    {"media", {"media", "media/probe"}},
    {"media/probe", {"media/probe"}},
    {"ui", {"ui", "Code/core"}},
    {"Code/core", {"Code/core", "platform"}},
    {"Code/conversion", {"Code/conversion", "Code/core", "platform", "media/probe"}},
    {"Code", {"Code", "Code/core", "Code/conversion", "platform", "media", "media/probe", "ui"}},
};

// The part of media/ the conversion reads its outputs back with: the probe,
// a library without windows.
const QStringList probeModules{"media/MediaProbe",    "media/StreamOrientation",   "media/PictureOrientation",
                               "media/LibavPointers", "media/DirectShowException", "media/ResultCodes"};

QString layerOf(const QString &module)
{
    if (probeModules.contains(module))
        return QStringLiteral("media/probe");
    for (const char *folder : {"Code/core/", "Code/conversion/"}) {
        if (module.startsWith(QLatin1String(folder)))
            return QString::fromLatin1(folder).chopped(1);
    }
    return module.section(QLatin1Char('/'), 0, 0);
}

struct SourceFile {
    QString path;     // relative to the root, "Code/UnitCustomProc_Batch.cpp"
    QString module;   // "Code/UnitCustomProc"
    QStringList uses; // modules it includes
};

// "Code/Unit_CommonLib_Preview.cpp" belongs to "Code/Unit_CommonLib": the
// longest name, cut at an underscore, that has a header.
QString moduleOf(const QString &relativePath)
{
    const QString module = relativePath.left(relativePath.lastIndexOf(QLatin1Char('.')));
    for (QString candidate = module;;) {
        if (QFile::exists(sourceRoot + QLatin1Char('/') + candidate + QStringLiteral(".h")))
            return candidate;
        const qsizetype cut = candidate.lastIndexOf(QLatin1Char('_'));
        if (cut <= candidate.lastIndexOf(QLatin1Char('/')))
            return module;
        candidate.truncate(cut);
    }
}

QList<SourceFile> programSources()
{
    static const QRegularExpression include(QStringLiteral("^#include \"((Code|media|ui|platform)/[^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QList<SourceFile> files;
    for (const char *layer : {"Code", "media", "ui", "platform"}) {
        QDirIterator it(sourceRoot + QLatin1Char('/') + QLatin1String(layer), {"*.h", "*.cpp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QDir(sourceRoot).relativeFilePath(it.next());
            QFile file(it.filePath());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            SourceFile source{path, moduleOf(path), {}};
            auto matches = include.globalMatch(QString::fromUtf8(file.readAll()));
            while (matches.hasNext())
                source.uses.append(moduleOf(matches.next().captured(1)));
            files.append(source);
        }
    }
    return files;
}

// A circle through `module`, as "a -> b -> a"; empty when there is none.
QString circleFrom(const QString &module, const QHash<QString, QSet<QString>> &edges, QStringList &path,
                   QSet<QString> &done)
{
    if (path.contains(module))
        return (path.mid(path.indexOf(module)) << module).join(QStringLiteral(" -> "));
    if (done.contains(module))
        return QString();
    path.append(module);
    for (const QString &next : edges.value(module)) {
        const QString circle = circleFrom(next, edges, path, done);
        if (!circle.isEmpty())
            return circle;
    }
    path.removeLast();
    done.insert(module);
    return QString();
}

} // namespace

class TestModules : public QObject {
    Q_OBJECT

    QList<SourceFile> m_sources;

private Q_SLOTS:
    void initTestCase()
    {
        m_sources = programSources();
        QVERIFY(m_sources.size() > 50);
    }

    void noCircleBetweenModules()
    {
        QHash<QString, QSet<QString>> edges;
        for (const SourceFile &source : m_sources) {
            for (const QString &used : source.uses) {
                if (used != source.module)
                    edges[source.module].insert(used);
            }
        }
        QSet<QString> done;
        for (auto it = edges.cbegin(); it != edges.cend(); ++it) {
            QStringList path;
            const QString circle = circleFrom(it.key(), edges, path, done);
            QVERIFY2(circle.isEmpty(), qPrintable(circle));
        }
    }

    // platform and media stand alone (the probe without windows), ui draws the core's values, the core
    // and the conversion need no window.
    void layersIncludeOnlyWhatTheyMay()
    {
        for (const SourceFile &source : m_sources) {
            const QString layer = layerOf(source.module);
            const QStringList allowed = allowedLayers.value(layer);
            for (const QString &used : source.uses) {
                QVERIFY2(allowed.contains(layerOf(used)),
                         qPrintable(source.path + QStringLiteral(" includes ") + used));
            }
        }
    }

    // Every folder of the program's code is a layer the rules know.
    void everyFolderIsALayer()
    {
        for (const SourceFile &source : m_sources) {
            const QString folder = source.path.left(source.path.lastIndexOf(QLatin1Char('/')));
            QVERIFY2(allowedLayers.contains(folder), qPrintable(source.path));
        }
    }
};

QTEST_GUILESS_MAIN(TestModules)
#include "tst_modules.moc"
