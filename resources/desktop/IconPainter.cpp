// Writes the desktop's icon files from the program's own artwork:
//   <folder>/<N>x<N>/apps/movarel.png for every size given, and
//   <folder>/scalable/apps/movarel.svg.
// Usage: movarel_icon_painter <folder> <size>...

#include "ui/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int svgUnits = 64;

QString iconFile(const QString &folder, const QString &sizeFolder, const char *suffix)
{
    const QString apps = folder + QLatin1Char('/') + sizeFolder + QStringLiteral("/apps");
    if (!QDir().mkpath(apps))
        return {};
    return apps + QStringLiteral("/movarel.") + QLatin1String(suffix);
}

bool writePng(const QString &folder, int size)
{
    const QString file = iconFile(folder, QStringLiteral("%1x%1").arg(size), "png");
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ui::artwork::paintApplicationIcon(painter, QRectF(0, 0, size, size));
    painter.end();
    return !file.isEmpty() && image.save(file, "PNG");
}

bool writeSvg(const QString &folder)
{
    const QString file = iconFile(folder, QStringLiteral("scalable"), "svg");
    if (file.isEmpty())
        return false;
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(svgUnits, svgUnits));
    svg.setViewBox(QRect(0, 0, svgUnits, svgUnits));
    svg.setTitle(QStringLiteral("Movarel"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    ui::artwork::paintApplicationIcon(painter, QRectF(0, 0, svgUnits, svgUnits));
    return painter.end();
}

} // namespace

int main(int argc, char **argv)
{
    // A build step: no display is needed to paint into files.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: movarel_icon_painter <folder> <size>...\n");
        return 2;
    }
    const QString folder = args.at(1);
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || !writePng(folder, size)) {
            std::fprintf(stderr, "movarel_icon_painter: cannot write the %s px icon\n", qPrintable(args.at(i)));
            return 1;
        }
    }
    if (!writeSvg(folder)) {
        std::fprintf(stderr, "movarel_icon_painter: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
