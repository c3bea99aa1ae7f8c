#pragma once

#include <QByteArray>

// The device's side of the air: the TX characteristic that takes the
// program's text and the RX characteristic whose notifications carry the
// device's text. The Bluetooth LE connection implements it; tests record.
class IDeviceLink
{
public:
    virtual ~IDeviceLink() = default;
    // True while a TX characteristic is known to write to.
    virtual bool IsWritable() const = 0;
    // Writes one value to the TX characteristic. Errors are not reported:
    // the protocol has no answer to a failed write.
    virtual void WriteTx(const QByteArray &AValue) = 0;
    // Asks the device to notify the RX characteristic.
    virtual void RequestRxNotifications() = 0;
};
