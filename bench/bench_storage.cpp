#include "storage/LSResult.h"

#include <QtTest>

// How long saving and loading one measurement file takes; a session of a
// hundred runs is loaded on every change of the selector.
class BenchStorage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveMeasurement();
    void loadMeasurement();

private:
    QTemporaryDir FDir;
};

static void FillRecord(TLSResult &R)
{
    R.Descr = QStringLiteral("Изм_01");
    R.ReflectorCount = 20;
    for (int i = 0; i < 19; ++i) {
        R.ReflectorDistances[i] = 5.0;
        R.ReflectorTimesMs[i] = 1000.0 + i;
    }
}

void BenchStorage::saveMeasurement()
{
    TLSResult r;
    FillRecord(r);
    const QString name = FDir.filePath(QStringLiteral("save.strc"));
    QBENCHMARK {
        r.SaveToFile(name);
    }
}

void BenchStorage::loadMeasurement()
{
    TLSResult r;
    FillRecord(r);
    const QString name = FDir.filePath(QStringLiteral("load.strc"));
    r.SaveToFile(name);
    QBENCHMARK {
        r.LoadFromFile(name);
    }
}

QTEST_GUILESS_MAIN(BenchStorage)
#include "bench_storage.moc"
