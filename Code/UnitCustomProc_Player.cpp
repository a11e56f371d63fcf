#include "Code/UnitCustomProc.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "media/FilterGraph.h"

#include <QCoreApplication>
#include <QLabel>
#include <QThread>

namespace {
const QString playing = QStringLiteral("Playing");
const QString paused = QStringLiteral("Paused");
const QString stopped = QStringLiteral("Stoped");

TFilterGraph *graph()
{
    return FrmMainForm->FilterGraph;
}

void showLogo(bool shown)
{
    FrmMainForm->panLogo->setVisible(shown);
}
} // namespace

void TCommonLib::SeekPreview(TFilterGraph *graph, qint64 milliseconds)
{
    if (graph->HasSeeking())
        graph->SetCurrentPosition(milliseconds * TFilterGraph::HundredNsPerMs);
}

QString TCustomProc::StartPreview(const QString &file)
{
    try {
        graph()->SetActive(false);
        graph()->ClearGraph();
        if (graph()->Active())
            return stopped;
        graph()->SetActive(true);
        int code = 0;
        bool rendered = false;
        try {
            code = graph()->RenderFile(file);
            CommonLib->PreviewFile = file;
            rendered = true;
        } catch (const EDirectShowException &) {
            CommonLib->PreviewFile.clear();
        }
        if (!rendered || code != 0) {
            AppFunc->WriteLog(QStringLiteral("Playing Video error."));
            graph()->ClearGraph();
            return stopped;
        }
        try {
            PausePlayback();
            ResumePlayback();
            QThread::msleep(10);
            QCoreApplication::processEvents();
            if (FrmMainForm->TrimBarReady)
                TCommonLib::SeekPreview(graph(), FrmMainForm->TrimStartSeconds * 1000);
            IsPlaying = true;
            showLogo(false);
            return playing;
        } catch (const std::exception &) {
            showLogo(true);
        }
    } catch (const std::exception &) {
    }
    return stopped;
}

namespace {
// Runs or pauses the loaded graph; an engine error leaves the logo showing.
QString changePlayState(void (TFilterGraph::*command)(), bool playingAfter, const QString &word, bool &isPlaying)
{
    if (!graph()->Active())
        return stopped;
    try {
        (graph()->*command)();
        isPlaying = playingAfter;
        showLogo(false);
        return word;
    } catch (const EDirectShowException &) {
        showLogo(true);
        return stopped;
    }
}
} // namespace

QString TCustomProc::ResumePlayback()
{
    return changePlayState(&TFilterGraph::Play, true, playing, IsPlaying);
}

QString TCustomProc::PausePlayback()
{
    return changePlayState(&TFilterGraph::Pause, false, paused, IsPlaying);
}

QString TCustomProc::StopPlayback()
{
    if (!graph()->Active())
        return stopped;
    try {
        graph()->Stop();
        graph()->SetActive(false);
        graph()->ClearGraph();
        CommonLib->PreviewFile.clear();
        FrmMainForm->pnlCurTime->setText(QStringLiteral("00:00:00"));
        IsPlaying = false;
    } catch (const EDirectShowException &) {
    }
    showLogo(true);
    return stopped;
}
