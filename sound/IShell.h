#pragma once

#include <QString>

// The platform's shell: hands an address or a folder to the program the
// user has chosen for it (browser, file manager). Each call returns at once
// and reports nothing: a missing handler or a malformed address passes
// silently. Tests use a double that records the calls.
class IShell
{
public:
    virtual ~IShell() = default;
    // Opens AUrl (a web address, or a file address such as file:///...)
    // with its default handler.
    virtual void OpenUrl(const QString &AUrl) = 0;
    // Shows the folder APath in the file manager.
    virtual void OpenFolder(const QString &APath) = 0;
};
