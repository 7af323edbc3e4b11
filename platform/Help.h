#pragma once
// The help viewer: opens a topic of a help file by context number or by
// keyword in KEP's own help window. KEP's own topics ship as resources; the
// topics of other help files are looked up in a help folder beside the
// program. A missing topic shows a page naming what was asked.
#include <QString>
#include <QStringList>

class QWidget;

namespace kep {

// Help files are named as the program knows them ("Kep.hlp", "Vrel.hlp"...).
// Both return true when the window was shown.
bool ShowHelpContext(const QString& helpFile, int context, QWidget* parent = nullptr);
bool ShowHelpKeyword(const QString& helpFile, const QString& keyword, QWidget* parent = nullptr);
// The contents page of a help file ("sommaire.html" among its topics).
bool ShowHelpContents(const QString& helpFile, QWidget* parent = nullptr);
// The folder holding one folder of topics per help file other than KEP's own:
// "help" beside the program unless set (an empty folder sets it back).
QString HelpFolder();
void SetHelpFolder(const QString& folder);
// The topic that would be shown, as HTML, without a window (tests, printing).
QString HelpTopicHtml(const QString& helpFile, int context, const QString& keyword, bool* found = nullptr);
// The folders a help file's topics come from, first match wins: the links of
// a topic are followed there.
QStringList HelpTopicFolders(const QString& helpFile);

} // namespace kep
