#include "ui/AboutBox.h"

#include "ui/Artwork.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace ui {

AboutBox::AboutBox(const ProductInfo &info, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About %1").arg(info.name));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(this);
    picture->setPixmap(artwork::logo(QSize(240, 120)));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblAboutText"));
    text->setTextFormat(Qt::RichText);
    text->setOpenExternalLinks(false);
    text->setText(QStringLiteral("<h3>%1 %2</h3><p>Converts videos for portable players and audio files.</p>"
                                 "<p>%3<br>%4</p>")
                      .arg(info.name.toHtmlEscaped(), info.version.toHtmlEscaped(), info.homePage.toHtmlEscaped(),
                           info.supportEmail.toHtmlEscaped()));
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace ui
