#pragma once

#include <QDialog>

// The detailed encoder options and the custom profiles.
class TfrmOption : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOption(QWidget *parent = nullptr);
};
