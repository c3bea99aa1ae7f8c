#pragma once

#include "sound/IShell.h"

// The shell over QDesktopServices: the desktop's default browser and file
// manager (xdg-open on Linux, ShellExecute on Windows).
class TQtShell final : public IShell
{
public:
    void OpenUrl(const QString &AUrl) override;
    void OpenFolder(const QString &APath) override;
};
