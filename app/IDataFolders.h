#pragma once

#include <QString>

// Where the program keeps its data: the root of the session folders and
// the settings file. Tests give their own temporary folders.
class IDataFolders
{
public:
    virtual ~IDataFolders() = default;
    // Root of all session folders, without a trailing delimiter.
    virtual QString SessionsPath() const = 0;
    // Full path of the settings file.
    virtual QString SettingsFileName() const = 0;
};
