#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

// The program's artwork, drawn at run time so that it needs no image files.
namespace ui::artwork {

enum class Glyph {
    Play,
    Pause,
    Stop,
    Add,
    Remove,
    Clear,
    Convert,
    Options,
    Folder,
    Home,
    Email,
    About,
    Minimize,
    Close,
    Help,
};

QPixmap glyph(Glyph glyph, int size, const QColor &colour);
QIcon applicationIcon();
// The application icon's artwork scaled into rect, for the window icon and the
// desktop's icon files alike.
void paintApplicationIcon(QPainter &painter, const QRectF &rect);
// The picture shown in the video window while no video is visible.
QPixmap logo(const QSize &size);

// Colours of the painted windows.
QColor windowBackground();
QColor titleStrip();
QColor accent();

} // namespace ui::artwork
