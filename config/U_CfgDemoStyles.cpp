#include "config/U_CfgDemoStyles.h"

#include "editor/SystemColours.h"

#include <QPainter>

namespace kep {

TDemoStylesDelegate::TDemoStylesDelegate(const TStyleTable& styles, QObject* parent)
    : QStyledItemDelegate(parent), Styles_(styles)
{
}

void TDemoStylesDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    if (row < 0 || row >= StyleCount)
        return;
    const TStyleEntry& e = Styles_[std::size_t(row)];
    QFont f = option.font;
    f.setBold(e.Style & fsBold);
    f.setItalic(e.Style & fsItalic);
    f.setUnderline(e.Style & fsUnderline);
    f.setStrikeOut(e.Style & fsStrikeOut);
    p->save();
    p->fillRect(option.rect, ResolveColour(e.Back));
    p->setFont(f);
    p->setPen(ResolveColour(e.Fore));
    p->drawText(option.rect.adjusted(Marge, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                index.data(Qt::DisplayRole).toString());
    p->restore();
}

QSize TDemoStylesDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QFont f = option.font;
    f.setBold(true);
    const QFontMetrics fm(f);
    return QSize(Marge + fm.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 4, 2 + fm.height());
}

} // namespace kep
