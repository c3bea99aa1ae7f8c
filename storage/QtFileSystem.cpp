#include "storage/QtFileSystem.h"

#include "app/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString Shown(const QString &APath)
{
    return QDir::toNativeSeparators(APath);
}

[[noreturn]] void Fail(const QString &AMessage, const QString &AReason = QString())
{
    if (AReason.isEmpty())
        throw EFileError(AMessage);
    throw EFileError(AMessage + QStringLiteral(": ") + AReason);
}

// Copies the content of AFrom into the existing folder ATo; answers the
// reason of the first failure, empty when everything was copied.
QString CopyContent(const QString &AFrom, const QString &ATo)
{
    const QFileInfoList entries = QDir(AFrom).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &e : entries) {
        const QString target = ATo + QLatin1Char('/') + e.fileName();
        if (e.isDir()) {
            // A link to a folder could lead back into the tree; it is left out.
            if (e.isSymLink())
                continue;
            if (!QDir().mkdir(target))
                return QStringLiteral("не удалось создать папку %1").arg(Shown(target));
            const QString reason = CopyContent(e.filePath(), target);
            if (!reason.isEmpty())
                return reason;
        } else {
            QFile f(e.filePath());
            if (!f.copy(target))
                return QStringLiteral("%1: %2").arg(Shown(e.filePath()), f.errorString());
        }
    }
    return QString();
}

} // namespace

void TQtFileSystem::CreateFolder(const QString &APath)
{
    if (QFileInfo(APath).isDir())
        return;
    if (!QDir().mkpath(APath))
        Fail(QStringLiteral("Не удалось создать папку %1").arg(Shown(APath)));
}

void TQtFileSystem::MoveFolder(const QString &AFrom, const QString &ATo)
{
    const QString message = QStringLiteral("Не удалось переместить папку %1 в %2").arg(Shown(AFrom), Shown(ATo));
    if (!QFileInfo(AFrom).isDir())
        Fail(message, QStringLiteral("папка не найдена"));
    // Some systems let a rename replace an empty folder; a move must never
    // replace anything.
    if (QFileInfo::exists(ATo))
        Fail(message, QStringLiteral("папка с таким именем уже существует"));
    if (!QDir().rename(AFrom, ATo))
        Fail(message);
}

void TQtFileSystem::CopyFolder(const QString &AFrom, const QString &ATo)
{
    const QString message = QStringLiteral("Не удалось скопировать папку %1 в %2").arg(Shown(AFrom), Shown(ATo));
    if (!QFileInfo(AFrom).isDir())
        Fail(message, QStringLiteral("папка не найдена"));
    if (QFileInfo::exists(ATo))
        Fail(message, QStringLiteral("папка с таким именем уже существует"));
    if (!QDir().mkpath(ATo))
        Fail(message, QStringLiteral("не удалось создать папку %1").arg(Shown(ATo)));
    const QString reason = CopyContent(AFrom, ATo);
    if (!reason.isEmpty()) {
        // A half copy would look like a complete session.
        QDir(ATo).removeRecursively();
        Fail(message, reason);
    }
}

void TQtFileSystem::DeleteFolder(const QString &APath)
{
    const QFileInfo info(APath);
    if (!info.exists() && !info.isSymLink())
        return;
    const QString message = QStringLiteral("Не удалось удалить папку %1").arg(Shown(APath));
    if (!info.isDir())
        Fail(message, QStringLiteral("это не папка"));
    if (!QDir(APath).removeRecursively())
        Fail(message);
}

void TQtFileSystem::DeleteFile(const QString &APath)
{
    const QFileInfo info(APath);
    if (!info.exists() && !info.isSymLink())
        return;
    const QString message = QStringLiteral("Не удалось удалить файл %1").arg(Shown(APath));
    if (info.isDir() && !info.isSymLink())
        Fail(message, QStringLiteral("это папка"));
    QFile f(APath);
    if (!f.remove())
        Fail(message, f.errorString());
}

void TQtFileSystem::RenameFile(const QString &AFrom, const QString &ATo)
{
    QFile f(AFrom);
    if (!f.rename(ATo))
        Fail(QStringLiteral("Не удалось переименовать файл %1 в %2").arg(Shown(AFrom), Shown(ATo)), f.errorString());
}

bool TQtFileSystem::SameFile(const QString &A, const QString &B) const
{
    const QFileInfo a(A);
    const QFileInfo b(B);
    return a.exists() && b.exists() && a == b;
}
