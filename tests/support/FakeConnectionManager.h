#pragma once

#include "FakeClock.h"

#include "app/AppError.h"
#include "device/CommandSender.h"
#include "device/IConnectionManager.h"
#include "device/IDeviceLink.h"
#include "device/PacketJoiner.h"
#include "timing/ITimer.h"

#include <QList>

// A timer ticked by the test: each tick moves the fake clock to the time the
// tick is due and runs the handler.
class TManualTimer final : public ITimer
{
public:
    explicit TManualTimer(TFakeClock &AClock) : FClock(AClock) {}

    void SetInterval(int AMs) override { FInterval = AMs; }
    int Interval() const override { return FInterval; }
    void Start() override
    {
        if (FActive)
            return;
        FActive = true;
        FDue = FClock.TickMs() + quint32(FInterval);
    }
    void Stop() override { FActive = false; }
    bool IsActive() const override { return FActive; }
    void SetOnTimer(std::function<void()> AOnTimer) override { FOnTimer = std::move(AOnTimer); }

    // One tick, if the timer runs; true when it ticked.
    bool Tick()
    {
        if (!FActive)
            return false;
        if (qint32(FDue - FClock.TickMs()) > 0)
            FClock.Set(FDue);
        FDue += quint32(FInterval);
        if (FOnTimer)
            FOnTimer();
        return true;
    }

private:
    TFakeClock &FClock;
    int FInterval = 0;
    bool FActive = false;
    quint32 FDue = 0;
    std::function<void()> FOnTimer;
};

// A connection manager on the air of the test: it records every write and
// notification request with the fake clock's time, and lets the test
// connect, disconnect and notify text.
class TFakeConnectionManager final : public IConnectionManager, public IDeviceLink
{
public:
    struct TAirEvent
    {
        quint32 at = 0;
        bool notificationRequest = false;
        QByteArray value; // a write to TX
    };

    explicit TFakeConnectionManager(TFakeClock &AClock)
        : FClock(AClock),
          FTimer(new TManualTimer(AClock)),
          FSender(*this, AClock, std::unique_ptr<ITimer>(FTimer))
    {
    }

    // IConnectionManager
    bool Execute(const QString &ADeviceNamePattern, const QString &AServiceUuid, const QString &ATx,
                 const QString &ARx) override
    {
        ++ExecuteCount;
        Patterns = QStringList{ADeviceNamePattern, AServiceUuid, ATx, ARx};
        if (ConnectOnExecute)
            Connect();
        return ConnectOnExecute;
    }
    bool IsLinkActive() const override { return FConnected; }
    void SetShowDebugLog(bool AShow) override { ShowDebugLog = AShow; }
    TCommandSender &Sender() override { return FSender; }
    TPacketJoiner &Joiner() override { return FJoiner; }

    // IDeviceLink
    bool IsWritable() const override { return FConnected; }
    void WriteTx(const QByteArray &AValue) override
    {
        if (FailWrites)
            throw EAppError(QStringLiteral("Запись не удалась"));
        Air.append({FClock.TickMs(), false, AValue});
    }
    void RequestRxNotifications() override { Air.append({FClock.TickMs(), true, {}}); }

    // The test's hands on the link.
    void Connect()
    {
        FConnected = true;
        FSender.ResetRxNotification();
        FJoiner.ClearCurrentPacket();
        if (OnConnect)
            OnConnect();
    }
    void Disconnect()
    {
        FConnected = false;
        FSender.ResetRxNotification();
        if (OnDisconnect)
            OnDisconnect();
    }
    void Notify(const QByteArray &AValue) { FJoiner.AppendReceivedText(AValue); }
    TManualTimer &CommandTimer() { return *FTimer; }

    // The writes joined back into the commands they carried, in order.
    QStringList Commands() const
    {
        QStringList list;
        QString pending;
        for (const TAirEvent &e : Air) {
            if (e.notificationRequest)
                continue;
            pending += QString::fromUtf8(e.value);
            if (pending.endsWith(QLatin1Char('\r'))) {
                list.append(pending.chopped(1));
                pending.clear();
            }
        }
        if (!pending.isEmpty())
            list.append(pending);
        return list;
    }
    QList<TAirEvent> Writes() const
    {
        QList<TAirEvent> list;
        for (const TAirEvent &e : Air)
            if (!e.notificationRequest)
                list.append(e);
        return list;
    }

    QList<TAirEvent> Air;
    QStringList Patterns;
    int ExecuteCount = 0;
    bool ConnectOnExecute = false;
    bool ShowDebugLog = false;
    bool FailWrites = false;

private:
    TFakeClock &FClock;
    TManualTimer *FTimer; // owned by the sender
    TCommandSender FSender;
    TPacketJoiner FJoiner;
    bool FConnected = false;
};
