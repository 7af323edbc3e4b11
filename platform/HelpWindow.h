#pragma once
// KEP's help window: one for the whole program, showing one HTML topic under
// the topic's own title. Escape closes it.
#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    static THelpWindow* Instance(QWidget* parent = nullptr);
    // A topic shown before the main window (the first-run welcome) comes back
    // on top once the main window is up.
    static void RaiseIfShown();
    // `fallbackTitle` serves when the topic has neither a <title> nor a heading.
    void ShowTopic(const QString& fallbackTitle, const QString& html);
    QString CurrentHtml() const;

private:
    explicit THelpWindow(QWidget* parent);
    QTextBrowser* Browser_ = nullptr;
};

namespace kep {
// The title of an HTML topic: its <title>, else its first heading, as plain
// text; empty when it has neither.
QString HelpTopicTitle(const QString& html);
} // namespace kep
