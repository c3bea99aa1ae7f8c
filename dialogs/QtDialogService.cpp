#include "dialogs/QtDialogService.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

QMessageBox::Icon IconOf(TMsgDlgType AType)
{
    switch (AType) {
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

TQtDialogService::TQtDialogService(QWidget *AParent)
    : FParent(AParent)
{
}

void TQtDialogService::MessageDialogAsync(const QString &AMessage, TMsgDlgType AType, TMsgDlgButtons AButtons,
                                          TDialogCloseProc AOnClose)
{
    auto *box = new QMessageBox(FParent.data()); // deleted on close
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(IconOf(AType));
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(AMessage);
    QPushButton *ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *cancel = nullptr;
    if (AButtons == TMsgDlgButtons::mbOKCancel)
        cancel = box->addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(cancel ? static_cast<QAbstractButton *>(cancel) : ok);
    // The handler runs once, whichever way the box is closed.
    auto handler = std::make_shared<TDialogCloseProc>(std::move(AOnClose));
    QObject::connect(box, &QDialog::finished, box, [box, ok, cancel, handler](int) {
        const QAbstractButton *clicked = box->clickedButton();
        int result = mrNone;
        if (clicked == ok)
            result = mrOk;
        else if (cancel && clicked == cancel)
            result = mrCancel;
        if (*handler) {
            TDialogCloseProc proc = std::move(*handler);
            *handler = nullptr;
            proc(result);
        }
    });
    box->open();
}

void TQtDialogService::InputQueryAsync(const QString &ACaption, const QString &APrompt, const QString &ADefault,
                                       TInputCloseProc AOnClose)
{
    auto *dlg = new QInputDialog(FParent.data()); // deleted on close
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowTitle(ACaption);
    dlg->setLabelText(APrompt);
    dlg->setTextValue(ADefault);
    dlg->setOkButtonText(QStringLiteral("OK"));
    dlg->setCancelButtonText(QStringLiteral("Отмена"));
    auto handler = std::make_shared<TInputCloseProc>(std::move(AOnClose));
    QObject::connect(dlg, &QDialog::finished, dlg, [dlg, handler](int AResult) {
        if (*handler) {
            TInputCloseProc proc = std::move(*handler);
            *handler = nullptr;
            proc(AResult == QDialog::Accepted ? mrOk : mrCancel, dlg->textValue());
        }
    });
    dlg->open();
}
