#pragma once

#include "sound/IShell.h"

#include <QStringList>

// Records what the program asked the shell to open, in order.
class TFakeShell final : public IShell
{
public:
    void OpenUrl(const QString &AUrl) override { Urls.append(AUrl); }
    void OpenFolder(const QString &APath) override { Folders.append(APath); }

    QStringList Urls;
    QStringList Folders;
};
