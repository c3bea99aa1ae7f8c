#include "sound/OpenViewUrl.h"

#include "sound/IShell.h"

void OpenViewUrl(IShell &AShell, const QString &AUrl) noexcept
{
    try {
        AShell.OpenUrl(AUrl);
    } catch (...) {
        // Opening a help page is a convenience: its failure must not end
        // the user's action.
    }
}
