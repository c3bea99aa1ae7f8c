#include "device/CommandSender.h"
#include "device/IDeviceLink.h"
#include "timing/IClock.h"
#include "timing/ITimer.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The air between program and device, with the program's clock: every
// notification request, write and pause lands in one journal, in order,
// and each write keeps the time it left at. Pauses move the clock at once.
class TAir final : public IDeviceLink, public IClock
{
public:
    bool IsWritable() const override { return writable; }
    void WriteTx(const QByteArray &AValue) override
    {
        journal.append(QStringLiteral("write ") + Escaped(AValue));
        writes.append(AValue);
        writeTimes.append(now);
    }
    void RequestRxNotifications() override { journal.append(QStringLiteral("notify")); }

    quint32 TickMs() override { return now; }
    void SleepMs(int AMs) override
    {
        journal.append(QStringLiteral("sleep %1").arg(AMs));
        now += quint32(AMs);
        if (onSleep)
            onSleep();
    }

    static QString Escaped(const QByteArray &AValue)
    {
        return QString::fromUtf8(AValue).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    }

    bool writable = true;
    quint32 now = 0;
    QStringList journal;
    QList<QByteArray> writes;
    QList<quint32> writeTimes;
    std::function<void()> onSleep;
};

// A timer on the air's clock: RunUntil() fires every tick that falls due,
// moving the clock to each tick's time first.
class TFakeTimer final : public ITimer
{
public:
    explicit TFakeTimer(TAir &AAir) : FAir(AAir) {}

    void SetInterval(int AMs) override { FInterval = AMs; }
    int Interval() const override { return FInterval; }
    void Start() override
    {
        if (FActive)
            return;
        FActive = true;
        FNext = FAir.now + quint32(FInterval);
    }
    void Stop() override { FActive = false; }
    bool IsActive() const override { return FActive; }
    void SetOnTimer(std::function<void()> AOnTimer) override { FOnTimer = std::move(AOnTimer); }

    void RunUntil(quint32 AUntil)
    {
        while (FActive && FNext <= AUntil) {
            if (FAir.now < FNext)
                FAir.now = FNext;
            FNext += quint32(FInterval);
            ++ticks;
            if (FOnTimer)
                FOnTimer();
        }
        if (FAir.now < AUntil)
            FAir.now = AUntil;
    }

    int ticks = 0;

private:
    TAir &FAir;
    int FInterval = 0;
    bool FActive = false;
    quint32 FNext = 0;
    std::function<void()> FOnTimer;
};

// A sender on fresh air; Timer() is the sender's own tmCommandAsync.
struct TRig
{
    TRig()
    {
        auto timer = std::make_unique<TFakeTimer>(air);
        fakeTimer = timer.get();
        sender = std::make_unique<TCommandSender>(air, air, std::move(timer));
    }
    // The link has been used once, so notifications are on; the clock and
    // the journal start afresh.
    void NotificationsOn()
    {
        sender->SendCommand(QStringLiteral("STATE"));
        air.journal.clear();
        air.writes.clear();
        air.writeTimes.clear();
        air.now = 0;
    }

    TAir air;
    TFakeTimer *fakeTimer = nullptr; // owned by the sender
    std::unique_ptr<TCommandSender> sender;
};

} // namespace

class TestCommandSender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framing_data();
    void framing();
    void encodesUtf8_data();
    void encodesUtf8();
    void notificationRequestOnlyBeforeFirstCommand();
    void resetAsksForNotificationsAgain();
    void nothingWithoutWritableLink();
    void queuedCommandsLeave_data();
    void queuedCommandsLeave();
    void queuedCommandDroppedWhenLinkGone();
    void queueOutlivesReset();
    void tickDuringSendWaitsForNextTick();
    void timerInterval();
};

void TestCommandSender::framing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("journal");

    // After the first command, so without the notification request.
    QTest::newRow("short command: one write")
        << "STOP" << QStringList{"write STOP\\r", "sleep 200"};
    QTest::newRow("19 characters: one write of 20")
        << "START 1,50,1100,900" << QStringList{"write START 1,50,1100,900\\r", "sleep 200"};
    QTest::newRow("start command: 21 characters, two writes")
        << "START 1,50,1100,9000" << QStringList{"write START 1,50,1100,9000", "sleep 200", "write \\r", "sleep 200"};
    QTest::newRow("40 characters: three writes")
        << "0123456789012345678901234567890123456789"
        << QStringList{"write 01234567890123456789", "sleep 200", "write 01234567890123456789", "sleep 200",
                       "write \\r", "sleep 200"};
    QTest::newRow("empty command: the end tag alone") << "" << QStringList{"write \\r", "sleep 200"};
}

void TestCommandSender::framing()
{
    QFETCH(QString, command);
    QFETCH(QStringList, journal);
    TRig rig;
    rig.NotificationsOn();
    rig.sender->SendCommand(command);
    QCOMPARE(rig.air.journal, journal);
    for (const QByteArray &piece : std::as_const(rig.air.writes))
        QVERIFY(piece.size() <= 20);
}

void TestCommandSender::encodesUtf8_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<QByteArray>>("writes");

    QTest::newRow("Cyrillic: two bytes a character")
        << QStringLiteral("СТОП") << QList<QByteArray>{"\xD0\xA1\xD0\xA2\xD0\x9E\xD0\x9F\r"};
    QTest::newRow("20 characters are cut, not 20 bytes")
        << QStringLiteral("ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ")
        << QList<QByteArray>{QStringLiteral("ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ").toUtf8(), "\r"};
    QTest::newRow("a character of two UTF-16 units is not cut")
        << QString(19, QLatin1Char('a')) + QStringLiteral("\U0001F600")
        << QList<QByteArray>{QByteArray(19, 'a'), "\xF0\x9F\x98\x80\r"};
}

void TestCommandSender::encodesUtf8()
{
    QFETCH(QString, command);
    QFETCH(QList<QByteArray>, writes);
    TRig rig;
    rig.NotificationsOn();
    rig.sender->SendCommand(command);
    QCOMPARE(rig.air.writes, writes);
}

void TestCommandSender::notificationRequestOnlyBeforeFirstCommand()
{
    TRig rig;
    QVERIFY(!rig.sender->RxNotificationSet());
    rig.sender->SendCommand(QStringLiteral("STOP"));
    rig.sender->SendCommand(QStringLiteral("PROBE"));
    QCOMPARE(rig.air.journal, (QStringList{"notify", "sleep 100", "write STOP\\r", "sleep 200",
                                           "write PROBE\\r", "sleep 200"}));
    QVERIFY(rig.sender->RxNotificationSet());
    QCOMPARE(rig.air.now, 500u);
}

void TestCommandSender::resetAsksForNotificationsAgain()
{
    TRig rig;
    rig.NotificationsOn();
    rig.sender->ResetRxNotification();
    rig.sender->SendCommand(QStringLiteral("STOP"));
    QCOMPARE(rig.air.journal, (QStringList{"notify", "sleep 100", "write STOP\\r", "sleep 200"}));
}

void TestCommandSender::nothingWithoutWritableLink()
{
    TRig rig;
    rig.air.writable = false;
    rig.sender->SendCommand(QStringLiteral("STOP"));
    QVERIFY(rig.air.journal.isEmpty());
    QVERIFY(!rig.sender->RxNotificationSet());
}

void TestCommandSender::queuedCommandsLeave_data()
{
    QTest::addColumn<bool>("notificationsOn");
    QTest::addColumn<QList<int>>("queuedAt");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QList<quint32>>("writeTimes");
    QTest::addColumn<int>("ticks");

    QTest::newRow("STOP twice: at 800 and 1600")
        << true << QList<int>{0, 0} << QStringList{"STOP", "STOP"} << QList<quint32>{800, 1600} << 2;
    QTest::newRow("first command after a connection: request first")
        << false << QList<int>{0, 0} << QStringList{"STOP", "STOP"} << QList<quint32>{900, 1600} << 2;
    QTest::newRow("queued later, the timer keeps its phase")
        << true << QList<int>{0, 500} << QStringList{"STOP", "PROBE"} << QList<quint32>{800, 1600} << 2;
    QTest::newRow("queued after the timer stopped: 800 after queuing")
        << true << QList<int>{0, 1000} << QStringList{"STOP", "PROBE"} << QList<quint32>{800, 1800} << 2;
    QTest::newRow("oldest first, one per tick")
        << true << QList<int>{0, 0, 0} << QStringList{"STATE", "PROBE", "STOP"} << QList<quint32>{800, 1600, 2400}
        << 3;
}

void TestCommandSender::queuedCommandsLeave()
{
    QFETCH(bool, notificationsOn);
    QFETCH(QList<int>, queuedAt);
    QFETCH(QStringList, commands);
    QFETCH(QList<quint32>, writeTimes);
    QFETCH(int, ticks);

    TRig rig;
    if (notificationsOn)
        rig.NotificationsOn();
    for (int i = 0; i < commands.size(); ++i) {
        rig.fakeTimer->RunUntil(quint32(queuedAt[i]));
        rig.sender->SendCommandAsync(commands[i]);
        QVERIFY(rig.fakeTimer->IsActive());
        // Queuing returns at once.
        QCOMPARE(rig.air.now, quint32(queuedAt[i]));
    }
    rig.fakeTimer->RunUntil(10000);

    QCOMPARE(rig.air.writeTimes, writeTimes);
    QStringList written;
    for (const QByteArray &w : std::as_const(rig.air.writes))
        written.append(QString::fromUtf8(w));
    QStringList expected;
    for (const QString &c : std::as_const(commands))
        expected.append(c + QLatin1Char('\r'));
    QCOMPARE(written, expected);
    QVERIFY(!rig.fakeTimer->IsActive());
    QCOMPARE(rig.fakeTimer->ticks, ticks);
    QVERIFY(rig.sender->AsyncCmdQueue().isEmpty());
}

void TestCommandSender::queuedCommandDroppedWhenLinkGone()
{
    TRig rig;
    rig.NotificationsOn();
    rig.sender->SendCommandAsync(QStringLiteral("STOP"));
    rig.sender->SendCommandAsync(QStringLiteral("PROBE"));
    rig.air.writable = false;
    rig.fakeTimer->RunUntil(800);
    QCOMPARE(rig.sender->AsyncCmdQueue(), QStringList{"PROBE"});
    rig.air.writable = true;
    rig.fakeTimer->RunUntil(10000);
    QCOMPARE(rig.air.journal, (QStringList{"write PROBE\\r", "sleep 200"}));
    QVERIFY(!rig.fakeTimer->IsActive());
}

void TestCommandSender::queueOutlivesReset()
{
    TRig rig;
    rig.NotificationsOn();
    rig.sender->SendCommandAsync(QStringLiteral("STOP"));
    rig.sender->ResetRxNotification();
    QCOMPARE(rig.sender->AsyncCmdQueue(), QStringList{"STOP"});
    rig.fakeTimer->RunUntil(10000);
    QCOMPARE(rig.air.journal, (QStringList{"notify", "sleep 100", "write STOP\\r", "sleep 200"}));
}

void TestCommandSender::tickDuringSendWaitsForNextTick()
{
    // A pause that lets events run (as a Bluetooth link's may) must not let
    // a queued command cut into the command being sent.
    TRig rig;
    rig.NotificationsOn();
    rig.sender->SendCommandAsync(QStringLiteral("STOP"));
    bool ticked = false;
    rig.air.onSleep = [&] {
        if (!ticked) {
            ticked = true;
            rig.sender->tmCommandAsyncTimer();
        }
    };
    rig.sender->SendCommand(QStringLiteral("START 1,50,1100,9000"));
    rig.air.onSleep = {};
    QCOMPARE(rig.air.journal, (QStringList{"write START 1,50,1100,9000", "sleep 200", "write \\r", "sleep 200"}));
    QCOMPARE(rig.sender->AsyncCmdQueue(), QStringList{"STOP"});
    QVERIFY(rig.fakeTimer->IsActive());
    rig.fakeTimer->RunUntil(10000);
    QCOMPARE(rig.air.journal.mid(4), (QStringList{"write STOP\\r", "sleep 200"}));
}

void TestCommandSender::timerInterval()
{
    TRig rig;
    QCOMPARE(rig.sender->tmCommandAsync().Interval(), 800);
    QVERIFY(!rig.sender->tmCommandAsync().IsActive());
}

QTEST_GUILESS_MAIN(TestCommandSender)
#include "tst_CommandSender.moc"
