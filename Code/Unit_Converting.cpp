#include "Code/Unit_Converting.h"

TfrmConverting::TfrmConverting(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConverting"));
    setWindowTitle(QStringLiteral("Converting"));
}
