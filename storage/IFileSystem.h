#pragma once

#include <QString>

// The folder and file operations behind the session store. Every operation
// that fails raises EFileError with a Russian message that names the path,
// and the platform's reason where it gives one. Paths are full paths.
class IFileSystem
{
public:
    virtual ~IFileSystem() = default;

    // Creates the folder with any missing parents; an existing folder is
    // fine. The message is "Не удалось создать папку <path>".
    virtual void CreateFolder(const QString &APath) = 0;
    // Moves a folder with all its content; ATo must not exist yet.
    virtual void MoveFolder(const QString &AFrom, const QString &ATo) = 0;
    // Copies a folder with all files and sub-folders; ATo must not exist
    // yet. A copy that fails half-way is removed again.
    virtual void CopyFolder(const QString &AFrom, const QString &ATo) = 0;
    // Deletes a folder with everything in it; a missing folder is fine.
    virtual void DeleteFolder(const QString &APath) = 0;
    // Deletes one file; a missing file is fine.
    virtual void DeleteFile(const QString &APath) = 0;
    // Renames one file; also a change of letter case only, on a file
    // system that ignores case.
    virtual void RenameFile(const QString &AFrom, const QString &ATo) = 0;
    // True when both paths name one existing file, as on a file system
    // that ignores letter case.
    virtual bool SameFile(const QString &A, const QString &B) const = 0;
};
