#pragma once

// Receives each data line of the device: one sensor reading, and while a
// run is armed one reflector pass.
class ISensorDataSink
{
public:
    virtual ~ISensorDataSink() = default;
    virtual void OnSensorData(double ADeviceTime, double AFluxValue) = 0;
};
