#pragma once

#include <QMainWindow>

// The main window. It owns every piece of run, session and display state.
class TfmKorvane : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmKorvane(QWidget *AParent = nullptr);

    static QString Caption();
};
