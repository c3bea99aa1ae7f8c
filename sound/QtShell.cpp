#include "sound/QtShell.h"

#include <QDesktopServices>
#include <QUrl>

void TQtShell::OpenUrl(const QString &AUrl)
{
    // Accepts full addresses as well as plain local paths.
    const QUrl url = QUrl::fromUserInput(AUrl);
    if (!url.isValid())
        return;
    QDesktopServices::openUrl(url);
}

void TQtShell::OpenFolder(const QString &APath)
{
    if (APath.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(APath));
}
