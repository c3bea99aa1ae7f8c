#pragma once

#include "app/AppError.h"
#include "storage/QtFileSystem.h"

#include <QSet>
#include <QStringList>

// The real file system, with a record of every call, operations that can be
// told to fail, and optionally the case-blindness of other platforms: paths
// that differ only in letter case then count as one file.
class TFakeFileSystem final : public IFileSystem
{
public:
    void CreateFolder(const QString &APath) override { Call(QStringLiteral("CreateFolder"), APath); FReal.CreateFolder(APath); }
    void MoveFolder(const QString &AFrom, const QString &ATo) override
    {
        Call(QStringLiteral("MoveFolder"), AFrom + QLatin1String(" -> ") + ATo);
        FReal.MoveFolder(AFrom, ATo);
    }
    void CopyFolder(const QString &AFrom, const QString &ATo) override
    {
        Call(QStringLiteral("CopyFolder"), AFrom + QLatin1String(" -> ") + ATo);
        FReal.CopyFolder(AFrom, ATo);
    }
    void DeleteFolder(const QString &APath) override { Call(QStringLiteral("DeleteFolder"), APath); FReal.DeleteFolder(APath); }
    void DeleteFile(const QString &APath) override { Call(QStringLiteral("DeleteFile"), APath); FReal.DeleteFile(APath); }
    void RenameFile(const QString &AFrom, const QString &ATo) override
    {
        Call(QStringLiteral("RenameFile"), AFrom + QLatin1String(" -> ") + ATo);
        FReal.RenameFile(AFrom, ATo);
    }
    bool SameFile(const QString &A, const QString &B) const override
    {
        if (CaseInsensitive)
            return A.compare(B, Qt::CaseInsensitive) == 0;
        return FReal.SameFile(A, B);
    }

    // Names of the operations (as above) that raise instead of acting.
    QSet<QString> Failing;
    bool CaseInsensitive = false;
    // "Operation: argument" for every call, in order.
    QStringList Calls;

    QStringList CallsOf(const QString &AOperation) const
    {
        QStringList list;
        for (const QString &c : Calls)
            if (c.startsWith(AOperation + QLatin1Char(':')))
                list.append(c);
        return list;
    }

private:
    void Call(const QString &AOperation, const QString &AArgument)
    {
        Calls.append(AOperation + QStringLiteral(": ") + AArgument);
        if (Failing.contains(AOperation))
            throw EFileError(QStringLiteral("Сбой %1").arg(AOperation));
    }

    TQtFileSystem FReal;
};
