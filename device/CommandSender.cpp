#include "device/CommandSender.h"

#include "device/DeviceProtocol.h"
#include "device/IDeviceLink.h"
#include "timing/IClock.h"
#include "timing/ITimer.h"

TCommandSender::TCommandSender(IDeviceLink &ALink, IClock &AClock, std::unique_ptr<ITimer> ATimer)
    : FLink(ALink), FClock(AClock), FTimer(std::move(ATimer)), FTxCommandEndTag(TDeviceProtocol::TxCommandEndTag)
{
    FTimer->SetInterval(TDeviceProtocol::AsyncCommandIntervalMs);
    FTimer->SetOnTimer([this] { tmCommandAsyncTimer(); });
}

TCommandSender::~TCommandSender()
{
    FTimer->Stop();
    FTimer->SetOnTimer({});
}

void TCommandSender::SendCommand(const QString &ACommand)
{
    if (!FLink.IsWritable())
        return;
    struct TSendingScope
    {
        bool &flag;
        bool previous;
        explicit TSendingScope(bool &AFlag) : flag(AFlag), previous(AFlag) { flag = true; }
        ~TSendingScope() { flag = previous; }
    } sending(FSending);

    if (!FRxNotificationSet) {
        FLink.RequestRxNotifications();
        FClock.SleepMs(TDeviceProtocol::RxNotificationPauseMs);
        FRxNotificationSet = true;
    }
    QString text = ACommand + FTxCommandEndTag;
    while (!text.isEmpty()) {
        qsizetype count = qMin<qsizetype>(text.size(), TDeviceProtocol::MaxWriteChars);
        // A character outside the BMP is two UTF-16 units; cutting between
        // them would put invalid UTF-8 on the air.
        if (count < text.size() && count > 1 && text[count - 1].isHighSurrogate())
            --count;
        const QString piece = text.left(count);
        text.remove(0, count);
        FLink.WriteTx(piece.toUtf8());
        FClock.SleepMs(TDeviceProtocol::WritePauseMs);
    }
}

void TCommandSender::SendCommandAsync(const QString &ACommand)
{
    FAsyncCmdQueue.append(ACommand);
    FTimer->Start();
}

void TCommandSender::tmCommandAsyncTimer()
{
    if (FSending)
        return;
    if (!FAsyncCmdQueue.isEmpty())
        SendCommand(FAsyncCmdQueue.takeFirst());
    if (FAsyncCmdQueue.isEmpty())
        FTimer->Stop();
}
