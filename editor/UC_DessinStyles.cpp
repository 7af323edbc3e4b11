#include "editor/UC_DessinStyles.h"

#include "editor/SystemColours.h"

#include <QPainter>

namespace kep {

namespace {

QColor Inverse(const QColor& c)
{
    return QColor(c.red() ^ 0xFF, c.green() ^ 0xFF, c.blue() ^ 0xFF);
}

QFont Police(QFont f, const TStyleEntry& e)
{
    f.setBold(e.Style & fsBold);
    f.setItalic(e.Style & fsItalic);
    f.setUnderline(e.Style & fsUnderline);
    f.setStrikeOut(e.Style & fsStrikeOut);
    return f;
}

} // namespace

TDessinStyles::TDessinStyles(const TStyleTable& styles, int marge, QObject* parent)
    : QStyledItemDelegate(parent), Styles_(styles), Marge_(marge)
{
}

void TDessinStyles::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    if (row < 0 || row >= StyleCount)
        return;
    const TStyleEntry& e = Styles_[std::size_t(row)];
    const QColor fond = ResolveColour(e.Back);
    p->save();
    p->fillRect(option.rect, fond);
    p->setFont(Police(option.font, e));
    p->setPen(ResolveColour(e.Fore));
    p->drawText(option.rect.adjusted(Marge_, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_Selected)
        p->fillRect(QRect(option.rect.left(), option.rect.top(), Marge_, option.rect.height()), Inverse(fond));
    p->restore();
}

QSize TDessinStyles::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QFont f = option.font;
    f.setBold(true);
    const QFontMetrics fm(f);
    return QSize(Marge_ + fm.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 4, fm.height() + 2);
}

} // namespace kep
