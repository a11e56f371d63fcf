#pragma once

#include <QDialog>

// Progress window of a conversion batch.
class TfrmConverting : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConverting(QWidget *parent = nullptr);
};
