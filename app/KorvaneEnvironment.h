#pragma once

#include <QString>

#include <functional>
#include <memory>

class IClock;
class IConnectionManager;
class IDataFolders;
class IDialogService;
class IFeedbackSignals;
class IFileSystem;
class IShell;
class TLSSettings;

// The platform services the main window works with. The program entry
// hands it the real ones; tests hand it doubles.
struct TKorvaneEnvironment
{
    IDialogService *Dialogs = nullptr; // required: the window needs non-blocking dialogs
    IClock *Clock = nullptr;
    IDataFolders *Folders = nullptr;
    // Makes the feedback signals for the window's settings record.
    std::function<std::unique_ptr<IFeedbackSignals>(const TLSSettings &)> MakeFeedback;
    // Makes the connection manager on the first connect; without it the
    // window cannot connect.
    std::function<std::unique_ptr<IConnectionManager>()> MakeConnection;
    // Folder and file operations on the sessions; null: the real ones.
    IFileSystem *FileSystem = nullptr;
    // Opens addresses and folders (settings window); may be null.
    IShell *Shell = nullptr;
    // Address of the help page.
    QString HelpUrl;
    // The run bar is shown when the machine has a Bluetooth adapter.
    bool RunBarAvailable = false;
};
