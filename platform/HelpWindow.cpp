#include "platform/HelpWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QPointer<THelpWindow> TheWindow;
// Enough to go back a long way without keeping every page ever shown.
constexpr std::size_t MaxHistory = 100;
} // namespace

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
    : QWidget(parent, Qt::Window), Owner_(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Aide KEP"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    BtnPrecedent = new QPushButton(QStringLiteral("&Précédent"), this);
    BtnSommaire = new QPushButton(QStringLiteral("&Sommaire"), this);
    buttons->addWidget(BtnPrecedent);
    buttons->addWidget(BtnSommaire);
    buttons->addStretch();
    layout->addLayout(buttons);
    Browser_ = new QTextBrowser(this);
    // Links are followed here: other topics from the help file's folders,
    // anything else by the desktop (mail, web).
    Browser_->setOpenLinks(false);
    layout->addWidget(Browser_);
    connect(Browser_, &QTextBrowser::anchorClicked, this, &THelpWindow::FollowLink);
    connect(BtnPrecedent, &QPushButton::clicked, this, &THelpWindow::Back);
    connect(BtnSommaire, &QPushButton::clicked, this, &THelpWindow::Contents);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    BtnPrecedent->setEnabled(false);
    BtnSommaire->setEnabled(false);
    resize(640, 520);
}

void THelpWindow::ShowTopic(const QString& fallbackTitle, const QString& html, const QStringList& folders)
{
    const QString title = kep::HelpTopicTitle(html);
    Show({title.isEmpty() ? fallbackTitle : title, html, folders}, !Current_.Html.isEmpty());
    FollowModal();
    show();
    raise();
    activateWindow();
}

void THelpWindow::FollowModal()
{
    // A modal dialog blocks every window that is not its own: help asked
    // for from it would show but take no click or key until it closes.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this)
        return;
    if (modal != parentWidget())
        MoveUnder(modal);
    modal->installEventFilter(this);
}

void THelpWindow::MoveUnder(QWidget* parent)
{
    const QRect place = geometry();
    const bool shown = isVisible();
    setParent(parent, windowFlags());
    setGeometry(place);
    if (shown)
        show();
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The dialog closes: the help stays open, under the dialog still modal
    // below it or else under its owner, so that it does not go with it.
    if (event->type() == QEvent::Hide && watched == parentWidget()) {
        watched->removeEventFilter(this);
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != watched && modal != this) {
            MoveUnder(modal);
            modal->installEventFilter(this);
        } else {
            if (Owner_ == watched)
                Owner_ = parentWidget()->parentWidget() ? parentWidget()->parentWidget()->window() : nullptr;
            MoveUnder(Owner_);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void THelpWindow::Show(const TPage& page, bool remember)
{
    if (remember) {
        History_.push_back(Current_);
        if (History_.size() > MaxHistory)
            History_.erase(History_.begin());
    }
    Current_ = page;
    setWindowTitle(page.Title);
    Browser_->setHtml(page.Html);
    BtnPrecedent->setEnabled(!History_.empty());
    BtnSommaire->setEnabled(!page.Folders.isEmpty());
}

QString THelpWindow::ReadTopic(const QString& name) const
{
    // Only a file of the help file's own folders: no way up or out.
    if (name.isEmpty() || name.contains(QStringLiteral("..")) || name.startsWith(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')))
        return {};
    for (const QString& dir : Current_.Folders) {
        QFile f(dir + QLatin1Char('/') + name);
        if (f.open(QIODevice::ReadOnly))
            return QString::fromUtf8(f.readAll());
    }
    return {};
}

void THelpWindow::FollowLink(const QUrl& url)
{
    if (url.scheme() == QLatin1String("mailto") || url.scheme() == QLatin1String("http")
        || url.scheme() == QLatin1String("https")) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (!url.scheme().isEmpty())
        return;
    const QString name = url.path();
    if (name.isEmpty()) {
        if (url.hasFragment())
            Browser_->scrollToAnchor(url.fragment());
        return;
    }
    QString html = ReadTopic(name);
    if (html.isEmpty())
        html = QStringLiteral("<h2>Aide non disponible</h2><p>La rubrique <b>%1</b> n'existe pas.</p>")
                   .arg(name.toHtmlEscaped());
    const QString title = kep::HelpTopicTitle(html);
    Show({title.isEmpty() ? name : title, html, Current_.Folders}, true);
    if (url.hasFragment())
        Browser_->scrollToAnchor(url.fragment());
}

void THelpWindow::Back()
{
    if (History_.empty())
        return;
    const TPage page = History_.back();
    History_.pop_back();
    Show(page, false);
}

void THelpWindow::Contents()
{
    FollowLink(QUrl(QStringLiteral("sommaire.html")));
}

QString THelpWindow::CurrentHtml() const
{
    return Browser_->toHtml();
}
