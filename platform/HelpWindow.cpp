#include "platform/HelpWindow.h"

#include <QPointer>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace {
QPointer<THelpWindow> TheWindow;
}

QString kep::HelpTopicTitle(const QString& html)
{
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression heading(QStringLiteral("<h([1-6])[^>]*>(.*?)</h\\1>"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::DotMatchesEverythingOption);
    QString text;
    if (const auto m = title.match(html); m.hasMatch())
        text = m.captured(1);
    else if (const auto h = heading.match(html); h.hasMatch())
        text = h.captured(2);
    return QTextDocumentFragment::fromHtml(text).toPlainText().simplified();
}

THelpWindow* THelpWindow::Instance(QWidget* parent)
{
    if (!TheWindow)
        TheWindow = new THelpWindow(parent);
    return TheWindow;
}

void THelpWindow::RaiseIfShown()
{
    if (TheWindow && TheWindow->isVisible()) {
        TheWindow->raise();
        TheWindow->activateWindow();
    }
}

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Aide KEP"));
    auto* layout = new QVBoxLayout(this);
    Browser_ = new QTextBrowser(this);
    Browser_->setOpenExternalLinks(true);
    layout->addWidget(Browser_);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(560, 420);
}

void THelpWindow::ShowTopic(const QString& fallbackTitle, const QString& html)
{
    const QString title = kep::HelpTopicTitle(html);
    setWindowTitle(title.isEmpty() ? fallbackTitle : title);
    Browser_->setHtml(html);
    show();
    raise();
    activateWindow();
}

QString THelpWindow::CurrentHtml() const
{
    return Browser_->toHtml();
}
