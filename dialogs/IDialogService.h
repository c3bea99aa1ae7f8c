#pragma once

#include <QString>

#include <functional>

// Modal results passed to close handlers.
constexpr int mrNone = 0;   // closed by the close box
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

enum class TMsgDlgType { mtInformation, mtWarning, mtError, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbOKCancel };

// Receives the modal result of a message dialog.
using TDialogCloseProc = std::function<void(int AModalResult)>;
// Receives the modal result and the text of an input query.
using TInputCloseProc = std::function<void(int AModalResult, const QString &AValue)>;

// The platform's asynchronous (non-blocking) dialogs: each call returns at
// once, and the close handler runs later on the UI thread, exactly once.
// Tests use a double that records every dialog and answers as told.
class IDialogService
{
public:
    virtual ~IDialogService() = default;
    virtual void MessageDialogAsync(const QString &AMessage, TMsgDlgType AType, TMsgDlgButtons AButtons,
                                    TDialogCloseProc AOnClose = {}) = 0;
    virtual void InputQueryAsync(const QString &ACaption, const QString &APrompt, const QString &ADefault,
                                 TInputCloseProc AOnClose) = 0;
};
