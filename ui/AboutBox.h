#pragma once

#include <QDialog>

namespace ui {

struct ProductInfo {
    QString name;
    QString version;
    QString homePage;
    QString supportEmail;
};

// A small box naming the product, its version and where to find help.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    AboutBox(const ProductInfo &info, QWidget *parent = nullptr);
};

} // namespace ui
