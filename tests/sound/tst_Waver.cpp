#include "app/AppError.h"
#include "sound/UtilSound.h"
#include "sound/Waver.h"
#include "timing/SystemClock.h"

#include <QtTest>

#include <array>

// The wave output on a machine without a sound server (the test's
// environment points the sound client at a socket that does not exist).
// Playing for real is tst_SoundOutput's part.
class TestWaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waveFormat_data();
    void waveFormat();
    void defaults();
    void formatChangesAreKept();
    void noOutputDeviceListsNothing();
    void noInputDeviceListsNothing();
    void openFailsWithoutDevice_data();
    void openFailsWithoutDevice();
    void closeWhenNeverOpened();
    void doRecWithoutInput();
    void noDeviceMeansNoWorker();
};

void TestWaver::waveFormat_data()
{
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<quint16>("bits");
    QTest::addColumn<quint16>("channels");
    QTest::addColumn<quint16>("blockAlign");
    QTest::addColumn<quint32>("avgBytes");
    QTest::newRow("8 bit mono") << 9600u << quint16(8) << quint16(1) << quint16(1) << 9600u;
    QTest::newRow("16 bit stereo") << 44100u << quint16(16) << quint16(2) << quint16(4) << 176400u;
    QTest::newRow("16 bit mono") << 11025u << quint16(16) << quint16(1) << quint16(2) << 22050u;
    QTest::newRow("12 bit mono truncates") << 8000u << quint16(12) << quint16(1) << quint16(1) << 8000u;
}

void TestWaver::waveFormat()
{
    QFETCH(quint32, rate);
    QFETCH(quint16, bits);
    QFETCH(quint16, channels);
    QFETCH(quint16, blockAlign);
    QFETCH(quint32, avgBytes);
    const TWaveFormatEx f = TWaver::WaveFormat(rate, bits, channels);
    QCOMPARE(f.wFormatTag, quint16(1));
    QCOMPARE(f.nChannels, channels);
    QCOMPARE(f.nSamplesPerSec, rate);
    QCOMPARE(f.wBitsPerSample, bits);
    QCOMPARE(f.nBlockAlign, blockAlign);
    QCOMPARE(f.nAvgBytesPerSec, avgBytes);
    QCOMPARE(f.cbSize, quint16(0));
}

void TestWaver::defaults()
{
    TWaver w;
    QCOMPARE(w.SamplesPerSec(), 11025u);
    QCOMPARE(w.BitsPerSample(), quint16(8));
    QCOMPARE(w.nChannels(), quint16(1));
    QCOMPARE(w.DeviceId(), TWaver::WAVE_MAPPER);
    QVERIFY(!w.OutOpened());
    QVERIFY(!w.InOpened());
    QVERIFY(w.Finished());
    QVERIFY(w.Finished2());
    QCOMPARE(w.OutVolume(), qint32(-1));
    QCOMPARE(w.GetPlayPos(), 0);
    QCOMPARE(w.GetRecPos(), 0);
}

void TestWaver::formatChangesAreKept()
{
    TWaver w;
    w.SetSamplesPerSec(9600);
    w.SetBitsPerSample(16);
    w.SetnChannels(2);
    w.SetDeviceId(3);
    w.SetOutLR(0x1000, 0x2000);
    QCOMPARE(w.SamplesPerSec(), 9600u);
    QCOMPARE(w.BitsPerSample(), quint16(16));
    QCOMPARE(w.nChannels(), quint16(2));
    QCOMPARE(w.DeviceId(), 3u);
    QCOMPARE(w.OutVolume(), qint32(0x20001000));
}

void TestWaver::noOutputDeviceListsNothing()
{
    TWaver w;
    QStringList list{"stale line"};
    QVERIFY(!w.GetWaveOutDevices(list));
    QVERIFY(list.isEmpty());
}

void TestWaver::noInputDeviceListsNothing()
{
    TWaver w;
    QStringList list{"stale line"};
    QVERIFY(!w.GetWaveInDevices(list));
    QVERIFY(list.isEmpty());
}

void TestWaver::openFailsWithoutDevice_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("OutOpen") << "OutOpen";
    QTest::newRow("Play opens first") << "Play";
    QTest::newRow("InOpen") << "InOpen";
    QTest::newRow("Rec opens first") << "Rec";
    QTest::newRow("SetRecBuff opens first") << "SetRecBuff";
}

void TestWaver::openFailsWithoutDevice()
{
    QFETCH(QString, operation);
    TWaver w;
    std::array<quint8, 64> buffer{};
    try {
        if (operation == "OutOpen")
            w.OutOpen();
        else if (operation == "Play")
            w.Play(buffer.data(), buffer.size(), 0);
        else if (operation == "InOpen")
            w.InOpen();
        else if (operation == "Rec")
            w.Rec(buffer.data(), buffer.size());
        else
            w.SetRecBuff(buffer.data(), buffer.size());
        QFAIL("no error raised");
    } catch (const EAppError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Устройство не открывается"));
    }
    QVERIFY(!w.OutOpened());
    QVERIFY(!w.InOpened());
    w.OutClose();
    w.InClose();
}

void TestWaver::closeWhenNeverOpened()
{
    TWaver w;
    w.OutClose();
    QVERIFY(!w.OutOpened());
    w.InClose();
    QVERIFY(!w.InOpened());
    w.RecReset();
}

void TestWaver::doRecWithoutInput()
{
    TWaver w;
    try {
        w.DoRec();
        QFAIL("no error raised");
    } catch (const EAppError &e) {
        QCOMPARE(e.Message(), QStringLiteral("Ошибка при работе со звуком"));
    }
}

void TestWaver::noDeviceMeansNoWorker()
{
    TUtilSound sound(CreateWaver, TSystemClock::Instance(), nullptr);
    QVERIFY(!sound.HasWaveOutDevice());
    sound.PlayTone(800, 100, TToneOutput::toSoundCard, TWavGenMode::wgmPWM, true);
    QVERIFY(!sound.SoundCardThread());
    QVERIFY(!sound.GlobalWaver());
}

QTEST_GUILESS_MAIN(TestWaver)
#include "tst_Waver.moc"
