#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// The whole content of a file; empty when it cannot be read.
inline QByteArray ReadAll(const QString &AName)
{
    QFile f(AName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Writes a file byte for byte, making its folder first.
inline void WriteAll(const QString &AName, const QByteArray &AData)
{
    QDir().mkpath(QFileInfo(AName).absolutePath());
    QFile f(AName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(AData), AData.size());
}
