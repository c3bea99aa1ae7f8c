#include "view/TreeNode.h"

#include "storage/LSResult.h"
#include "view/ResultTimeText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>
#include <QtDebug>

#include <algorithm>
#include <exception>
#include <memory>

namespace {

constexpr int kMargin = 2;

QFont NameFont(const QFont &ABase, bool ABold)
{
    QFont f = ABase;
    f.setBold(ABold);
    return f;
}

} // namespace

TResultTreeItem::TResultTreeItem(TLSResult *ALSResult, bool ANeedResultLabel)
    : QTreeWidgetItem(ItemType)
{
    Q_ASSERT(ALSResult);
    FLSResult = ALSResult;
    if (FLSResult) {
        FLabelText = FLSResult->Descr;
        FIndicatorColor = FLSResult->Color;
        FIndicatorChecked = FLSResult->Active;
    }
    FNeedResultLabel = ANeedResultLabel;
    FIsMultiSelected = false;
    if (FNeedResultLabel && FLSResult)
        FResultText = ResultTimeText(FLSResult->FinalTimeMs);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    UpdateState();
}

TResultTreeItem::~TResultTreeItem()
{
    FLSResult = nullptr;
}

void TResultTreeItem::SetIndicatorChecked(bool AValue)
{
    FIndicatorChecked = AValue;
    UpdateState();
}

void TResultTreeItem::SetIndicatorColor(TAlphaColor AValue)
{
    FIndicatorColor = AValue;
    UpdateState();
}

void TResultTreeItem::SetLabelText(const QString &AValue)
{
    FLabelText = AValue;
    FNameText = AValue;
    emitDataChanged();
}

void TResultTreeItem::SetLSResult(TLSResult *AValue)
{
    FLSResult = AValue;
    UpdateState();
}

void TResultTreeItem::SetIsMultiSelected(bool AValue)
{
    FIsMultiSelected = AValue;
    if (AValue && treeWidget())
        treeWidget()->setCurrentItem(this);
    UpdateState();
}

void TResultTreeItem::SetMultiSelectMode(bool AValue)
{
    FMultiSelectMode = AValue;
    FIsMultiSelected = false;
    UpdateState();
}

void TResultTreeItem::UpdateState()
{
    if (FLSResult) {
        FNameText = FLSResult->Descr;
        FIndicatorChecked = FLSResult->Active;
        FIndicatorColor = FLSResult->Color;
        if (FLSResult->ChartSer)
            FLSResult->ChartSer->SetVisible(FIndicatorChecked);
    }
    // Fill, weight and highlight follow from the fields; the delegate draws
    // them from there.
    emitDataChanged();
}

void TResultTreeItem::ToggleItem()
{
    if (FMultiSelectMode) {
        FIsMultiSelected = !FIsMultiSelected;
        UpdateState();
        return;
    }
    FIndicatorChecked = !FIndicatorChecked;
    if (FLSResult)
        FLSResult->Active = !FLSResult->Active;
    // The look first: the handler may save, show a message or even rebuild
    // the tree, so nothing of this item is touched after it.
    UpdateState();
    if (FOnIndicatorCheckedChange)
        FOnIndicatorCheckedChange(this);
}

QRect TResultTreeItem::IndicatorRect(const QRect &ARow)
{
    const int side = std::max(0, ARow.height() - 2 * kMargin);
    return QRect(ARow.left() + kMargin, ARow.top() + kMargin, side, side);
}

QRect TResultTreeItem::ResultRect(const QRect &ARow, int AResultWidth)
{
    if (AResultWidth <= 0)
        return QRect(ARow.right() + 1, ARow.top(), 0, ARow.height());
    return QRect(ARow.right() + 1 - kMargin - AResultWidth, ARow.top(), AResultWidth, ARow.height());
}

QRect TResultTreeItem::NameRect(const QRect &ARow, int AResultWidth)
{
    const QRect ind = IndicatorRect(ARow);
    const int left = ind.right() + 1 + kMargin + kMargin;
    const int right = AResultWidth > 0 ? ResultRect(ARow, AResultWidth).left() - kMargin : ARow.right() + 1;
    return QRect(left, ARow.top(), std::max(0, right - left), ARow.height());
}

QVariant TResultTreeItem::data(int AColumn, int ARole) const
{
    if (AColumn != 0)
        return QTreeWidgetItem::data(AColumn, ARole);
    switch (ARole) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return FNameText;
    case Qt::FontRole:
        if (const QTreeWidget *tree = treeWidget())
            return NameFont(tree->font(), NameBold());
        return NameFont(QApplication::font(), NameBold());
    default:
        return QTreeWidgetItem::data(AColumn, ARole);
    }
}

namespace {

TResultTreeItem *ItemOf(const QWidget *AView, const QModelIndex &AIndex)
{
    const auto *tree = qobject_cast<const QTreeWidget *>(AView);
    if (!tree || !AIndex.isValid())
        return nullptr;
    QTreeWidgetItem *item = tree->itemFromIndex(AIndex);
    if (!item || item->type() != TResultTreeItem::ItemType)
        return nullptr;
    return static_cast<TResultTreeItem *>(item);
}

int ResultWidth(const TResultTreeItem &AItem, const QFont &AFont)
{
    if (!AItem.NeedResultLabel() || AItem.ResultText().isEmpty())
        return 0;
    return QFontMetrics(AFont).horizontalAdvance(AItem.ResultText());
}

} // namespace

void TResultTreeDelegate::paint(QPainter *APainter, const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const
{
    const TResultTreeItem *item = ItemOf(AOption.widget, AIndex);
    if (!item) {
        QStyledItemDelegate::paint(APainter, AOption, AIndex);
        return;
    }
    QStyleOptionViewItem opt = AOption;
    initStyleOption(&opt, AIndex);
    // The style draws the row's background (selection, hover); the item's
    // own parts go on top.
    const QString text = opt.text;
    opt.text.clear();
    opt.icon = QIcon();
    const QWidget *widget = AOption.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, APainter, widget);

    const QRect row = AOption.rect;
    const bool selected = AOption.state & QStyle::State_Selected;
    const QColor textColor = AOption.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QFont baseFont = AOption.font;
    const int resultWidth = ResultWidth(*item, baseFont);

    APainter->save();
    APainter->setRenderHint(QPainter::Antialiasing, true);

    const QRectF ind = QRectF(TResultTreeItem::IndicatorRect(row)).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = ind.height() / 4.0;
    APainter->setPen(QPen(textColor, 1.0));
    if (item->IndicatorFilled())
        APainter->setBrush(QColor::fromRgba(item->IndicatorFill()));
    else
        APainter->setBrush(Qt::NoBrush);
    APainter->drawRoundedRect(ind, radius, radius);

    const QRect nameRect = TResultTreeItem::NameRect(row, resultWidth);
    if (item->HighlightVisible()) {
        APainter->setPen(Qt::NoPen);
        APainter->setOpacity(TResultTreeItem::HighlightOpacity);
        APainter->setBrush(QColor::fromRgba(TResultTreeItem::HighlightColor));
        APainter->drawRect(nameRect.adjusted(-kMargin, 0, 0, 0));
        APainter->setOpacity(1.0);
    }

    const QFont nameFont = NameFont(baseFont, item->NameBold());
    APainter->setFont(nameFont);
    APainter->setPen(textColor);
    const QString name = QFontMetrics(nameFont).elidedText(text, Qt::ElideRight, nameRect.width());
    APainter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);

    if (resultWidth > 0) {
        APainter->setFont(baseFont);
        APainter->drawText(TResultTreeItem::ResultRect(row, resultWidth), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                           item->ResultText());
    }
    APainter->restore();
}

QSize TResultTreeDelegate::sizeHint(const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const
{
    const TResultTreeItem *item = ItemOf(AOption.widget, AIndex);
    if (!item)
        return QStyledItemDelegate::sizeHint(AOption, AIndex);
    const QFontMetrics plain(AOption.font);
    const QFontMetrics bold(NameFont(AOption.font, true));
    // Tall enough for a finger on a touch screen.
    const int height = std::max(28, plain.height() + 4 * kMargin);
    const int resultWidth = ResultWidth(*item, AOption.font);
    const int width = height + 2 * kMargin + bold.horizontalAdvance(item->NameText()) +
                      (resultWidth > 0 ? kMargin + resultWidth + kMargin : 0);
    return QSize(width, height);
}

bool TResultTreeDelegate::editorEvent(QEvent *AEvent, QAbstractItemModel *AModel, const QStyleOptionViewItem &AOption,
                                      const QModelIndex &AIndex)
{
    TResultTreeItem *item = ItemOf(AOption.widget, AIndex);
    const QEvent::Type type = AEvent->type();
    if (!item || (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick))
        return QStyledItemDelegate::editorEvent(AEvent, AModel, AOption, AIndex);
    const auto *mouse = static_cast<QMouseEvent *>(AEvent);
    if (mouse->button() != Qt::LeftButton)
        return QStyledItemDelegate::editorEvent(AEvent, AModel, AOption, AIndex);
    const bool onIndicator = TResultTreeItem::IndicatorRect(AOption.rect).contains(mouse->position().toPoint());
    // A double click on the indicator follows a click that has already
    // toggled; toggling again would undo it.
    const bool toggle = type == QEvent::MouseButtonRelease ? onIndicator : !onIndicator;
    if (!toggle)
        return type == QEvent::MouseButtonDblClick;
    try {
        item->ToggleItem();
    } catch (const std::exception &e) {
        // The window's handler shows its own errors; nothing may reach the
        // event loop.
        qCritical("Results tree: %s", e.what());
    } catch (...) {
        qCritical("Results tree: unknown error");
    }
    return true;
}

TResultTreeItem *ResultTreeItem(const QTreeWidget *ATree, int AIndex)
{
    if (!ATree || AIndex < 0 || AIndex >= ATree->topLevelItemCount())
        return nullptr;
    QTreeWidgetItem *item = ATree->topLevelItem(AIndex);
    return item && item->type() == TResultTreeItem::ItemType ? static_cast<TResultTreeItem *>(item) : nullptr;
}

TResultTreeItem *SelectedResultTreeItem(const QTreeWidget *ATree)
{
    if (!ATree)
        return nullptr;
    const QList<QTreeWidgetItem *> selected = ATree->selectedItems();
    QTreeWidgetItem *item = selected.isEmpty() ? nullptr : selected.first();
    return item && item->type() == TResultTreeItem::ItemType ? static_cast<TResultTreeItem *>(item) : nullptr;
}

void RebuildResultTree(QTreeWidget *ATree, const TResultList &AList, bool AMultiSelectMode,
                       const TResultTreeItemStateChange &AOnCheckedChange)
{
    if (!ATree)
        return;
    if (!qobject_cast<TResultTreeDelegate *>(ATree->itemDelegate())) {
        ATree->setItemDelegate(new TResultTreeDelegate(ATree)); // owned by the tree
        ATree->setSelectionMode(QAbstractItemView::SingleSelection);
        ATree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        ATree->setExpandsOnDoubleClick(false);
        ATree->setRootIsDecorated(false);
        ATree->setHeaderHidden(true);
        ATree->setUniformRowHeights(true);
    }
    ATree->clear();
    for (const std::unique_ptr<TLSResult> &r : AList) {
        if (!r)
            continue;
        auto item = std::make_unique<TResultTreeItem>(r.get(), true);
        item->SetLSResult(r.get());
        item->SetOnIndicatorCheckedChange(AOnCheckedChange);
        if (AMultiSelectMode)
            item->SetMultiSelectMode(true);
        ATree->addTopLevelItem(item.release()); // owned by the tree
    }
}

void SetResultTreeMultiSelectMode(QTreeWidget *ATree, bool AValue)
{
    if (!ATree)
        return;
    for (int i = 0; i < ATree->topLevelItemCount(); ++i)
        if (TResultTreeItem *item = ResultTreeItem(ATree, i))
            item->SetMultiSelectMode(AValue);
}

QList<TResultTreeItem *> GetMultiSelectedItems(const QTreeWidget *ATree)
{
    QList<TResultTreeItem *> list;
    if (!ATree)
        return list;
    for (int i = 0; i < ATree->topLevelItemCount(); ++i)
        if (TResultTreeItem *item = ResultTreeItem(ATree, i); item && item->IsMultiSelected())
            list.append(item);
    return list;
}
