#pragma once

#include <QDialog>

// Box shown while added files are measured.
class TFrmInitFileForm : public QDialog {
    Q_OBJECT

public:
    explicit TFrmInitFileForm(QWidget *parent = nullptr);
};
