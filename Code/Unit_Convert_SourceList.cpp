// The main window's source list: adding, dropping, removing and clearing
// files, keys and clicks in the list, and edits of the trim times.
#include "Code/Unit_Convert.h"

#include "Code/Globals.h"
#include "Code/InitFileForm.h"
#include "Code/UnitCustomProc.h"
#include "ui/ErrorBox.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

using ui::guardedHandler;

namespace {

QStringList localFiles(const QMimeData *mime)
{
    QStringList names;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            names.append(url.toLocalFile());
    }
    return names;
}
} // namespace

void TFrmMainForm::ConnectSourceList()
{
    connect(btnOpenFile, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnOpenFileClick));
    connect(btnRemoveFile, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnRemoveFileClick));
    connect(btnClearFile, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnClearFileClick));
    TSourceGrid *list = dxTreeSourceFileInfo;
    connect(list, &TSourceGrid::EndDragOutside, this, guardedHandler(this, &TFrmMainForm::dxTreeSourceFileInfoEndDrag));
    connect(list, &TSourceGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        ui::guarded([&] { dxTreeSourceFileInfoKeyDown(key, modifiers); });
    });
    connect(list, &TSourceGrid::KeyUp, this, guardedHandler(this, &TFrmMainForm::dxTreeSourceFileInfoKeyUp));
    connect(list, &QAbstractItemView::clicked, this, guardedHandler(this, &TFrmMainForm::actDxTreeListOnClickExecute));
    connect(list->Model(), &TSourceListModel::CellEdited, this,
            [this](int row, int column) { ui::guarded([&] { dxTreeSourceFileInfoEdited(row, column); }); });
}

void TFrmMainForm::btnOpenFileClick()
{
    const QString folder = CustomProc->ReadInitDir();
    const QStringList names = CommonLib->PickSourceFiles(dlgOpenSourceFile, true, folder);
    FrmInitFileForm->SetFileList(dxTreeSourceFileInfo, names, dlgOpenSourceFile.FileName);
    FrmInitFileForm->exec();
    // The add box stores the folder already; storing it again here keeps it
    // even when the box's add stopped on an error before it got there.
    CustomProc->WriteInitDir(dlgOpenSourceFile.FileName);
}

void TFrmMainForm::SyncTrimBar()
{
    CustomProc->SyncTrimBarToSelection(Panel1, dxTreeSourceFileInfo, Preview());
}

void TFrmMainForm::ResetTrimHandles()
{
    Panel1->SetLeftCutWidth(2);
    Panel1->SetRightCutWidth(2);
}

void TFrmMainForm::btnRemoveFileClick()
{
    CommonLib->RemoveSelectedRows(dxTreeSourceFileInfo);
    if (dxTreeSourceFileInfo->RowCount() == 0)
        ResetTrimHandles();
    CustomProc->StopPlayback(Preview());
    SyncTrimBar();
}

void TFrmMainForm::btnClearFileClick()
{
    CommonLib->ClearSourceList(dxTreeSourceFileInfo);
    CustomProc->StopPlayback(Preview());
    ResetTrimHandles();
}

void TFrmMainForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFrmMainForm::dropEvent(QDropEvent *event)
{
    const QStringList names = localFiles(event->mimeData());
    if (names.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop completes first: the program the files come from waits for
    // it, and measuring the files or a warning about one may take a while.
    QTimer::singleShot(0, this, [this, names] { ui::guarded([&] { WMDropFiles(names); }); });
}

void TFrmMainForm::WMDropFiles(const QStringList &names)
{
    // Folders dropped with the files are passed over without a word; names
    // arrive whole, however long.
    QStringList files;
    for (const QString &name : names) {
        if (!QFileInfo(name).isDir())
            files.append(name);
    }
    CommonLib->AddSourceFiles(dxTreeSourceFileInfo, files);
    if (dxTreeSourceFileInfo->RowCount() > 0)
        SyncTrimBar();
}

void TFrmMainForm::OpenFiles(const QStringList &names)
{
    if (names.isEmpty())
        return;
    QTimer::singleShot(0, this, [this, names] { ui::guarded([&] { WMDropFiles(names); }); });
}

void TFrmMainForm::dxTreeSourceFileInfoEndDrag()
{
    btnRemoveFile->click();
}

void TFrmMainForm::dxTreeSourceFileInfoKeyDown(int key, Qt::KeyboardModifiers)
{
    SyncTrimBar();
    if (key != Qt::Key_Delete)
        return;
    CommonLib->RemoveSelectedRows(dxTreeSourceFileInfo);
    CustomProc->StopPlayback(Preview());
    if (dxTreeSourceFileInfo->RowCount() == 0)
        ResetTrimHandles();
}

void TFrmMainForm::dxTreeSourceFileInfoKeyUp()
{
    SyncTrimBar();
}

void TFrmMainForm::actDxTreeListOnClickExecute()
{
    SyncTrimBar();
}

void TFrmMainForm::dxTreeSourceFileInfoEdited(int, int)
{
    CustomProc->ValidateTrimTimes(dxTreeSourceFileInfo, FilterGraph);
}
