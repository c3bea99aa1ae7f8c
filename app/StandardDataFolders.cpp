#include "app/StandardDataFolders.h"

#include <QDir>
#include <QStandardPaths>

TStandardDataFolders::TStandardDataFolders(const QString &AAppTitle)
    : FAppTitle(AAppTitle)
{
}

QString TStandardDataFolders::SharedDataFolder()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("ProgramData");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}

QString TStandardDataFolders::SharedDocumentsFolder()
{
#ifdef Q_OS_WIN
    const QString pub = qEnvironmentVariable("PUBLIC");
    return pub.isEmpty() ? QString() : pub + QStringLiteral("/Documents");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

QString TStandardDataFolders::SessionsPath() const
{
    return QDir::toNativeSeparators(SharedDataFolder() + QStringLiteral("/Gorvik.Quorvel02/Sessions"));
}

QString TStandardDataFolders::SettingsFileName() const
{
    return QDir::toNativeSeparators(SharedDocumentsFolder() + QStringLiteral("/Gorvik/") + FAppTitle + QStringLiteral(".ini"));
}
