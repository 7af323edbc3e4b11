#pragma once
// The samples of the "Styles" page: one line per style, painted with the
// selected file type's colours and font style.
#include "editor/U_SyntaxeStyles.h"

#include <QStyledItemDelegate>

namespace kep {

class TDemoStylesDelegate : public QStyledItemDelegate {
public:
    // `styles` is read at each paint: the dialog changes it in place.
    TDemoStylesDelegate(const TStyleTable& styles, QObject* parent);

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // 2 pixels above the font's height.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int Marge = 2;

private:
    const TStyleTable& Styles_;
};

} // namespace kep
