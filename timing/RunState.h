#pragma once

#include "storage/LSResult.h"
#include "timing/LSMode.h"

#include <QtGlobal>

#include <memory>

// The state of the current run, held by the main window and shared with the
// device's line handling and reflector-pass processing. The requests to
// start and stop are set inside device events and served by the window's
// timer.
struct TRunState
{
    TLSMode FMode = TLSMode::lsmIdle;
    bool FNeedStart = false;
    bool FNeedStop = false;
    // The run reached its last reflector.
    bool FMeasureSuccesful = false;
    // Reflectors passed so far in this run: the index of the next one.
    int FCurrReflectorIdx = 0;
    // System millisecond tick when the run was started.
    quint32 FMeasureStart = 0;
    // Device time stamps of the first and of the previous reflector, ms.
    double FFirstReflectorDevTime = 0.0;
    double FPrevReflectorDevTime = 0.0;
    // The measurement being recorded; made by the run start.
    std::unique_ptr<TLSResult> currRes;
};
