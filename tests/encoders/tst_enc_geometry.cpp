// The picture's place in the output frame: sources of every shape, rotated,
// anamorphic or with an unknown pixel aspect, come out upright and
// undistorted, centred between black bars, in a frame that displays at the
// asked ratio. Checked on a decoded frame of each output.

#include "EncoderHarness.h"
#include "tests/media/MediaTestFiles.h"
#include "tests/media/OrientedClips.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using namespace encodertest;

namespace {

// Where the source's upper half shows in the output; Unknown for a clip of
// unknown content.
enum class Upper { Top, Left, Right, Unknown };

// Each source is a white upper half over a grey lower one; the bars are
// black. Luma thresholds between them, with room for MPEG-4's ringing.
constexpr int pictureLuma = 70;
constexpr int whiteLuma = 170;
// Scaling and MPEG-4's 8x8 blocks blur the edges by about a pixel.
constexpr int edgeTolerance = 2;

const QSize frameSize(320, 240);

struct Source {
    QString name;
    QSize size;   // stored size
    QString sar;  // for setsar; "0" leaves it unknown
    int rotate;   // the display rotation tag written by a stream copy
    int rotation; // the rotation ffprobe then reports (counterclockwise)
    double shape; // the upright picture's display width / height
    Upper upper;
};

QList<Source> sources()
{
    return {
        {"plain", {320, 240}, "1/1", 0, 0, 4.0 / 3.0, Upper::Top},
        {"wide", {640, 360}, "1/1", 0, 0, 16.0 / 9.0, Upper::Top},
        {"portrait", {320, 568}, "1/1", 0, 0, 320.0 / 568.0, Upper::Top},
        {"anamorphic wide", {720, 576}, "64/45", 0, 0, 16.0 / 9.0, Upper::Top},
        {"anamorphic narrow", {720, 576}, "16/15", 0, 0, 4.0 / 3.0, Upper::Top},
        {"unknown pixel aspect", {400, 240}, "0", 0, 0, 400.0 / 240.0, Upper::Top},
        // Turned a quarter counterclockwise for display: the top goes left.
        {"rotated 90", {320, 240}, "1/1", 90, 90, 240.0 / 320.0, Upper::Left},
        {"rotated 270", {320, 240}, "1/1", 270, -90, 240.0 / 320.0, Upper::Right},
    };
}

// An H.264 phone clip, 568x320 stored, shown turned to 320x568.
const QString phoneClip = mediatest::sharedFixture("iphone_rotated.mov");

QJsonObject videoStream(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_streams", "-of", "json", path});
    ffprobe.waitForFinished(60000);
    const QJsonArray streams =
        QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object().value("streams").toArray();
    return streams.isEmpty() ? QJsonObject() : streams.first().toObject();
}

int rotationOf(const QJsonObject &stream)
{
    for (const QJsonValue &sideData : stream.value("side_data_list").toArray()) {
        const QJsonObject data = sideData.toObject();
        if (data.contains("rotation"))
            return data.value("rotation").toInt();
    }
    return 0;
}

// ffprobe's "N:D"; 0 when missing.
double ratioOf(const QString &text)
{
    const QStringList parts = text.split(':');
    if (parts.size() != 2 || parts.at(1).toDouble() == 0.0)
        return 0.0;
    return parts.at(0).toDouble() / parts.at(1).toDouble();
}

// The source as a clip of ten frames. H.264 stores no pixel aspect when it is
// unknown, where MPEG-4 would write a square one.
QString makeSource(const QString &folder, const Source &source)
{
    const QString plain = QDir(folder).filePath(QString(source.name).replace(' ', '_') + ".mp4");
    const QString picture = QStringLiteral("color=c=white:s=%1x%2:d=1:r=10,"
                                           "drawbox=x=0:y=ih/2:w=iw:h=ih/2:color=gray:t=fill,setsar=%3")
                                .arg(source.size.width())
                                .arg(source.size.height())
                                .arg(source.sar);
    const QStringList codec = source.sar == "0" ? QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p"}
                                                : QStringList{"-c:v", "mpeg4", "-q:v", "2"};
    QString error;
    if (!fixtures::runFfmpeg(QStringList{"-f", "lavfi", "-i", picture} + codec + QStringList{plain}, &error)) {
        qWarning("cannot make %s: %s", qPrintable(plain), qPrintable(error));
        return QString();
    }
    if (source.rotate == 0)
        return plain;
    // Debian's ffmpeg writes the rotation only when copying the stream.
    const QString rotated = QDir(folder).filePath(QFileInfo(plain).baseName() + "_tagged.mp4");
    if (!fixtures::runFfmpeg(
            {"-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=" + QString::number(source.rotate), rotated},
            &error)) {
        qWarning("cannot rotate %s: %s", qPrintable(plain), qPrintable(error));
        return QString();
    }
    return rotated;
}

// The first frame as a player shows it, in luma only.
struct Frame {
    QSize size;
    QByteArray luma;

    int at(int x, int y) const { return static_cast<unsigned char>(luma.at(y * size.width() + x)); }

    double mean(const QRect &area) const
    {
        double sum = 0.0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                sum += at(x, y);
        }
        return area.isEmpty() ? 0.0 : sum / (area.width() * area.height());
    }
};

// The pixels of the frame shown at `seconds`, decoded by ffmpeg.
QByteArray rawFrame(const QString &path, double seconds, const QString &pixelFormat)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-nostdin", "-ss", QString::number(seconds), "-i", path, "-frames:v", "1",
                            "-f", "rawvideo", "-pix_fmt", pixelFormat, "pipe:1"});
    ffmpeg.waitForFinished(60000);
    return ffmpeg.readAllStandardOutput();
}

Frame firstFrame(const QString &path, const QSize &size)
{
    return {size, rawFrame(path, 0.0, "gray")};
}

// The picture's extent: along the frame's middle rows for its sides, along
// its middle columns for its top and bottom (the picture is centred, so both
// cross it), averaged over a band against noise.
QRect pictureExtent(const Frame &frame)
{
    const int band = 8;
    const QSize size = frame.size;
    int left = size.width();
    int right = -1;
    for (int x = 0; x < size.width(); ++x) {
        if (frame.mean(QRect(x, size.height() / 2 - band, 1, 2 * band)) > pictureLuma) {
            left = std::min(left, x);
            right = x;
        }
    }
    int top = size.height();
    int bottom = -1;
    for (int y = 0; y < size.height(); ++y) {
        if (frame.mean(QRect(size.width() / 2 - band, y, 2 * band, 1)) > pictureLuma) {
            top = std::min(top, y);
            bottom = y;
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// The largest rectangle of the picture's display shape within the frame
// shown at displayRatio, centred.
QRect expectedExtent(const QSize &frame, double displayRatio, double shape)
{
    const double width = frame.width() * std::min(1.0, shape / displayRatio);
    const double height = frame.height() * std::min(1.0, displayRatio / shape);
    const int w = int(std::lround(width));
    const int h = int(std::lround(height));
    return QRect((frame.width() - w) / 2, (frame.height() - h) / 2, w, h);
}

QString rectText(const QRect &rect)
{
    return QString("%1x%2 at %3,%4").arg(rect.width()).arg(rect.height()).arg(rect.left()).arg(rect.top());
}

// The white half and the grey half of the picture, a few pixels in from its
// edges and its middle.
void checkUpper(const Frame &frame, const QRect &picture, Upper upper)
{
    if (upper == Upper::Unknown)
        return;
    const int inset = 4;
    const QRect inner = picture.adjusted(inset, inset, -inset, -inset);
    QRect first = inner;
    QRect second = inner;
    if (upper == Upper::Top) {
        first.setBottom(picture.center().y() - inset);
        second.setTop(picture.center().y() + inset);
    } else {
        first.setRight(picture.center().x() - inset);
        second.setLeft(picture.center().x() + inset);
    }
    const double white = frame.mean(upper == Upper::Right ? second : first);
    const double grey = frame.mean(upper == Upper::Right ? first : second);
    QVERIFY2(white > whiteLuma && grey > pictureLuma && grey < whiteLuma,
             qPrintable(QString("upper half's luma %1, lower half's %2").arg(white).arg(grey)));
}

// Checks the output: a frame of frameSize without rotation that displays at
// displayRatio, holding the picture at the expected place and orientation.
void checkOutput(const QString &output, const QSize &size, double displayRatio, const QRect &expected, Upper upper)
{
    const QJsonObject stream = videoStream(output);
    QCOMPARE(QSize(stream.value("width").toInt(), stream.value("height").toInt()), size);
    QCOMPARE(rotationOf(stream), 0);
    const double sar = ratioOf(stream.value("sample_aspect_ratio").toString());
    const double shown = size.width() * sar / size.height();
    QVERIFY2(std::abs(shown - displayRatio) < 0.01,
             qPrintable(QString("displays at %1, not %2").arg(shown).arg(displayRatio)));

    const Frame frame = firstFrame(output, size);
    QCOMPARE(frame.luma.size(), qsizetype(size.width()) * size.height());
    const QRect picture = pictureExtent(frame);
    const bool near = std::abs(picture.left() - expected.left()) <= edgeTolerance &&
                      std::abs(picture.right() - expected.right()) <= edgeTolerance &&
                      std::abs(picture.top() - expected.top()) <= edgeTolerance &&
                      std::abs(picture.bottom() - expected.bottom()) <= edgeTolerance;
    QVERIFY2(near, qPrintable("picture " + rectText(picture) + ", expected " + rectText(expected)));
    checkUpper(frame, picture, upper);
}

// A frame at `seconds` as a player shows it, in colour.
QImage frameAt(const QString &path, const QSize &size, double seconds)
{
    const QByteArray pixels = rawFrame(path, seconds, "rgb24");
    if (pixels.size() != qsizetype(size.width()) * size.height() * 3)
        return {};
    return QImage(reinterpret_cast<const uchar *>(pixels.constData()), size.width(), size.height(), size.width() * 3,
                  QImage::Format_RGB888)
        .copy();
}

QStringList encoderArguments(const QString &input, const QString &container, const QStringList &geometry,
                             const QString &output)
{
    const OutputType type = outputType(container);
    return QStringList{"-y", "-i", input} + type.codecs + QStringList{"-b", "512", "-r", "15"} + geometry +
           QStringList{"-ab", "64", "-ac", "2", "-ar", "44100"} + type.format + QStringList{output};
}

double aspectValue(const QString &aspect)
{
    const QStringList parts = aspect.split(QRegularExpression("[:/]"));
    return parts.size() == 2 ? parts.at(0).toDouble() / parts.at(1).toDouble() : aspect.toDouble();
}

} // namespace

class TestEncoderGeometry : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    QMap<QString, QString> m_paths;

    QString sourcePath(const QString &name) const { return name == "phone" ? phoneClip : m_paths.value(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_sources.isValid());
        for (const Source &source : sources()) {
            const QString path = makeSource(m_sources.path(), source);
            QVERIFY(!path.isEmpty());
            // The premises: the rotation players see, the pixel aspect kept.
            const QJsonObject stream = videoStream(path);
            QCOMPARE(rotationOf(stream), source.rotation);
            if (source.sar == "0")
                QCOMPARE(stream.value("sample_aspect_ratio").toString(), QString());
            else
                QCOMPARE(stream.value("sample_aspect_ratio").toString(), QString(source.sar).replace('/', ':'));
            m_paths.insert(source.name, path);
        }
    }

    // Every source at both ratios in both video containers, by vidcoda, and
    // by rmcoda through a script that converts the rate first.
    void fitsTheFrame_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("throughScript");
        QTest::addColumn<QString>("aspect");
        QTest::addColumn<QString>("container");
        QTest::addColumn<double>("shape");
        QTest::addColumn<int>("upper");
        QList<Source> all = sources();
        all.append({"phone", {568, 320}, "", 0, 0, 320.0 / 568.0, Upper::Unknown});
        for (const Source &source : all) {
            for (const QString aspect : {"4:3", "16:9"}) {
                for (const QString container : {".mp4", ".mov"}) {
                    QTest::addRow("%s %s %s", qPrintable(source.name), qPrintable(aspect), qPrintable(container))
                        << source.name << false << aspect << container << source.shape << int(source.upper);
                }
                const QString container = aspect == "4:3" ? ".mov" : ".mp4";
                QTest::addRow("%s %s %s script", qPrintable(source.name), qPrintable(aspect), qPrintable(container))
                    << source.name << true << aspect << container << source.shape << int(source.upper);
            }
        }
    }

    void fitsTheFrame()
    {
        QFETCH(QString, source);
        QFETCH(bool, throughScript);
        QFETCH(QString, aspect);
        QFETCH(QString, container);
        QFETCH(double, shape);
        QFETCH(int, upper);
        const QString path = sourcePath(source);
        if (!QFileInfo::exists(path))
            QSKIP("the phone clip is not on this computer");
        QTemporaryDir work;
        const QString input = throughScript ? writeScript(work.path(), path) : path;
        const QString output = work.filePath("out" + container);
        const QStringList geometry{"-s", "320x240", "-aspect", aspect};
        const Finished run =
            runEncoder(throughScript ? rmcoda() : vidcoda(), encoderArguments(input, container, geometry, output));
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
        const double ratio = aspectValue(aspect);
        checkOutput(output, frameSize, ratio, expectedExtent(frameSize, ratio, shape), Upper(upper));
    }

    // The other ways of writing the ratio, a size without a ratio (square
    // pixels) and a ratio without a size (the source's pixels, bars added).
    void otherGeometries_data()
    {
        QTest::addColumn<QStringList>("geometry");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("picture");
        QTest::newRow("ratio with a slash")
            << QStringList{"-s", "320x240", "-aspect", "16/9"} << frameSize << 16.0 / 9.0 << QRect(0, 0, 320, 240);
        QTest::newRow("ratio as a number")
            << QStringList{"-s", "320x240", "-aspect", "1.3333"} << frameSize << 1.3333 << QRect(0, 30, 320, 180);
        // yuv420p halves the chroma: the odd pixel comes from the last scaling.
        QTest::newRow("odd size") << QStringList{"-s", "321x241", "-aspect", "4:3"} << QSize(321, 241) << 4.0 / 3.0
                                  << QRect(0, 30, 321, 181);
        QTest::newRow("no ratio") << QStringList{"-s", "320x240"} << frameSize << 4.0 / 3.0 << QRect(0, 30, 320, 180);
        QTest::newRow("no size") << QStringList{"-aspect", "4:3"} << QSize(640, 480) << 4.0 / 3.0
                                 << QRect(0, 60, 640, 360);
    }

    void otherGeometries()
    {
        QFETCH(QStringList, geometry);
        QFETCH(QSize, size);
        QFETCH(double, ratio);
        QFETCH(QRect, picture);
        QTemporaryDir work;
        const QString output = work.filePath("out.mp4");
        const Finished run = runEncoder(vidcoda(), encoderArguments(m_paths.value("wide"), ".mp4", geometry, output));
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
        checkOutput(output, size, ratio, picture, Upper::Top);
    }

    // A picture turned or mirrored by H.264's own display-orientation
    // message, which only the first picture carries: every picture of the
    // output is shown as that one says, however the run reaches it. Mirrors
    // in the track header are honoured as well.
    void turnsAndMirrorsAsShown_data()
    {
        using namespace mediatest;
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("throughScript");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QList<QColor>>("quarters"); // top left, top right, bottom left, bottom right
        const QString folder = m_sources.path();
        const QStringList fit{"-s", "320x240", "-aspect", "4:3"};
        const QSize tall(180, 320);
        const QSize wide(320, 180);
        OrientedClip own;
        own.carrier = Carrier::Stream;
        own.clockwise = 90;
        const QString turned90 = makeOrientedClip(folder, "own-90.mov", own);
        const QList<QColor> shown90{BottomLeft, TopLeft, BottomRight, TopRight};
        QTest::newRow("turned 90") << turned90 << fit << false << tall << shown90;
        QTest::newRow("turned 90, from 1 s")
            << turned90 << fit + QStringList{"-ss", "00:00:01"} << false << tall << shown90;
        QTest::newRow("turned 90, through a script") << turned90 << fit << true << tall << shown90;
        own.clockwise = 270;
        QTest::newRow("turned 270, MPEG-TS")
            << asTransportStream(makeOrientedClip(folder, "own-270.mov", own)) << fit << false << tall
            << QList<QColor>{TopRight, BottomRight, TopLeft, BottomLeft};
        own.clockwise = 180;
        QTest::newRow("turned 180") << makeOrientedClip(folder, "own-180.mov", own) << fit << false << wide
                                    << QList<QColor>{BottomRight, BottomLeft, TopRight, TopLeft};
        own.clockwise = 0;
        own.mirrored = true;
        QTest::newRow("mirrored") << makeOrientedClip(folder, "own-mirrored.mov", own) << fit << false << wide
                                  << QList<QColor>{TopRight, TopLeft, BottomRight, BottomLeft};
        own.clockwise = 90;
        QTest::newRow("turned 90, mirrored") << makeOrientedClip(folder, "own-90-mirrored.mov", own) << fit << false
                                             << tall << QList<QColor>{TopLeft, BottomLeft, TopRight, BottomRight};
        // The encoder chooses the picture itself beside a cover, and reads
        // the chosen one's orientation.
        const QString withCover = QDir(folder).filePath("own-90-cover.mp4");
        const QStringList coverOptions = QStringLiteral("-f lavfi -i color=c=white:s=64x64:d=1 -frames:v:1 1 -map 0 "
                                                        "-map 1 -c:v:0 copy -c:a copy -c:v:1 png -disposition:v:1 "
                                                        "attached_pic")
                                             .split(' ');
        const bool covered = fixtures::runFfmpeg(QStringList{"-i", turned90} + coverOptions + QStringList{withCover});
        QTest::newRow("turned 90, beside a cover")
            << (covered ? withCover : QString()) << fit << false << tall << shown90;

        OrientedClip header;
        header.mirrored = true;
        QTest::newRow("header: mirrored") << makeOrientedClip(folder, "header-mirrored.mov", header) << fit << false
                                          << wide << QList<QColor>{TopRight, TopLeft, BottomRight, BottomLeft};
        header.clockwise = 270;
        QTest::newRow("header: turned 270, mirrored")
            << makeOrientedClip(folder, "header-270-mirrored.mov", header) << fit << false << tall
            << QList<QColor>{BottomRight, TopRight, BottomLeft, TopLeft};
    }

    void turnsAndMirrorsAsShown()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, options);
        QFETCH(bool, throughScript);
        QFETCH(QSize, shown);
        QFETCH(QList<QColor>, quarters);
        QVERIFY2(!source.isEmpty(), "the source could not be made");
        QTemporaryDir work;
        const QString input = throughScript ? writeScript(work.path(), source) : source;
        const QString output = work.filePath("out.mp4");
        const Finished run =
            runEncoder(throughScript ? rmcoda() : vidcoda(), encoderArguments(input, ".mp4", options, output));
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
        const QRect picture = expectedExtent(frameSize, 4.0 / 3.0, double(shown.width()) / shown.height());
        // The first picture carries the message, the later ones do not.
        for (const double seconds : {0.0, 0.9}) {
            const QImage frame = frameAt(output, frameSize, seconds);
            QVERIFY2(!frame.isNull(), qPrintable(QString("no frame at %1 s").arg(seconds)));
            const QString mismatch = mediatest::quarterMismatch(frame, picture, quarters);
            QVERIFY2(mismatch.isEmpty(), qPrintable(QString("at %1 s: %2").arg(seconds).arg(mismatch)));
        }
    }
};

QTEST_GUILESS_MAIN(TestEncoderGeometry)
#include "tst_enc_geometry.moc"
