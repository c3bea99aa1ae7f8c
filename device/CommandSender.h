#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class IClock;
class IDeviceLink;
class ITimer;

// Sends commands to the device: frames each with the command end tag, cuts
// it into characteristic writes and paces them, and keeps the queue of
// commands that leave one per tick of its timer (tmCommandAsync).
//
// The pauses block the caller through IClock::SleepMs; a link whose writes
// must leave during a pause hands in a clock that keeps them moving.
class TCommandSender
{
public:
    // ALink and AClock must outlive the sender; the sender owns ATimer
    // (tmCommandAsync) and sets its interval and handler.
    TCommandSender(IDeviceLink &ALink, IClock &AClock, std::unique_ptr<ITimer> ATimer);
    ~TCommandSender();
    TCommandSender(const TCommandSender &) = delete;
    TCommandSender &operator=(const TCommandSender &) = delete;

    // Sends ACommand now and returns when every write and pause is done.
    // The first command after a reset first asks for RX notifications.
    // Without a writable link nothing is sent.
    void SendCommand(const QString &ACommand);
    // Queues ACommand; it leaves on a later tick, oldest first.
    void SendCommandAsync(const QString &ACommand);
    // One tick of tmCommandAsync: sends the oldest queued command, and stops
    // the timer once the queue is empty. A command whose turn comes while
    // the link is not writable is dropped.
    void tmCommandAsyncTimer();

    // The link was reset or new characteristics were found: the next
    // command asks for notifications again. The queue is kept.
    void ResetRxNotification() { FRxNotificationSet = false; }
    bool RxNotificationSet() const { return FRxNotificationSet; }

    void SetTxCommandEndTag(const QString &ATag) { FTxCommandEndTag = ATag; }
    const QString &TxCommandEndTag() const { return FTxCommandEndTag; }

    const QStringList &AsyncCmdQueue() const { return FAsyncCmdQueue; }
    ITimer &tmCommandAsync() { return *FTimer; }

private:
    IDeviceLink &FLink;
    IClock &FClock;
    std::unique_ptr<ITimer> FTimer;
    QString FTxCommandEndTag;
    QStringList FAsyncCmdQueue;
    bool FRxNotificationSet = false;
    // A send is under way; a tick that comes during one of its pauses
    // leaves its command for the next tick rather than cut in between.
    bool FSending = false;
};
