#include "Code/InitFileForm.h"

TFrmInitFileForm::TFrmInitFileForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmInitFileForm"));
    setWindowTitle(QStringLiteral("Reading file information..."));
}
