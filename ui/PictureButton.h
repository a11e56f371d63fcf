#pragma once

#include "ui/Artwork.h"

#include <QAbstractButton>

namespace ui {

// A flat button painted by the program: a glyph, optionally a caption below
// or beside it, and a highlight while the mouse is over it.
class PictureButton : public QAbstractButton {
    Q_OBJECT

public:
    PictureButton(artwork::Glyph glyph, const QString &caption, QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    artwork::Glyph m_glyph;
    bool m_hover = false;
};

} // namespace ui
