#pragma once

#include "storage/ColorText.h"

#include <QComboBox>

// A drop-down list of colours: the CSS colour keywords, each with a swatch,
// and the current colour as one more entry when it is none of them. The
// swatches show colours opaque; the value handed back keeps its alpha.
class TColorComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TColorComboBox(QWidget *AParent = nullptr);

    // Selects the keyword of AColor, or an entry for AColor itself.
    void SetColor(TAlphaColor AColor);
    // The selected entry's colour.
    TAlphaColor Color() const;

    static constexpr int ColorRole = Qt::UserRole + 1;
    // Index of the entry that holds a colour outside the keywords; -1 when
    // there is none.
    int CustomIndex() const;

private:
    void AddEntry(int AIndex, const QString &AText, TAlphaColor AColor, bool ACustom);

    TAlphaColor FColor = 0;
};
