#pragma once

#include "dialogs/IDialogService.h"

#include <QList>

// Records every dialog; the test closes them with Close()/CloseInput().
class TFakeDialogService final : public IDialogService
{
public:
    struct TDialog
    {
        bool isInput = false;
        QString message;   // message text, or the prompt of an input query
        QString caption;   // input query only
        QString text;      // default text of an input query
        TMsgDlgType type = TMsgDlgType::mtInformation;
        TMsgDlgButtons buttons = TMsgDlgButtons::mbOK;
        TDialogCloseProc onClose;
        TInputCloseProc onInputClose;
        bool closed = false;
    };

    void MessageDialogAsync(const QString &AMessage, TMsgDlgType AType, TMsgDlgButtons AButtons,
                            TDialogCloseProc AOnClose) override
    {
        TDialog d;
        d.message = AMessage;
        d.type = AType;
        d.buttons = AButtons;
        d.onClose = std::move(AOnClose);
        Dialogs.append(std::move(d));
    }

    void InputQueryAsync(const QString &ACaption, const QString &APrompt, const QString &ADefault,
                         TInputCloseProc AOnClose) override
    {
        TDialog d;
        d.isInput = true;
        d.caption = ACaption;
        d.message = APrompt;
        d.text = ADefault;
        d.onInputClose = std::move(AOnClose);
        Dialogs.append(std::move(d));
    }

    // Closes the last open dialog with AResult (and AText for an input query).
    void CloseLast(int AResult, const QString &AText = QString())
    {
        for (qsizetype i = Dialogs.size() - 1; i >= 0; --i) {
            TDialog &d = Dialogs[i];
            if (d.closed)
                continue;
            d.closed = true;
            if (d.isInput) {
                if (d.onInputClose)
                    d.onInputClose(AResult, AText);
            } else if (d.onClose) {
                d.onClose(AResult);
            }
            return;
        }
    }

    QStringList Messages() const
    {
        QStringList list;
        for (const TDialog &d : Dialogs)
            list.append(d.message);
        return list;
    }

    QList<TDialog> Dialogs;
};
