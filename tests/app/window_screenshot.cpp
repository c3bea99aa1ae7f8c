// Renders the main window on doubles into PNG files, with the run bar shown
// and hidden, so the layout can be looked at without a display:
//   QT_QPA_PLATFORM=offscreen build/tests/app/window_screenshot docs/
#include "FakeClock.h"
#include "FakeDialogService.h"
#include "TempDataFolders.h"

#include "app/KorvaneFmA.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    for (bool bar : {true, false}) {
        TTempDataFolders folders;
        for (const char *name : {"2026_12_11", "Трасса 1.5"})
            QDir().mkpath(folders.SessionsPath() + QLatin1Char('/') + QString::fromUtf8(name));
        TFakeClock clock;
        TFakeDialogService dialogs;
        TKorvaneEnvironment env;
        env.Dialogs = &dialogs;
        env.Clock = &clock;
        env.Folders = &folders;
        env.RunBarAvailable = bar;
        TfmKorvane w(env);
        w.cbSession->setCurrentIndex(0);
        w.show();
        QApplication::processEvents();
        w.grab().save(out + (bar ? QStringLiteral("/main-window.png") : QStringLiteral("/main-window-viewer.png")));
    }
    return 0;
}
