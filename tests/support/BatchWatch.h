#pragma once
// Watching a batch from a test: its encoders, and the moment a row's encoder runs.
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/EncoderCommand.h"
#include "OwnChildren.h"

#include <QTimer>

#include <functional>

// Encoders this test process's batches started.
inline bool ownEncoderRunning()
{
    return ownChildRunning({VidcodaName(), RmcodaName()});
}

// Runs `action` once, as soon as the batch's row `row` (any row with -1) has
// its encoder running.
inline void whenRowEncoderRuns(QObject *context, const TConversionBatch *batch, int row, std::function<void()> action)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [batch, row, poll, action = std::move(action)] {
        const TConversionJob *job = batch->CurrentJob();
        if ((row >= 0 && batch->CurrentRow != row) || !job || !job->IsRunning() || !ownEncoderRunning())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start(50);
}
