#pragma once

#include "storage/SessionNames.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class IFileSystem;
class TLSResult;

// Makes the record a measurement file is read into (the window's NewResult:
// a record with the settings' reflector layout).
using TNewResultFunc = std::function<std::unique_ptr<TLSResult>()>;

// What loading a session gave: the records read, in load order, and the
// files that could not be read and were left out.
struct TSessionLoad
{
    TResultList Results;
    QStringList SkippedFiles;  // file names, without folder
    QStringList SkippedErrors; // the error message of each skipped file
    // One message naming every skipped file; empty when none was skipped.
    QString SkippedMessage() const;
};

// The session folders inside the sessions folder and the measurement files
// inside them. A session is a folder DataPath/<name>; a measurement is the
// file <session folder>/<Descr>.strc directly inside it.
class TSessionStore
{
public:
    TSessionStore(const QString &ADataPath, IFileSystem &AFileSystem);

    const QString &DataPath() const { return FDataPath; }
    QString SessionFolder(const QString &ASession) const;
    QString ResultFile(const QString &ASession, const QString &ADescr) const;

    // The session folder exists. The empty name names DataPath itself.
    bool SessionExists(const QString &AName) const;
    // The names of the folders directly inside DataPath, whole, in the
    // order the listing gives (unsorted); empty when the listing fails.
    QStringList ListSessions() const;
    // Full paths of the "*.strc" files directly inside the session folder
    // (".strc" alone counts), sorted ascending without regard to case under
    // the default locale; empty when the listing fails.
    QStringList ListResultFiles(const QString &ASession) const;
    // Reads every file of ListResultFiles into a record from ANewResult;
    // Descr is the file name before its last ".", whatever the file says.
    // A file that cannot be read is skipped and reported; the rest load.
    TSessionLoad LoadSession(const QString &ASession, const TNewResultFunc &ANewResult) const;

    // Invalid by the name rule, else taken when the folder exists. The empty
    // name is taken: it names DataPath itself.
    TNameCheck CheckNewSessionName(const QString &AName) const;
    // Raises EFileError "Не удалось создать папку <path>".
    void CreateSession(const QString &AName);
    // These three raise the file system's EFileError.
    void RenameSession(const QString &AOld, const QString &ANew);
    void CopySession(const QString &AOld, const QString &ANew);
    void DeleteSession(const QString &AName);

    // A file of that name exists in the session folder (also one that could
    // not be loaded, or one that differs only in a letter case the file
    // system ignores).
    bool ResultFileExists(const QString &ASession, const QString &ADescr) const;
    // A record of AList has the name (ASCII letters without case), or the
    // session folder holds a file of that name.
    bool ResultNameTaken(const TResultList &AList, const QString &ASession, const QString &ADescr) const;
    // Taken when a record of AList has the name; else invalid by the name
    // rule; else taken when the session folder holds a file of that name.
    TNameCheck CheckNewResultName(const TResultList &AList, const QString &ASession, const QString &ADescr) const;

    // Writes R into ResultFile(ASession, R.Descr); raises the record's
    // EFileError.
    void SaveResult(const QString &ASession, const TLSResult &R) const;
    // Deletes the measurement's file; false when that failed.
    bool DeleteResultFile(const QString &ASession, const QString &ADescr) noexcept;
    // Stores ANew, which replaces the measurement AOldDescr: the new file is
    // written first and the old one removed only after that succeeded, so a
    // failed write keeps the old file. When the file system takes both names
    // for one file (a change of letter case only), that file is rewritten
    // and renamed instead of deleted.
    void ReplaceResult(const QString &ASession, const QString &AOldDescr, const TLSResult &ANew);

private:
    QString FDataPath;
    IFileSystem &FFileSystem;
};
