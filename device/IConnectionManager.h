#pragma once

#include <QString>

#include <functional>

class TCommandSender;
class TPacketJoiner;

// The main window's view of its connection manager: the object that finds
// and connects the glide tester, holds the link, sends the commands and
// joins the received text. The Bluetooth LE connection window implements
// it; window tests use a double.
class IConnectionManager
{
public:
    virtual ~IConnectionManager() = default;

    // Shows the connection window modally and returns when it closes; true
    // when a device was connected and its service matched.
    virtual bool Execute(const QString &ADeviceNamePattern, const QString &AServiceUuid,
                         const QString &ATxCharacteristicUuid, const QString &ARxCharacteristicUuid) = 0;
    // Holds a device, reports itself ready and has found the TX
    // characteristic.
    virtual bool IsLinkActive() const = 0;
    // The discovery log of the connection window is shown (debug mode).
    virtual void SetShowDebugLog(bool AShow) = 0;

    virtual TCommandSender &Sender() = 0;
    virtual TPacketJoiner &Joiner() = 0;

    // The events of the link, passed on to the main window: the device was
    // connected and its service matched; the device disconnected.
    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
};
