#pragma once

// The system's beep service: sounds a tone and blocks the calling thread for
// its duration. Called on tone worker threads.
class ISpeaker
{
public:
    virtual ~ISpeaker() = default;
    virtual void Beep(int AFrequency, int ADurationMs) = 0;
};
