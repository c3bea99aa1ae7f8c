#pragma once

#include "dialogs/IDialogService.h"

#include <QPointer>

class QWidget;

// Non-blocking message boxes and input queries: each dialog is opened with
// open() and deletes itself when closed; the close handler runs from its
// finished signal.
class TQtDialogService final : public IDialogService
{
public:
    explicit TQtDialogService(QWidget *AParent = nullptr);

    void SetParent(QWidget *AParent) { FParent = AParent; }

    void MessageDialogAsync(const QString &AMessage, TMsgDlgType AType, TMsgDlgButtons AButtons,
                            TDialogCloseProc AOnClose = {}) override;
    void InputQueryAsync(const QString &ACaption, const QString &APrompt, const QString &ADefault,
                         TInputCloseProc AOnClose) override;

private:
    QPointer<QWidget> FParent;
};
