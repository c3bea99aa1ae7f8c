#pragma once

#include "storage/ColorText.h"
#include "storage/SessionNames.h"

#include <QList>
#include <QRect>
#include <QStyledItemDelegate>
#include <QTreeWidgetItem>

#include <functional>

class QTreeWidget;
class TLSResult;
class TResultTreeItem;

// Called after a click has switched a measurement's visibility.
using TResultTreeItemStateChange = std::function<void(TResultTreeItem *ASender)>;

// One measurement in the results tree: a colour indicator, the name and the
// final time. The item refers to its record and never owns it; the window's
// list does. The tree owns the item.
//
// A click on the indicator or a double click anywhere on the item switches
// the measurement's visibility (and then calls OnIndicatorCheckedChange);
// in multi-select mode it marks or unmarks the item instead. A marked item
// has a bold name on a translucent orange-red highlight.
class TResultTreeItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 57;
    // Fill of a hollow indicator and of the highlight behind a marked name.
    static constexpr TAlphaColor HollowColor = 0xFF808080u;
    static constexpr TAlphaColor HighlightColor = 0xFFFF4500u;
    static constexpr double HighlightOpacity = 0.3;

    // ALSResult must not be null. ANeedResultLabel: show the final time.
    TResultTreeItem(TLSResult *ALSResult, bool ANeedResultLabel);
    ~TResultTreeItem() override;
    TResultTreeItem(const TResultTreeItem &) = delete;
    TResultTreeItem &operator=(const TResultTreeItem &) = delete;

    bool IndicatorChecked() const { return FIndicatorChecked; }
    void SetIndicatorChecked(bool AValue);
    TAlphaColor IndicatorColor() const { return FIndicatorColor; }
    void SetIndicatorColor(TAlphaColor AValue);
    const QString &LabelText() const { return FLabelText; }
    void SetLabelText(const QString &AValue);
    TLSResult *LSResult() const { return FLSResult; }
    // Null detaches the item from a record about to be freed; the item then
    // keeps its last look.
    void SetLSResult(TLSResult *AValue);
    bool IsMultiSelected() const { return FIsMultiSelected; }
    // Marking also makes the item the tree's selected item.
    void SetIsMultiSelected(bool AValue);
    bool MultiSelectMode() const { return FMultiSelectMode; }
    // Also clears the mark.
    void SetMultiSelectMode(bool AValue);
    const TResultTreeItemStateChange &OnIndicatorCheckedChange() const { return FOnIndicatorCheckedChange; }
    void SetOnIndicatorCheckedChange(TResultTreeItemStateChange AValue) { FOnIndicatorCheckedChange = std::move(AValue); }
    bool NeedResultLabel() const { return FNeedResultLabel; }

    // Brings the look in line with the record: name, visibility and colour
    // from the record (and the record's chart line shown or hidden), then
    // the indicator's fill, the name's weight and the highlight.
    void UpdateState();

    // What the item shows.
    const QString &NameText() const { return FNameText; }
    const QString &ResultText() const { return FResultText; }
    bool IndicatorFilled() const { return FIndicatorChecked; }
    TAlphaColor IndicatorFill() const { return FIndicatorChecked ? FIndicatorColor : HollowColor; }
    bool NameBold() const { return FIsMultiSelected; }
    bool HighlightVisible() const { return FIsMultiSelected; }

    // The parts of an item drawn in the row rectangle ARow.
    static QRect IndicatorRect(const QRect &ARow);
    // The name label with the highlight behind it; AResultWidth is the
    // width of the final time's text (0 without it).
    static QRect NameRect(const QRect &ARow, int AResultWidth);
    static QRect ResultRect(const QRect &ARow, int AResultWidth);

    QVariant data(int AColumn, int ARole) const override;

private:
    friend class TResultTreeDelegate;
    // The click and double-click handler.
    void ToggleItem();

    TLSResult *FLSResult = nullptr;
    bool FIndicatorChecked = false;
    TAlphaColor FIndicatorColor = 0;
    QString FLabelText;
    QString FNameText;
    QString FResultText;
    TResultTreeItemStateChange FOnIndicatorCheckedChange;
    bool FIsMultiSelected = false;
    bool FMultiSelectMode = false;
    bool FNeedResultLabel = false;
};

// Draws the results tree's items and turns clicks on them into toggles.
// RebuildResultTree installs it on the tree.
class TResultTreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *APainter, const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const override;
    QSize sizeHint(const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const override;

protected:
    bool editorEvent(QEvent *AEvent, QAbstractItemModel *AModel, const QStyleOptionViewItem &AOption,
                     const QModelIndex &AIndex) override;
};

// The item of the tree at AIndex, or of the tree's current item; null when
// there is none or it is no results item.
TResultTreeItem *ResultTreeItem(const QTreeWidget *ATree, int AIndex);
TResultTreeItem *SelectedResultTreeItem(const QTreeWidget *ATree);

// Empties ATree and adds one item per record of AList in list order, each
// showing its final time, in multi-select mode AMultiSelectMode, and calling
// AOnCheckedChange after a visibility toggle. Prepares the tree for the
// items on first use (delegate, single selection, no editing).
void RebuildResultTree(QTreeWidget *ATree, const TResultList &AList, bool AMultiSelectMode,
                       const TResultTreeItemStateChange &AOnCheckedChange);
// Puts every item of ATree into multi-select mode AValue (clearing marks).
void SetResultTreeMultiSelectMode(QTreeWidget *ATree, bool AValue);
// The marked items of ATree, in tree order.
QList<TResultTreeItem *> GetMultiSelectedItems(const QTreeWidget *ATree);
