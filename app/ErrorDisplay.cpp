#include "app/ErrorDisplay.h"

#include "app/AppError.h"
#include "dialogs/IDialogService.h"

TErrorDisplay::TErrorDisplay(IDialogService &ADialogs)
    : FDialogs(ADialogs)
{
}

bool TErrorDisplay::Guard(const std::function<void()> &AAction) noexcept
{
    try {
        AAction();
        return true;
    } catch (const ESilentAbort &) {
    } catch (const EAppError &e) {
        Show(e.Message());
    } catch (const std::exception &e) {
        Show(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Show(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void TErrorDisplay::Show(const QString &AMessage) noexcept
{
    try {
        FDialogs.MessageDialogAsync(AMessage, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    } catch (...) {
        // Nothing more can be done for a failing dialog.
    }
}
