#pragma once

#include "app/IDataFolders.h"

// The folders shared by all users of the machine: the application-data
// folder, then "Gorvik.Quorvel02", then "Sessions" for the sessions, and the
// documents folder, then "Gorvik", then the program title with ".ini" for
// the settings. Linux has no writable all-users folders, so there the
// user's XDG data and config homes stand in for them.
class TStandardDataFolders final : public IDataFolders
{
public:
    explicit TStandardDataFolders(const QString &AAppTitle = QStringLiteral("Quorvel02"));

    QString SessionsPath() const override;
    QString SettingsFileName() const override;

    static QString SharedDataFolder();
    static QString SharedDocumentsFolder();

private:
    QString FAppTitle;
};
