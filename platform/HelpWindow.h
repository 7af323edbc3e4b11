#pragma once
// KEP's help window: one for the whole program, showing one HTML topic under
// the topic's own title. Links to other topics of the same help file are
// followed, "Précédent" goes back and "Sommaire" shows the contents. Escape
// closes it.
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPushButton;
class QTextBrowser;
class QUrl;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    static THelpWindow* Instance(QWidget* parent = nullptr);
    // A topic shown before the main window (the first-run welcome) comes back
    // on top once the main window is up.
    static void RaiseIfShown();
    // `fallbackTitle` serves when the topic has neither a <title> nor a
    // heading; `folders` are where its links lead (none: links to other
    // topics are not followed).
    void ShowTopic(const QString& fallbackTitle, const QString& html, const QStringList& folders = {});
    QString CurrentHtml() const;
    // Follows a link as a click on it would.
    void FollowLink(const QUrl& url);
    void Back();
    void Contents();

    QPushButton* BtnPrecedent = nullptr;
    QPushButton* BtnSommaire = nullptr;

private:
    struct TPage {
        QString Title;
        QString Html;
        QStringList Folders;
    };
    explicit THelpWindow(QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Goes under the modal dialog open now, if any, so that it is not
    // blocked with the rest of the program.
    void FollowModal();
    void MoveUnder(QWidget* parent);
    void Show(const TPage& page, bool remember);
    // A topic file of the current help file by name; empty when absent.
    QString ReadTopic(const QString& name) const;

    QTextBrowser* Browser_ = nullptr;
    // The window it was made for, which it returns under when the dialog
    // it followed closes.
    QPointer<QWidget> Owner_;
    TPage Current_;
    std::vector<TPage> History_;
};

namespace kep {
// The title of an HTML topic: its <title>, else its first heading, as plain
// text; empty when it has neither.
QString HelpTopicTitle(const QString& html);
} // namespace kep
