#include "dropdownlist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QListView>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyledItemDelegate>

namespace tavelorn {

namespace {

// The application's style, with the list popup in place of the menu-like popup that
// ignores the row limit (QStyle::SH_ComboBox_Popup).
class ListPopupStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* listPopupStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new ListPopupStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

// Rows as wide as the popup: a list view lays out a row as wide as its text, which would
// only be cut at the popup's edge instead of elided.
class PopupRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {0, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

} // namespace

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent)
{
    setStyle(listPopupStyle());
    setMaxVisibleItems(kVisibleRows);
    setItemDelegate(new PopupRowDelegate(this));
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true); // thousands of rows measured once
    // Both ends of a profile identifier tell it apart: its title and its date.
    view()->setTextElideMode(Qt::ElideMiddle);
    view()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace tavelorn
