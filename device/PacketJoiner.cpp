#include "device/PacketJoiner.h"

#include "device/DeviceText.h"

TPacketJoiner::TPacketJoiner()
    : FDecoder(QStringDecoder::Utf8)
{
}

void TPacketJoiner::AppendReceivedText(const QByteArray &AValue)
{
    FCurrentPacket.append(FDecoder.decode(AValue));
    if (FDiscarding) {
        // The rest of an overlong text runs up to the first end tag; what
        // follows the tag is the start of the device's next text.
        const qsizetype tagAt = FCurrentPacket.indexOf(FRxCommandEndTag);
        if (tagAt < 0) {
            KeepPossibleTagStart();
            return;
        }
        FCurrentPacket.remove(0, tagAt + FRxCommandEndTag.size());
        FDiscarding = false;
        if (FCurrentPacket.isEmpty())
            return;
    }
    if (FRxCommandEndTag.isEmpty() || FCurrentPacket.endsWith(FRxCommandEndTag)) {
        DeliverValue();
        return;
    }
    if (FCurrentPacket.size() > MaxPendingChars) {
        KeepPossibleTagStart();
        FDiscarding = true;
    }
}

void TPacketJoiner::KeepPossibleTagStart()
{
    // An end tag may be cut between two notifications: keep what could be
    // its first part.
    FCurrentPacket = FCurrentPacket.right(FRxCommandEndTag.size() - 1);
}

void TPacketJoiner::ClearCurrentPacket()
{
    FCurrentPacket.clear();
    FDiscarding = false;
    FDecoder.resetState();
}

void TPacketJoiner::DeliverValue()
{
    const QString value = TDeviceText::Trim(FCurrentPacket);
    // Emptied first: the receiver may clear or feed the joiner itself.
    FCurrentPacket.clear();
    if (FOnBTValue)
        FOnBTValue(value);
}
