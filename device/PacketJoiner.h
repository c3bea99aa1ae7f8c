#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <functional>

// Receives each joined text from the device.
using TOnBTValue = std::function<void(const QString &AValue)>;

// Joins the values of RX notifications into the device's text and delivers
// it whenever it ends with the received line end tag. Only the end of the
// joined text is tested, so one delivery can hold several lines.
class TPacketJoiner
{
public:
    // Pending text beyond this many characters is not a line of the device
    // (they are a few dozen bytes): it is dropped, and so is the rest of it
    // up to and including the next end tag, so a faulty device cannot
    // exhaust memory. What follows that tag is joined as usual.
    static constexpr qsizetype MaxPendingChars = 64 * 1024;

    TPacketJoiner();

    // Appends one notified value, read as UTF-8 (a character cut between
    // two notifications is joined), and delivers when the text is complete:
    // at once with an empty end tag, else when the text ends with the tag.
    // The delivered text is trimmed of blanks and control characters.
    void AppendReceivedText(const QByteArray &AValue);
    // Forgets the pending text (a run starts, the link resets).
    void ClearCurrentPacket();

    void SetRxCommandEndTag(const QString &ATag) { FRxCommandEndTag = ATag; }
    const QString &RxCommandEndTag() const { return FRxCommandEndTag; }
    void SetOnBTValue(TOnBTValue AOnBTValue) { FOnBTValue = std::move(AOnBTValue); }
    const QString &CurrentPacket() const { return FCurrentPacket; }
    // True while the rest of an overlong text is being dropped.
    bool Discarding() const { return FDiscarding; }

private:
    void DeliverValue();
    void KeepPossibleTagStart();

    QString FRxCommandEndTag;
    QString FCurrentPacket;
    TOnBTValue FOnBTValue;
    QStringDecoder FDecoder;
    bool FDiscarding = false;
};
