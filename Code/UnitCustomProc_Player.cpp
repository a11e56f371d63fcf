#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Func.h"
#include "media/FilterGraph.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QLabel>
#include <QThread>

namespace {
const QString playing = QStringLiteral("Playing");
const QString paused = QStringLiteral("Paused");
const QString stopped = QStringLiteral("Stoped");

// Runs or pauses the loaded graph; an engine error leaves the logo showing.
QString changePlayState(const TPreviewControls &preview, void (TFilterGraph::*command)(), bool playingAfter,
                        const QString &word, bool &isPlaying)
{
    if (!preview.Graph->Active())
        return stopped;
    try {
        (preview.Graph->*command)();
        isPlaying = playingAfter;
        preview.Logo->setVisible(false);
        return word;
    } catch (const EDirectShowException &error) {
        AppFunc->WriteCaughtError(QStringLiteral("Preview"), error);
        preview.Logo->setVisible(true);
        return stopped;
    }
}
} // namespace

QString TCustomProc::StartPreview(const TPreviewControls &preview, const QString &file,
                                  std::optional<qint64> startSeconds)
{
    TFilterGraph *graph = preview.Graph;
    try {
        graph->SetActive(false);
        graph->ClearGraph();
        if (graph->Active())
            return stopped;
        graph->SetActive(true);
        int code = 0;
        bool rendered = false;
        try {
            code = graph->RenderFile(file);
            PlayerState.File = file;
            rendered = true;
        } catch (const EDirectShowException &error) {
            AppFunc->WriteCaughtError(QStringLiteral("Preview of ") + file, error);
            PlayerState.File.clear();
        }
        if (!rendered || code != 0) {
            AppFunc->WriteLog(QStringLiteral("Playing Video error."));
            graph->ClearGraph();
            return stopped;
        }
        try {
            PausePlayback(preview);
            ResumePlayback(preview);
            QThread::msleep(10);
            QCoreApplication::processEvents();
            if (startSeconds)
                TCommonLib::SeekPreview(graph, *startSeconds * 1000);
            PlayerState.IsPlaying = true;
            HoldScreenWhilePlaying();
            preview.Logo->setVisible(false);
            return playing;
        } catch (const std::exception &error) {
            AppFunc->WriteCaughtError(QStringLiteral("Preview"), error);
            preview.Logo->setVisible(true);
        }
    } catch (const std::exception &error) {
        AppFunc->WriteCaughtError(QStringLiteral("Preview"), error);
    }
    return stopped;
}

QString TCustomProc::ResumePlayback(const TPreviewControls &preview)
{
    const QString word = changePlayState(preview, &TFilterGraph::Play, true, playing, PlayerState.IsPlaying);
    HoldScreenWhilePlaying();
    return word;
}

QString TCustomProc::PausePlayback(const TPreviewControls &preview)
{
    const QString word = changePlayState(preview, &TFilterGraph::Pause, false, paused, PlayerState.IsPlaying);
    HoldScreenWhilePlaying();
    return word;
}

void TCustomProc::HoldScreenWhilePlaying()
{
    if (!PlayerState.IsPlaying)
        m_screenHold.reset();
    else if (!m_screenHold)
        m_screenHold = platform::current().preventScreenSaver(QStringLiteral("Playing a preview"));
}

QString TCustomProc::StopPlayback(const TPreviewControls &preview)
{
    if (!preview.Graph->Active())
        return stopped;
    try {
        preview.Graph->Stop();
        preview.Graph->SetActive(false);
        preview.Graph->ClearGraph();
        PlayerState.File.clear();
        preview.Clock->setText(QStringLiteral("00:00:00"));
        PlayerState.IsPlaying = false;
    } catch (const EDirectShowException &error) {
        AppFunc->WriteCaughtError(QStringLiteral("Preview"), error);
    }
    HoldScreenWhilePlaying();
    preview.Logo->setVisible(true);
    return stopped;
}
