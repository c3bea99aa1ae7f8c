#include "FakeDialogService.h"
#include "LocaleGuard.h"

#include "device/DeviceLineInterpreter.h"
#include "device/IDebugLog.h"
#include "device/ISensorDataSink.h"
#include "device/PacketJoiner.h"
#include "timing/RunState.h"

#include <QtTest>

namespace {

class TFakeDebugLog final : public IDebugLog
{
public:
    int LineCount() const override { return int(lines.size()); }
    void Clear() override
    {
        lines.clear();
        ++clears;
    }
    void Append(const QString &ALine) override { lines.append(ALine); }

    QStringList lines;
    int clears = 0;
};

// Records each reading as "time/flux".
class TFakeSink final : public ISensorDataSink
{
public:
    void OnSensorData(double ADeviceTime, double AFluxValue) override
    {
        readings.append(QStringLiteral("%1/%2").arg(ADeviceTime).arg(AFluxValue));
    }
    QStringList readings;
};

struct TRig
{
    TRunState run;
    TFakeDebugLog log;
    TFakeDialogService dialogs;
    TFakeSink sink;
    TDeviceLineInterpreter interpreter{run, log, dialogs, sink};
};

const QString kErrorPrefix = QStringLiteral("Ошибка откатчика: \r\n");

} // namespace

class TestDeviceLineInterpreter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void deviceErrorDialog();
    void debugLogHoldsAtMostTwentyLinesBeforeAdding();
    void joinedNotificationsReachTheSink_data();
    void joinedNotificationsReachTheSink();
};

void TestDeviceLineInterpreter::lines_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("armed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<bool>("needStart");
    QTest::addColumn<bool>("needStop");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<QStringList>("logged");

    const QString en = QStringLiteral("en_US");
    const QString ru = QStringLiteral("ru_RU");

    QTest::newRow("data line") << en << false << "100,1,2" << QStringList{"100/2"} << false << false << QStringList{}
                               << QStringList{"100,1,2"};
    QTest::newRow("two data lines") << en << true << "100,1,2\r\n200,1,2" << QStringList{"100/2", "200/2"} << false
                                    << false << QStringList{} << QStringList{"100,1,2", "200,1,2"};
    QTest::newRow("device button while idle, then a data line")
        << en << false << "#CMD:BTN1\r\n100,1,2" << QStringList{} << true << false << QStringList{}
        << QStringList{"#CMD:BTN1"};
    QTest::newRow("device button while armed") << en << true << "#CMD:BTN1" << QStringList{} << false << true
                                               << QStringList{} << QStringList{"#CMD:BTN1"};
    QTest::newRow("BTN10 is the button: nine characters compared")
        << en << false << "#CMD:BTN10" << QStringList{} << true << false << QStringList{}
        << QStringList{"#CMD:BTN10"};
    QTest::newRow("BTN2 is not the button") << en << false << "#CMD:BTN2" << QStringList{} << false << false
                                            << QStringList{} << QStringList{"#CMD:BTN2"};
    QTest::newRow("short of nine characters") << en << false << "#CMD:BTN" << QStringList{} << false << false
                                              << QStringList{} << QStringList{"#CMD:BTN"};
    QTest::newRow("error alone") << en << true << "#ERR:" << QStringList{} << false << false
                                 << QStringList{kErrorPrefix + "#ERR:"} << QStringList{"#ERR:"};
    QTest::newRow("error with text, then a data line")
        << en << true << "#ERR: Low battery, 10%\r\n100,1,2" << QStringList{} << false << false
        << QStringList{kErrorPrefix + "#ERR: Low battery, 10%"} << QStringList{"#ERR: Low battery, 10%"};
    QTest::newRow("#ERR without colon is a notice") << en << false << "#ERR" << QStringList{} << false << false
                                                    << QStringList{} << QStringList{"#ERR"};
    QTest::newRow("notice is only logged, and ends the text")
        << en << false << "#STATE idle\r\n100,1,2" << QStringList{} << false << false << QStringList{}
        << QStringList{"#STATE idle"};
    QTest::newRow("data line before a notice is processed")
        << en << false << "100,1,2\r\n#CMD:BTN1\r\n200,1,2" << QStringList{"100/2"} << true << false << QStringList{}
        << QStringList{"100,1,2", "#CMD:BTN1"};
    QTest::newRow("point decimal under a point locale")
        << en << false << "12.5,1,2" << QStringList{"12.5/2"} << false << false << QStringList{}
        << QStringList{"12.5,1,2"};
    QTest::newRow("point decimal under a comma locale: first field 0")
        << ru << false << "12.5,1,2" << QStringList{} << false << false << QStringList{} << QStringList{"12.5,1,2"};
    QTest::newRow("second field zero") << en << false << "100,0,2" << QStringList{} << false << false
                                       << QStringList{} << QStringList{"100,0,2"};
    QTest::newRow("first field zero") << en << false << "0,1,2" << QStringList{} << false << false << QStringList{}
                                      << QStringList{"0,1,2"};
    QTest::newRow("third field zero") << en << false << "100,1,0" << QStringList{} << false << false
                                      << QStringList{} << QStringList{"100,1,0"};
    QTest::newRow("two fields") << en << false << "100,1" << QStringList{} << false << false << QStringList{}
                                << QStringList{"100,1"};
    QTest::newRow("four fields") << en << false << "100,1,2,3" << QStringList{} << false << false << QStringList{}
                                 << QStringList{"100,1,2,3"};
    QTest::newRow("letters count as zero") << en << false << "abc,1,2" << QStringList{} << false << false
                                           << QStringList{} << QStringList{"abc,1,2"};
    QTest::newRow("empty field counts as zero") << en << false << "100,,2" << QStringList{} << false << false
                                                << QStringList{} << QStringList{"100,,2"};
    QTest::newRow("a rejected line ends the text")
        << en << false << "100,1,2\r\n100,0,2\r\n300,1,2" << QStringList{"100/2"} << false << false << QStringList{}
        << QStringList{"100,1,2", "100,0,2"};
    QTest::newRow("wrong count ends the text") << en << false << "100,1\r\n200,1,2" << QStringList{} << false
                                               << false << QStringList{} << QStringList{"100,1"};
    QTest::newRow("empty line ends the text") << en << false << "100,1,2\r\n\r\n200,1,2" << QStringList{"100/2"}
                                              << false << false << QStringList{} << QStringList{"100,1,2", ""};
    QTest::newRow("empty text") << en << false << "" << QStringList{} << false << false << QStringList{}
                                << QStringList{};
    QTest::newRow("blanks separate fields") << en << false << "100 1 2" << QStringList{"100/2"} << false << false
                                            << QStringList{} << QStringList{"100 1 2"};
    QTest::newRow("quoted fields") << en << false << "\"100\",\"1\",\"2\"" << QStringList{"100/2"} << false << false
                                   << QStringList{} << QStringList{"\"100\",\"1\",\"2\""};
    QTest::newRow("negative numbers are not zero") << en << false << "-5,1,-7" << QStringList{"-5/-7"} << false
                                                   << false << QStringList{} << QStringList{"-5,1,-7"};
    QTest::newRow("CR and LF alone split lines") << en << false << "1,1,1\r2,2,2\n3,3,3"
                                                 << QStringList{"1/1", "2/2", "3/3"} << false << false
                                                 << QStringList{} << QStringList{"1,1,1", "2,2,2", "3,3,3"};
}

void TestDeviceLineInterpreter::lines()
{
    QFETCH(QString, locale);
    QFETCH(bool, armed);
    QFETCH(QString, text);
    QFETCH(QStringList, readings);
    QFETCH(bool, needStart);
    QFETCH(bool, needStop);
    QFETCH(QStringList, dialogs);
    QFETCH(QStringList, logged);

    TLocaleGuard guard(locale);
    TRig rig;
    rig.run.FMode = armed ? TLSMode::lsmMeasure : TLSMode::lsmIdle;
    rig.interpreter.OnBTData(text);

    QCOMPARE(rig.sink.readings, readings);
    QCOMPARE(rig.run.FNeedStart, needStart);
    QCOMPARE(rig.run.FNeedStop, needStop);
    QCOMPARE(rig.dialogs.Messages(), dialogs);
    QCOMPARE(rig.log.lines, logged);
    // Lines change no mode themselves; the window's timer serves the flags.
    QCOMPARE(rig.run.FMode, armed ? TLSMode::lsmMeasure : TLSMode::lsmIdle);
}

void TestDeviceLineInterpreter::deviceErrorDialog()
{
    TRig rig;
    rig.interpreter.OnBTData(QStringLiteral("#ERR:"));
    QCOMPARE(rig.dialogs.Dialogs.size(), 1);
    const TFakeDialogService::TDialog &d = rig.dialogs.Dialogs[0];
    QCOMPARE(d.message, QStringLiteral("Ошибка откатчика: \r\n#ERR:"));
    QCOMPARE(d.type, TMsgDlgType::mtInformation);
    QCOMPARE(d.buttons, TMsgDlgButtons::mbOK);
    // Closing it changes nothing.
    rig.dialogs.CloseLast(mrOk);
    QVERIFY(!rig.run.FNeedStart);
    QVERIFY(!rig.run.FNeedStop);
}

void TestDeviceLineInterpreter::debugLogHoldsAtMostTwentyLinesBeforeAdding()
{
    TRig rig;
    for (int i = 0; i < 20; ++i)
        rig.log.Append(QStringLiteral("old %1").arg(i));
    // 20 lines are not more than 20: the line is added.
    rig.interpreter.OnBTData(QStringLiteral("#A"));
    QCOMPARE(rig.log.LineCount(), 21);
    QCOMPARE(rig.log.clears, 0);
    // 21 are: the log is cleared first.
    rig.interpreter.OnBTData(QStringLiteral("#B"));
    QCOMPARE(rig.log.lines, QStringList{"#B"});
    QCOMPARE(rig.log.clears, 1);

    // The rule holds line by line within one text.
    TRig many;
    QString text;
    for (int i = 1; i <= 23; ++i)
        text += QStringLiteral("%1,1,1\r\n").arg(i);
    many.interpreter.OnBTData(text);
    QCOMPARE(many.sink.readings.size(), 23);
    QCOMPARE(many.log.clears, 1);
    QCOMPARE(many.log.lines, (QStringList{"22,1,1", "23,1,1"}));
}

void TestDeviceLineInterpreter::joinedNotificationsReachTheSink_data()
{
    QTest::addColumn<QList<QByteArray>>("notifications");
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<bool>("needStart");

    QTest::newRow("two notifications, one data line") << QList<QByteArray>{"123,4", "5,678\r\n"}
                                                      << QStringList{"123/678"} << false;
    QTest::newRow("one notification, two data lines") << QList<QByteArray>{"100,1,2\r\n200,1,2\r\n"}
                                                      << QStringList{"100/2", "200/2"} << false;
    QTest::newRow("button, then a data line in one notification")
        << QList<QByteArray>{"#CMD:BTN1\r\n100,1,2\r\n"} << QStringList{} << true;
    QTest::newRow("button and data line in two deliveries")
        << QList<QByteArray>{"#CMD:BTN1\r\n", "100,1,2\r\n"} << QStringList{"100/2"} << true;
}

void TestDeviceLineInterpreter::joinedNotificationsReachTheSink()
{
    QFETCH(QList<QByteArray>, notifications);
    QFETCH(QStringList, readings);
    QFETCH(bool, needStart);

    TLocaleGuard guard(QStringLiteral("en_US"));
    TRig rig;
    TPacketJoiner joiner;
    joiner.SetRxCommandEndTag(QStringLiteral("\r\n"));
    joiner.SetOnBTValue([&rig](const QString &AValue) { rig.interpreter.OnBTData(AValue); });
    for (const QByteArray &n : std::as_const(notifications))
        joiner.AppendReceivedText(n);
    QCOMPARE(rig.sink.readings, readings);
    QCOMPARE(rig.run.FNeedStart, needStart);
}

QTEST_GUILESS_MAIN(TestDeviceLineInterpreter)
#include "tst_DeviceLineInterpreter.moc"
