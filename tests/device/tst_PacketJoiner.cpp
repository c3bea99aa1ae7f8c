#include "device/PacketJoiner.h"

#include <QtTest>

namespace {

// A joiner with the program's end tag that records its deliveries.
struct TRig
{
    explicit TRig(const QString &ATag = QStringLiteral("\r\n"))
    {
        joiner.SetRxCommandEndTag(ATag);
        joiner.SetOnBTValue([this](const QString &AValue) { delivered.append(AValue); });
    }
    void Receive(const QList<QByteArray> &ANotifications)
    {
        for (const QByteArray &n : ANotifications)
            joiner.AppendReceivedText(n);
    }

    TPacketJoiner joiner;
    QStringList delivered;
};

} // namespace

class TestPacketJoiner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joining_data();
    void joining();
    void emptyTagDeliversEveryValue();
    void clearForgetsPendingText();
    void overlongTextIsDropped();
    void overlongTextEndTagCutBetweenNotifications();
    void pendingTextStaysBounded();
};

void TestPacketJoiner::joining_data()
{
    QTest::addColumn<QList<QByteArray>>("notifications");
    QTest::addColumn<QStringList>("delivered");
    QTest::addColumn<QString>("pending");

    QTest::newRow("two notifications, one data line")
        << QList<QByteArray>{"123,4", "5,678\r\n"} << QStringList{"123,45,678"} << "";
    QTest::newRow("one notification, two lines")
        << QList<QByteArray>{"100,1,2\r\n200,1,2\r\n"} << QStringList{"100,1,2\r\n200,1,2"} << "";
    QTest::newRow("line not ended yet") << QList<QByteArray>{"100,1,2"} << QStringList{} << "100,1,2";
    QTest::newRow("ends in the middle of the next line")
        << QList<QByteArray>{"100,1,2\r\n200,"} << QStringList{} << "100,1,2\r\n200,";
    QTest::newRow("end tag cut between notifications")
        << QList<QByteArray>{"100,1,2\r", "\n"} << QStringList{"100,1,2"} << "";
    QTest::newRow("CR alone does not end the text") << QList<QByteArray>{"100,1,2\r"} << QStringList{} << "100,1,2\r";
    QTest::newRow("LF alone does not end the text") << QList<QByteArray>{"100,1,2\n"} << QStringList{} << "100,1,2\n";
    QTest::newRow("trimmed of blanks and control characters")
        << QList<QByteArray>{QByteArray("\t \x01", 3) + "100,1,2 \x02\r\n"} << QStringList{"100,1,2"} << "";
    QTest::newRow("NUL bytes at the ends are trimmed")
        << QList<QByteArray>{QByteArray("\0#ERR:x\0\r\n", 10)} << QStringList{"#ERR:x"} << "";
    QTest::newRow("end tag alone delivers an empty text")
        << QList<QByteArray>{"\r\n"} << QStringList{""} << "";
    QTest::newRow("successive lines") << QList<QByteArray>{"1,1,1\r\n", "2,2,2\r\n"} << QStringList{"1,1,1", "2,2,2"}
                                      << "";
    QTest::newRow("Cyrillic") << QList<QByteArray>{QStringLiteral("#ERR: Датчик\r\n").toUtf8()}
                              << QStringList{QStringLiteral("#ERR: Датчик")} << "";
    QTest::newRow("character cut between notifications")
        << QList<QByteArray>{"#ERR: \xD0", "\x94\r\n"} << QStringList{QStringLiteral("#ERR: Д")} << "";
}

void TestPacketJoiner::joining()
{
    QFETCH(QList<QByteArray>, notifications);
    QFETCH(QStringList, delivered);
    QFETCH(QString, pending);
    TRig rig;
    rig.Receive(notifications);
    QCOMPARE(rig.delivered, delivered);
    QCOMPARE(rig.joiner.CurrentPacket(), pending);
}

void TestPacketJoiner::emptyTagDeliversEveryValue()
{
    TRig rig{QString()};
    rig.Receive({" 123,4", "5,678\r\n"});
    QCOMPARE(rig.delivered, (QStringList{"123,4", "5,678"}));
    QVERIFY(rig.joiner.CurrentPacket().isEmpty());
}

void TestPacketJoiner::clearForgetsPendingText()
{
    TRig rig;
    rig.Receive({"999,9", "#ERR: \xD0"});
    rig.joiner.ClearCurrentPacket();
    QVERIFY(rig.joiner.CurrentPacket().isEmpty());
    // The cut character is forgotten too.
    rig.Receive({"100,1,2\r\n"});
    QCOMPARE(rig.delivered, QStringList{"100,1,2"});
}

void TestPacketJoiner::overlongTextIsDropped()
{
    TRig rig;
    const QByteArray chunk(1000, 'x');
    for (int i = 0; i < 70; ++i)
        rig.joiner.AppendReceivedText(chunk);
    QVERIFY(rig.joiner.Discarding());
    QVERIFY(rig.delivered.isEmpty());
    // The end of the overlong text is dropped with it; the line after it
    // in the same notification is the device's next text.
    rig.Receive({"xxxx\r\n100,", "1,2\r\n"});
    QCOMPARE(rig.delivered, QStringList{"100,1,2"});
    QVERIFY(!rig.joiner.Discarding());
    rig.Receive({"200,1,2\r\n"});
    QCOMPARE(rig.delivered, (QStringList{"100,1,2", "200,1,2"}));
}

void TestPacketJoiner::overlongTextEndTagCutBetweenNotifications()
{
    TRig rig;
    rig.joiner.AppendReceivedText(QByteArray(TPacketJoiner::MaxPendingChars + 10, 'x'));
    QVERIFY(rig.joiner.Discarding());
    rig.Receive({"yyy\r", "\n300,1,2\r\n"});
    QCOMPARE(rig.delivered, QStringList{"300,1,2"});
}

void TestPacketJoiner::pendingTextStaysBounded()
{
    TRig rig;
    const QByteArray chunk(20, '7');
    for (int i = 0; i < 10000; ++i) {
        rig.joiner.AppendReceivedText(chunk);
        QVERIFY(rig.joiner.CurrentPacket().size() <= TPacketJoiner::MaxPendingChars + chunk.size());
    }
    // Exactly at the cap the text is still a candidate line.
    TRig atCap;
    atCap.joiner.AppendReceivedText(QByteArray(TPacketJoiner::MaxPendingChars, '5'));
    QVERIFY(!atCap.joiner.Discarding());
    atCap.Receive({"\r\n"});
    QCOMPARE(atCap.delivered.size(), 1);
    QCOMPARE(atCap.delivered[0].size(), TPacketJoiner::MaxPendingChars);
}

QTEST_GUILESS_MAIN(TestPacketJoiner)
#include "tst_PacketJoiner.moc"
