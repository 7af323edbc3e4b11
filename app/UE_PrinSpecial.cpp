// The developer's menu Special: source and listing formatters, address
// renumbering, the mov rewrite, label marking and the C to Pascal converter.
// Each text change is one undo step.
#include "app/UE_Prin.h"

#include "app/U_OutilsTexte.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "editor/U_Syntaxe.h"
#include "platform/AsciiText.h"

#include <QAction>

void TEcrPrin::CreeSpecial()
{
    connect(Action("MSp_FormateSource"), &QAction::triggered, this, [this] { ChangeTexte(&kep::FormateSource); });
    connect(Action("MSp_FormateListing"), &QAction::triggered, this, [this] { ChangeTexte(&kep::FormateListing); });
    connect(Action("MSp_RemplaceMov"), &QAction::triggered, this, [this] { ChangeTexte(&kep::RemplaceMov); });
    connect(Action("MSp_Renum"), &QAction::triggered, this, &TEcrPrin::MSp_RenumClick);
    connect(Action("MSp_MarqueLabel"), &QAction::triggered, this, &TEcrPrin::MSp_MarqueLabelClick);
    connect(Action("MSp_Test"), &QAction::triggered, this, [this] {
        // How the program turns a boolean into an integer.
        auto asInt = [](int v) { return v != 0 ? -1 : 0; };
        QStringList lines;
        for (int v : {2, 1, 0, -1})
            lines << QStringLiteral("%1 -> %2").arg(v, 2).arg(asInt(v));
        ShowMessage(lines.join(QLatin1Char('\n')));
    });
    connect(Action("MSp_ConvC"), &QAction::triggered, this, &TEcrPrin::MSp_ConvCClick);
}

void TEcrPrin::MSp_RenumClick()
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    const std::optional<QString> typed = AskText(QStringLiteral("Offset en hexa"), QStringLiteral("?"),
                                                 QStringLiteral("0"));
    if (!typed)
        return;
    const std::optional<std::int64_t> offset = kep::LitOffset(typed->toLatin1().toStdString());
    if (!offset)
        return;
    const TTextBuffer& b = ed->Buffer();
    // Here the line of the selection's end counts even at its column 1.
    const std::int32_t first = b.GetSelStart().Line;
    ChangeLignes(first, b.GetSelEnd().Line - first + 1,
                 [&](const std::vector<std::string>& l) { return kep::RenumAdresses(l, *offset); });
}

void TEcrPrin::MSp_MarqueLabelClick()
{
    const std::string word = MotSousSouris();
    if (word.empty())
        return;
    const std::string upper = kep::UpperAscii(word);
    kep::TTokens& tokens = kep::SharedTokens();
    // A word of the processor's vocabulary keeps its colour: only a plain
    // word or a marked label toggles.
    if (tokens.Find(upper) && !(tokens.Current() && tokens.Current()->Style == kep::stLab))
        return;
    tokens.ToggleHighlight(upper, kep::stLab);
    for (int i = 0; i < Sources_->Count(); ++i) {
        TEditeur* ed = Sources_->Entry(i)->Editor;
        ed->Buffer().SetStateValidBefore(0);
        ed->viewport()->update();
    }
}

void TEcrPrin::MSp_ConvCClick()
{
    TEditeur* ed = EditeurCourant();
    if (!ed || !ed->Buffer().HasSelection())
        return;
    TTextBuffer& b = ed->Buffer();
    if (b.GetSelStart().Col != 1 || b.GetSelEnd().Col != 1) {
        ShowMessage(QStringLiteral("Le bloc doit être composé de lignes entières"));
        return;
    }
    b.ReplaceSelectionBy(kep::ConvCPascal(b.GetSelText()));
}
