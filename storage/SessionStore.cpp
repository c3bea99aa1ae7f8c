#include "storage/SessionStore.h"

#include "app/AppError.h"
#include "storage/IFileSystem.h"
#include "storage/LSResult.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

const QString kExtension = QStringLiteral(".strc");

} // namespace

QString TSessionLoad::SkippedMessage() const
{
    if (SkippedFiles.isEmpty())
        return QString();
    return QStringLiteral("Не удалось прочитать файлы измерений, они пропущены:\r\n") +
           SkippedFiles.join(QStringLiteral("\r\n"));
}

TSessionStore::TSessionStore(const QString &ADataPath, IFileSystem &AFileSystem)
    : FDataPath(ADataPath), FFileSystem(AFileSystem)
{
}

QString TSessionStore::SessionFolder(const QString &ASession) const
{
    return FDataPath + QLatin1Char('/') + ASession;
}

QString TSessionStore::ResultFile(const QString &ASession, const QString &ADescr) const
{
    return SessionFolder(ASession) + QLatin1Char('/') + ADescr + kExtension;
}

bool TSessionStore::SessionExists(const QString &AName) const
{
    return QFileInfo(SessionFolder(AName)).isDir();
}

QStringList TSessionStore::ListSessions() const
{
    // Hidden folders count: a session name may begin with a point.
    return QDir(FDataPath).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
}

QStringList TSessionStore::ListResultFiles(const QString &ASession) const
{
    const QString folder = SessionFolder(ASession);
    // Hidden files count: the measurement with the empty name is ".strc".
    const QStringList names = QDir(folder).entryList({QStringLiteral("*") + kExtension},
                                                     QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &n : names)
        paths.append(folder + QLatin1Char('/') + n);
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names equal without case keep a fixed order between themselves.
    std::sort(paths.begin(), paths.end(), [&collator](const QString &a, const QString &b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return paths;
}

TSessionLoad TSessionStore::LoadSession(const QString &ASession, const TNewResultFunc &ANewResult) const
{
    TSessionLoad load;
    for (const QString &path : ListResultFiles(ASession)) {
        std::unique_ptr<TLSResult> r = ANewResult();
        const QString fileName = QFileInfo(path).fileName();
        try {
            r->LoadFromFile(path);
        } catch (const EAppError &e) {
            load.SkippedFiles.append(fileName);
            load.SkippedErrors.append(e.Message());
            continue;
        }
        r->Descr = SessionNames::DescrFromFileName(fileName);
        load.Results.push_back(std::move(r));
    }
    return load;
}

TNameCheck TSessionStore::CheckNewSessionName(const QString &AName) const
{
    // The characters first: a name with a path delimiter could otherwise name
    // an existing folder further down, or DataPath itself.
    if (!SessionNames::IsValidName(AName))
        return TNameCheck::ncInvalid;
    return SessionExists(AName) ? TNameCheck::ncTaken : TNameCheck::ncFree;
}

void TSessionStore::CreateSession(const QString &AName)
{
    const QString folder = SessionFolder(AName);
    try {
        FFileSystem.CreateFolder(folder);
    } catch (const EFileError &) {
        throw EFileError(QStringLiteral("Не удалось создать папку %1").arg(QDir::toNativeSeparators(folder)));
    }
}

void TSessionStore::RenameSession(const QString &AOld, const QString &ANew)
{
    FFileSystem.MoveFolder(SessionFolder(AOld), SessionFolder(ANew));
}

void TSessionStore::CopySession(const QString &AOld, const QString &ANew)
{
    FFileSystem.CopyFolder(SessionFolder(AOld), SessionFolder(ANew));
}

void TSessionStore::DeleteSession(const QString &AName)
{
    // The empty name would name the sessions folder itself.
    if (AName.isEmpty())
        return;
    FFileSystem.DeleteFolder(SessionFolder(AName));
}

bool TSessionStore::ResultFileExists(const QString &ASession, const QString &ADescr) const
{
    return QFileInfo::exists(ResultFile(ASession, ADescr));
}

bool TSessionStore::ResultNameTaken(const TResultList &AList, const QString &ASession, const QString &ADescr) const
{
    return SessionNames::ResultExists(AList, ADescr) || ResultFileExists(ASession, ADescr);
}

TNameCheck TSessionStore::CheckNewResultName(const TResultList &AList, const QString &ASession,
                                             const QString &ADescr) const
{
    if (SessionNames::ResultExists(AList, ADescr))
        return TNameCheck::ncTaken;
    if (!SessionNames::IsValidName(ADescr))
        return TNameCheck::ncInvalid;
    // A file the list does not hold (one that could not be loaded) must not
    // be overwritten either.
    return ResultFileExists(ASession, ADescr) ? TNameCheck::ncTaken : TNameCheck::ncFree;
}

void TSessionStore::SaveResult(const QString &ASession, const TLSResult &R) const
{
    R.SaveToFile(ResultFile(ASession, R.Descr));
}

bool TSessionStore::DeleteResultFile(const QString &ASession, const QString &ADescr) noexcept
{
    try {
        FFileSystem.DeleteFile(ResultFile(ASession, ADescr));
        return true;
    } catch (...) {
        return false;
    }
}

void TSessionStore::ReplaceResult(const QString &ASession, const QString &AOldDescr, const TLSResult &ANew)
{
    const QString oldFile = ResultFile(ASession, AOldDescr);
    const QString newFile = ResultFile(ASession, ANew.Descr);
    if (oldFile == newFile) {
        ANew.SaveToFile(newFile);
        return;
    }
    if (FFileSystem.SameFile(oldFile, newFile)) {
        // Deleting the old name would delete the file just written.
        ANew.SaveToFile(oldFile);
        FFileSystem.RenameFile(oldFile, newFile);
        return;
    }
    ANew.SaveToFile(newFile);
    DeleteResultFile(ASession, AOldDescr);
}
