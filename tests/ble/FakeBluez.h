#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QtTest>

#include <unistd.h>

#include <functional>

// The tests' hands on the fake BlueZ that with-fake-bluez.sh runs on the
// private system bus.
struct TFakeEvent
{
    double at = 0; // ms on the fake's monotonic clock
    QString kind;  // scan, connect, disconnect, notify-on, write
    QByteArray data;
    QString extra; // the write type
};
Q_DECLARE_METATYPE(TFakeEvent)

inline const QDBusArgument &operator>>(const QDBusArgument &AArg, TFakeEvent &AEvent)
{
    AArg.beginStructure();
    AArg >> AEvent.at >> AEvent.kind >> AEvent.data >> AEvent.extra;
    AArg.endStructure();
    return AArg;
}
inline QDBusArgument &operator<<(QDBusArgument &AArg, const TFakeEvent &AEvent)
{
    AArg.beginStructure();
    AArg << AEvent.at << AEvent.kind << AEvent.data << AEvent.extra;
    AArg.endStructure();
    return AArg;
}

class TFakeBluez
{
public:
    TFakeBluez()
        : FControl(QStringLiteral("org.bluez"), QStringLiteral("/quorvel"), QStringLiteral("org.quorvel.FakeBluez"),
                   QDBusConnection::systemBus())
    {
        qDBusRegisterMetaType<TFakeEvent>();
        qDBusRegisterMetaType<QList<TFakeEvent>>();
    }

    bool SetScenario(const QString &AName) { return Call(QStringLiteral("SetScenario"), {AName}); }
    bool Notify(const QByteArray &AData) { return Call(QStringLiteral("Notify"), {AData}); }
    bool Drop() { return Call(QStringLiteral("Drop"), {}); }
    bool ClearEvents() { return Call(QStringLiteral("ClearEvents"), {}); }
    bool IsConnected()
    {
        QDBusReply<bool> r = FControl.call(QStringLiteral("IsConnected"));
        return r.isValid() && r.value();
    }
    double Now()
    {
        QDBusReply<double> r = FControl.call(QStringLiteral("Now"));
        return r.isValid() ? r.value() : 0;
    }
    QList<TFakeEvent> Events()
    {
        QDBusMessage m = FControl.call(QStringLiteral("Events"));
        QList<TFakeEvent> list;
        if (m.type() == QDBusMessage::ReplyMessage && !m.arguments().isEmpty())
            qvariant_cast<QDBusArgument>(m.arguments().at(0)) >> list;
        return list;
    }
    QList<TFakeEvent> Events(const QString &AKind)
    {
        QList<TFakeEvent> list;
        for (const TFakeEvent &e : Events())
            if (e.kind == AKind)
                list.append(e);
        return list;
    }
    // The writes and the notification requests, in order.
    QList<TFakeEvent> Air()
    {
        QList<TFakeEvent> list;
        for (const TFakeEvent &e : Events())
            if (e.kind == QLatin1String("write") || e.kind == QLatin1String("notify-on"))
                list.append(e);
        return list;
    }

private:
    bool Call(const QString &AMethod, const QVariantList &AArgs)
    {
        QDBusMessage m = FControl.callWithArgumentList(QDBus::Block, AMethod, AArgs);
        if (m.type() != QDBusMessage::ReplyMessage)
            qWarning() << "fake BlueZ:" << AMethod << m.errorMessage();
        return m.type() == QDBusMessage::ReplyMessage;
    }

    QDBusInterface FControl;
};

// Waits, serving events, until ACondition holds or AMs have passed.
inline bool WaitFor(const std::function<bool()> &ACondition, int AMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!ACondition()) {
        if (t.elapsed() > AMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// Runs the test class through with-fake-bluez.sh unless it already runs
// on the private bus: every test process has its own bus and fake.
#define QUORVEL_FAKE_BLUEZ_MAIN(TestClass)                                                                   \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        if (!qEnvironmentVariableIsSet("QUORVEL_FAKE_BLUEZ")) {                                             \
            QByteArray wrapper = QByteArray(QUORVEL_BLE_DIR) + "/with-fake-bluez.sh";                        \
            QList<char *> args;                                                                              \
            args.append(wrapper.data());                                                                     \
            char self[4096] = {};                                                                            \
            if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)                                      \
                return 1;                                                                                    \
            args.append(self);                                                                               \
            for (int i = 1; i < argc; ++i)                                                                   \
                args.append(argv[i]);                                                                        \
            args.append(nullptr);                                                                            \
            qputenv("QUORVEL_FAKE_BLUEZ", "1");                                                             \
            execv(wrapper.constData(), args.data());                                                         \
            perror("execv");                                                                                 \
            return 1;                                                                                        \
        }                                                                                                    \
        QApplication app(argc, argv);                                                                        \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
