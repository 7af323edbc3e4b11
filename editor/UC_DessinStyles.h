#pragma once
// A list of the 14 styles, each line painted as the editor shows that style:
// its background fills the line, its caption takes its text colour and font
// style. A selected line gets a bar of the inverted background in the margin.
#include "editor/U_SyntaxeStyles.h"

#include <QStyledItemDelegate>

namespace kep {

class TDessinStyles : public QStyledItemDelegate {
public:
    // `styles` is read at each paint: the owner changes it in place.
    TDessinStyles(const TStyleTable& styles, int marge, QObject* parent);

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The caption in bold, 2 pixels above the font's height.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TStyleTable& Styles_;
    int Marge_;
};

} // namespace kep
