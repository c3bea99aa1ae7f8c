#pragma once

#include <QString>

class IShell;

// Asks the shell to show AUrl with the default handler. Returns at once;
// a failure (no handler, malformed or empty address) passes silently, so
// the caller never sees an error or a message.
void OpenViewUrl(IShell &AShell, const QString &AUrl) noexcept;
