#include "dialogs/dlgInputFm.h"

#include "app/Rounding.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/IDialogService.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtDebug>

#include <algorithm>
#include <exception>
#include <memory>

namespace {

template <typename T>
T *Named(T *AWidget, const char *AName)
{
    AWidget->setObjectName(QString::fromLatin1(AName));
    return AWidget;
}

constexpr int kLabelWidth = 150;

QWidget *Row(QWidget *AParent, const char *AName, int AHeight, QHBoxLayout *&ALayout)
{
    auto *row = Named(new QWidget(AParent), AName);
    row->setFixedHeight(AHeight);
    ALayout = new QHBoxLayout(row);
    ALayout->setContentsMargins(8, 6, 8, 6);
    ALayout->setSpacing(8);
    return row;
}

} // namespace

TfmDlgInput::TfmDlgInput(QWidget *AParent)
    : QDialog(AParent)
{
    setObjectName(QStringLiteral("fmDlgInput"));
    auto *form = new QVBoxLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(0);

    pnlCaption = Named(new QWidget(this), "pnlCaption");
    pnlCaption->setFixedHeight(CaptionHeight);
    auto *captionLayout = new QHBoxLayout(pnlCaption);
    captionLayout->setContentsMargins(8, 0, 8, 0);
    lCaption = Named(new QLabel(pnlCaption), "lCaption");
    captionLayout->addWidget(lCaption);
    form->addWidget(pnlCaption);

    QHBoxLayout *layout = nullptr;
    flString = Row(this, "flString", RowHeight, layout);
    lString = Named(new QLabel(flString), "lString");
    lString->setFixedWidth(kLabelWidth);
    eString = Named(new QLineEdit(flString), "eString");
    layout->addWidget(lString);
    layout->addWidget(eString, 1);
    form->addWidget(flString);

    flNumber = Row(this, "flNumber", RowHeight, layout);
    lNumber = Named(new QLabel(flNumber), "lNumber");
    lNumber->setFixedWidth(kLabelWidth);
    eNumber = Named(new QSpinBox(flNumber), "eNumber");
    eNumber->setRange(0, 100);
    layout->addWidget(lNumber);
    layout->addWidget(eNumber, 1);
    form->addWidget(flNumber);

    flBool = Row(this, "flBool", RowHeight, layout);
    chkBool = Named(new QCheckBox(flBool), "chkBool");
    layout->addWidget(chkBool, 1);
    form->addWidget(flBool);

    flColor = Row(this, "flColor", RowHeight, layout);
    lColor = Named(new QLabel(flColor), "lColor");
    lColor->setFixedWidth(kLabelWidth);
    cbColor = Named(new TColorComboBox(flColor), "cbColor");
    layout->addWidget(lColor);
    layout->addWidget(cbColor, 1);
    form->addWidget(flColor);

    form->addStretch(1);

    flBottom = Row(this, "flBottom", BottomHeight, layout);
    btOk = Named(new QPushButton(QStringLiteral("OK"), flBottom), "btOk");
    btCancel = Named(new QPushButton(QStringLiteral("Отмена"), flBottom), "btCancel");
    btOk->setDefault(true);
    layout->addStretch(1);
    layout->addWidget(btOk);
    layout->addWidget(btCancel);
    form->addWidget(flBottom);

    connect(btOk, &QPushButton::clicked, this, &TfmDlgInput::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmDlgInput::btCancelClick);

    setFixedSize(DesignedWidth, DesignedHeight);
}

TfmDlgInput::~TfmDlgInput() = default;

void TfmDlgInput::Execute(const QString &ACaption, TDlgInputValueSet AInputValueSet, const TfmDlgInputParams &AParams,
                          TDlgInputCloseDialogProc ACloseDialogProc)
{
    FResult = mrNone;
    FClosed = false;
    FCloseFunc = std::move(ACloseDialogProc);
    FInputValueSet = AInputValueSet;
    FParams = AParams;
    FCaption = ACaption;
    FillAndSize();
    open();
}

void TfmDlgInput::FillAndSize()
{
    setWindowTitle(FCaption);
    lCaption->setText(FCaption);
    // The caption shows only as the window title.
    pnlCaption->setVisible(false);

    lString->setText(FParams.StringValueLabel);
    eString->setText(FParams.StringValue);
    lNumber->setText(FParams.NumericValueLabel);
    // The field holds whole numbers; a value outside its range is clamped,
    // one that is no number raises.
    eNumber->setValue(RoundHalfEven(std::clamp(FParams.NumericValue, double(eNumber->minimum()),
                                               double(eNumber->maximum()))));
    chkBool->setText(FParams.BoolValueLabel);
    chkBool->setChecked(FParams.BoolValue);
    lColor->setText(FParams.ColorValueLabel);
    cbColor->SetColor(FParams.ColorValue);

    struct TRow
    {
        QWidget *row;
        TDlgInputValue value;
    };
    const TRow rows[] = {{flString, dvString}, {flNumber, dvNumeric}, {flBool, dvBool}, {flColor, dvColor}};
    // Hidden rows take no space: the visible ones stack from the top.
    int bottom = 0;
    int height = DesignedHeight;
    for (const TRow &r : rows) {
        const bool shown = FInputValueSet.Contains(r.value);
        r.row->setVisible(shown);
        if (!shown)
            continue;
        bottom += r.row->height();
        // The caption panel's height counts although it is hidden.
        height = RoundHalfEven(double(flBottom->height()) + pnlCaption->height() + bottom + 10);
    }
    setFixedSize(DesignedWidth, height);
}

void TfmDlgInput::btOkClick()
{
    FResult = mrOk;
    accept();
}

void TfmDlgInput::btCancelClick()
{
    FResult = mrCancel;
    reject();
}

void TfmDlgInput::done(int AResult)
{
    const bool first = !FClosed;
    FClosed = true;
    if (first) {
        FParams.StringValue = eString->text();
        FParams.NumericValue = eNumber->value();
        FParams.BoolValue = chkBool->isChecked();
        FParams.ColorValue = cbColor->Color();
    }
    QDialog::done(AResult);
    if (first)
        FormClose();
}

void TfmDlgInput::FormClose()
{
    if (!FCloseFunc)
        return;
    // Taken out first: a close procedure that closes the dialog again does
    // not run twice.
    const TDlgInputCloseDialogProc proc = std::move(FCloseFunc);
    FCloseFunc = nullptr;
    try {
        proc(this, FResult);
    } catch (const std::exception &e) {
        // Nothing may reach the event loop.
        qCritical("Input dialog close procedure: %s", e.what());
    } catch (...) {
        qCritical("Input dialog close procedure: unknown error");
    }
}

TfmDlgInput *DlgInput(const QString &ACaption, TDlgInputValueSet AInputValueSet, const TfmDlgInputParams &AParams,
                      TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent)
{
    auto dlg = std::make_unique<TfmDlgInput>(AParent);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->Execute(ACaption, AInputValueSet, AParams, std::move(ACloseDialogProc));
    // Open now: it releases itself when it closes.
    return dlg.release();
}

TfmDlgInput *DlgInputString(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                            TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent)
{
    TfmDlgInputParams p;
    p.StringValueLabel = AStringLabel;
    p.StringValue = AStringValue;
    return DlgInput(ACaption, {dvString}, p, std::move(ACloseDialogProc), AParent);
}

TfmDlgInput *DlgInputStringBool(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                                const QString &ABoolLabel, bool ABoolValue, TDlgInputCloseDialogProc ACloseDialogProc,
                                QWidget *AParent)
{
    TfmDlgInputParams p;
    p.StringValueLabel = AStringLabel;
    p.StringValue = AStringValue;
    p.BoolValueLabel = ABoolLabel;
    p.BoolValue = ABoolValue;
    return DlgInput(ACaption, {dvString, dvBool}, p, std::move(ACloseDialogProc), AParent);
}

TfmDlgInput *DlgInputStringColor(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                                 const QString &AColorLabel, TAlphaColor AColorValue,
                                 TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent)
{
    TfmDlgInputParams p;
    p.StringValueLabel = AStringLabel;
    p.StringValue = AStringValue;
    p.ColorValueLabel = AColorLabel;
    p.ColorValue = AColorValue;
    return DlgInput(ACaption, {dvString, dvColor}, p, std::move(ACloseDialogProc), AParent);
}
