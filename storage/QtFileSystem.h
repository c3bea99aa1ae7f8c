#pragma once

#include "storage/IFileSystem.h"

// The file system through QDir and QFile.
class TQtFileSystem final : public IFileSystem
{
public:
    void CreateFolder(const QString &APath) override;
    void MoveFolder(const QString &AFrom, const QString &ATo) override;
    void CopyFolder(const QString &AFrom, const QString &ATo) override;
    void DeleteFolder(const QString &APath) override;
    void DeleteFile(const QString &APath) override;
    void RenameFile(const QString &AFrom, const QString &ATo) override;
    bool SameFile(const QString &A, const QString &B) const override;
};
