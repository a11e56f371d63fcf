#include "Code/Unit_Option.h"

TfrmOption::TfrmOption(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Options"));
}
