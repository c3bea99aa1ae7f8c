#pragma once

// The run mode of the main window: armed for a run (from the moment the
// start command has gone out until the run ends), or not.
enum class TLSMode { lsmIdle, lsmMeasure };
