#include "app/KorvaneFmA.h"
#include "app/StandardDataFolders.h"
#include "device/ConnectFm2.h"
#include "device/IConnectionManager.h"
#include "dialogs/QtDialogService.h"
#include "dialogs/SettingsFm.h"
#include "sound/IFeedbackSignals.h"
#include "sound/QtShell.h"
#include "sound/SystemSound.h"
#include "timing/SystemClock.h"

#include "app/AppError.h"

#include <QApplication>
#include <QBluetoothLocalDevice>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel02"));
    QApplication::setApplicationDisplayName(TfmKorvane::Caption());

    // Landscape only: Qt fixes a tablet's allowed orientations in the
    // package manifest (sensorLandscape on Android, the landscape pair in
    // iOS's Info.plist), not at run time; on desktops there is nothing to do.

    // The settings file is named after the program file.
    QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (title.isEmpty())
        title = QStringLiteral("Quorvel02");
    TStandardDataFolders folders(title);
    TQtDialogService dialogs;
    TQtShell shell;

    TKorvaneEnvironment env;
    env.Dialogs = &dialogs;
    env.Clock = &TSystemClock::Instance();
    env.Folders = &folders;
    env.Shell = &shell;
    env.HelpUrl = HelpPageUrl();
    env.MakeFeedback = MakeSystemFeedbackSignals;
    env.RunBarAvailable = !QBluetoothLocalDevice::allDevices().isEmpty();

    // The connection window is made on the first connect, over the main
    // window, which exists by then.
    TfmKorvane *mainWindow = nullptr;
    env.MakeConnection = [&mainWindow, &dialogs] {
        return MakeBluetoothConnection(mainWindow, dialogs, TSystemClock::Instance());
    };

    std::unique_ptr<TfmKorvane> window;
    try {
        window = std::make_unique<TfmKorvane>(env);
    } catch (const EAppError &e) {
        qCritical("%s", qPrintable(e.Message()));
        return 1;
    }
    mainWindow = window.get();
    dialogs.SetParent(window.get());
    window->show();
    return app.exec();
}
