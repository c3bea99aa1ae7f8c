#pragma once

#include "FakeClock.h"
#include "FakeConnectionManager.h"
#include "FakeDialogService.h"
#include "RecordingFeedback.h"
#include "TempDataFolders.h"

#include "app/KorvaneFmA.h"
#include "sound/IFeedbackSignals.h"
#include "storage/LSUtils.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// One main window on doubles: temporary folders, a fake clock, recorded
// dialogs and signals, and a fake link made on the first connect.
struct TWindowFixture
{
    TTempDataFolders folders;
    TFakeClock clock{5000};
    TFakeDialogService dialogs;
    QStringList played;
    TFakeConnectionManager *link = nullptr; // owned by the window once made
    bool connectOnExecute = true;
    std::unique_ptr<TfmKorvane> window;

    void Create(bool ARunBar = true)
    {
        TKorvaneEnvironment env;
        env.Dialogs = &dialogs;
        env.Clock = &clock;
        env.Folders = &folders;
        env.RunBarAvailable = ARunBar;
        env.MakeFeedback = [this](const TLSSettings &) { return std::make_unique<TRecordingFeedback>(played); };
        env.MakeConnection = [this]() {
            auto made = std::make_unique<TFakeConnectionManager>(clock);
            made->ConnectOnExecute = connectOnExecute;
            link = made.get();
            return made;
        };
        window = std::make_unique<TfmKorvane>(env);
    }

    void WriteSettings(const QByteArray &AData)
    {
        QDir().mkpath(QFileInfo(folders.SettingsFileName()).absolutePath());
        QFile f(folders.SettingsFileName());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(AData);
    }

    QString SessionFolder(const QString &AName) const { return folders.SessionsPath() + QLatin1Char('/') + AName; }

    // Makes the folder of a session before the window starts.
    void AddSession(const QString &AName) { QVERIFY(QDir().mkpath(SessionFolder(AName))); }

    void SelectSession(const QString &AName)
    {
        const int i = window->cbSession->findText(AName);
        QVERIFY(i >= 0);
        window->cbSession->setCurrentIndex(i);
    }

    // Connects through the window's own button and serves the automatic stop.
    void ConnectAndSettle()
    {
        window->btConnectClick();
        QVERIFY(link);
        window->Timer1Timer();
    }
};
