#pragma once

#include "app/IDataFolders.h"

#include <QTemporaryDir>

// Sessions and settings inside a temporary folder that goes away with it.
class TTempDataFolders final : public IDataFolders
{
public:
    QString SessionsPath() const override { return FDir.filePath(QStringLiteral("data/Gorvik.Quorvel02/Sessions")); }
    QString SettingsFileName() const override { return FDir.filePath(QStringLiteral("docs/Gorvik/Quorvel02.ini")); }
    QString Root() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
};
