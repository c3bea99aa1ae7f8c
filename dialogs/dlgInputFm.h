#pragma once

#include "storage/ColorText.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <initializer_list>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TColorComboBox;
class TfmDlgInput;

// The rows the input dialog can show.
enum TDlgInputValue : quint8 { dvString = 0, dvNumeric = 1, dvBool = 2, dvColor = 3 };

// A set of rows in one byte: bit n stands for the row of value n.
class TDlgInputValueSet
{
public:
    constexpr TDlgInputValueSet() = default;
    constexpr TDlgInputValueSet(std::initializer_list<TDlgInputValue> AValues)
    {
        for (TDlgInputValue v : AValues)
            FBits = quint8(FBits | Bit(v));
    }
    static constexpr TDlgInputValueSet FromBits(quint8 ABits)
    {
        TDlgInputValueSet s;
        s.FBits = ABits;
        return s;
    }
    constexpr bool Contains(TDlgInputValue AValue) const { return (FBits & Bit(AValue)) != 0; }
    constexpr quint8 Bits() const { return FBits; }
    constexpr bool operator==(const TDlgInputValueSet &) const = default;

private:
    static constexpr quint8 Bit(TDlgInputValue AValue) { return quint8(1u << unsigned(AValue)); }
    quint8 FBits = 0;
};

// The values and labels handed to the dialog and back.
struct TfmDlgInputParams
{
    QString StringValue;
    double NumericValue = 0.0;
    bool BoolValue = false;
    TAlphaColor ColorValue = 0;
    QString StringValueLabel;
    QString NumericValueLabel;
    QString BoolValueLabel;
    QString ColorValueLabel;
};

// Receives the dialog and its modal result: 0 closed without a button,
// 1 "OK", 2 "Отмена". The entered values are in ASender->Params(). It must
// not keep ASender, which is released after it returns, and must not throw
// (the window wraps its handlers in the general error display).
using TDlgInputCloseDialogProc = std::function<void(TfmDlgInput *ASender, int AResult)>;

// A small dialog that asks for up to four values: a text, a number, a yes/no
// choice and a colour, each in its own row. It does not block: Execute opens
// it and returns; closing it copies the fields into Params() and then calls
// the close procedure, exactly once.
class TfmDlgInput : public QDialog
{
    Q_OBJECT

public:
    static constexpr int DesignedWidth = 488;
    static constexpr int CaptionHeight = 25;
    static constexpr int RowHeight = 48;
    static constexpr int BottomHeight = 42;
    // The height with every row shown; kept when no row is.
    static constexpr int DesignedHeight = BottomHeight + CaptionHeight + 4 * RowHeight + 10;

    explicit TfmDlgInput(QWidget *AParent = nullptr);
    ~TfmDlgInput() override;

    // Fills the rows from AParams, shows those of AInputValueSet, sizes the
    // dialog and opens it (modal to its parent window). Returns at once.
    void Execute(const QString &ACaption, TDlgInputValueSet AInputValueSet, const TfmDlgInputParams &AParams,
                 TDlgInputCloseDialogProc ACloseDialogProc);

    const TfmDlgInputParams &Params() const { return FParams; }
    int Result() const { return FResult; }
    const QString &Caption() const { return FCaption; }
    TDlgInputValueSet InputValueSet() const { return FInputValueSet; }

    // Components, named as designed (also their objectName).
    QWidget *pnlCaption = nullptr;
    QLabel *lCaption = nullptr;
    QWidget *flString = nullptr;
    QLabel *lString = nullptr;
    QLineEdit *eString = nullptr;
    QWidget *flNumber = nullptr;
    QLabel *lNumber = nullptr;
    QSpinBox *eNumber = nullptr;
    QWidget *flBool = nullptr;
    QCheckBox *chkBool = nullptr;
    QWidget *flColor = nullptr;
    QLabel *lColor = nullptr;
    TColorComboBox *cbColor = nullptr;
    QWidget *flBottom = nullptr;
    QPushButton *btOk = nullptr;
    QPushButton *btCancel = nullptr;

public Q_SLOTS:
    void btOkClick();
    void btCancelClick();
    // Every way of closing ends here.
    void done(int AResult) override;

private:
    void FillAndSize();
    void FormClose();

    TDlgInputCloseDialogProc FCloseFunc;
    TDlgInputValueSet FInputValueSet;
    int FResult = 0;
    TfmDlgInputParams FParams;
    QString FCaption;
    bool FClosed = false;
};

// Creates a dialog (parented to AParent for placement and modality, or
// without one), runs Execute and lets the dialog release itself when it has
// closed; releases it at once when Execute raises. Answers the open dialog.
TfmDlgInput *DlgInput(const QString &ACaption, TDlgInputValueSet AInputValueSet, const TfmDlgInputParams &AParams,
                      TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent = nullptr);
// One text row.
TfmDlgInput *DlgInputString(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                            TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent = nullptr);
// A text row and a check box.
TfmDlgInput *DlgInputStringBool(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                                const QString &ABoolLabel, bool ABoolValue, TDlgInputCloseDialogProc ACloseDialogProc,
                                QWidget *AParent = nullptr);
// A text row and a colour row.
TfmDlgInput *DlgInputStringColor(const QString &ACaption, const QString &AStringLabel, const QString &AStringValue,
                                 const QString &AColorLabel, TAlphaColor AColorValue,
                                 TDlgInputCloseDialogProc ACloseDialogProc, QWidget *AParent = nullptr);
