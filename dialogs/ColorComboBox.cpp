#include "dialogs/ColorComboBox.h"

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kCustomRole = Qt::UserRole + 2;

QIcon Swatch(TAlphaColor AColor)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(QColor::fromRgb(AColor | 0xFF000000u));
    p.drawRect(0, 0, 15, 15);
    return QIcon(pm);
}

QString Capitalized(const QString &ALower)
{
    return ALower.left(1).toUpper() + ALower.mid(1);
}

} // namespace

TColorComboBox::TColorComboBox(QWidget *AParent)
    : QComboBox(AParent)
{
    setMaxVisibleItems(16);
    for (const QString &name : TColorText::KeywordNames()) {
        TAlphaColor c = 0;
        if (TColorText::TryKeywordColor(name, c))
            AddEntry(count(), Capitalized(name), c, false);
    }
    if (count() > 0) {
        setCurrentIndex(0);
        FColor = Color();
    }
}

void TColorComboBox::AddEntry(int AIndex, const QString &AText, TAlphaColor AColor, bool ACustom)
{
    insertItem(AIndex, Swatch(AColor), AText);
    setItemData(AIndex, QVariant::fromValue<quint32>(AColor), ColorRole);
    setItemData(AIndex, ACustom, kCustomRole);
}

int TColorComboBox::CustomIndex() const
{
    for (int i = 0; i < count(); ++i)
        if (itemData(i, kCustomRole).toBool())
            return i;
    return -1;
}

void TColorComboBox::SetColor(TAlphaColor AColor)
{
    FColor = AColor;
    const int custom = CustomIndex();
    if (custom >= 0)
        removeItem(custom);
    for (int i = 0; i < count(); ++i) {
        if (itemData(i, ColorRole).value<quint32>() == AColor) {
            setCurrentIndex(i);
            return;
        }
    }
    AddEntry(0, TColorText::FormatColor(AColor), AColor, true);
    setCurrentIndex(0);
}

TAlphaColor TColorComboBox::Color() const
{
    const int i = currentIndex();
    if (i < 0)
        return FColor;
    return itemData(i, ColorRole).value<quint32>();
}
