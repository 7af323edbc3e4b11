#include "editor/U_Edit.h"
#include "platform/AsciiText.h"

#include "editor/U_Conv.h"
#include "editor/U_Syntaxe.h"
#include "platform/QtText.h"
#include "platform/FileIo.h"
#include "platform/Help.h"
#include "platform/Paths.h"
#include "processor/U_Puces.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

std::string TEditeur::TabPath;
std::string TEditeur::ProjetSource;
std::string TEditeur::ProjetMakeFile;
kep::TAssembleur TEditeur::ProjetAssembleur = kep::TAssembleur::Inconnu;

namespace {

TTextBuffer::TCharSet WordSet()
{
    TTextBuffer::TCharSet s;
    for (int c = 0; c < 256; ++c)
        if (TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(c)))
            s.set(std::size_t(c));
    return s;
}

TTextBuffer::TCharSet HelpSet()
{
    TTextBuffer::TCharSet s;
    for (int c = 'A'; c <= 'Z'; ++c)
        s.set(std::size_t(c));
    for (int c = 'a'; c <= 'z'; ++c)
        s.set(std::size_t(c));
    s.set('#');
    s.set('%');
    s.set('.');
    return s;
}


// The two small marks of the occurrence list: the caret's line and the
// clicked line.
QIcon MarkIcon(bool caret)
{
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (caret) {
        p.setBrush(QColor(0, 0, 160));
        p.drawRect(5, 1, 2, 10);
    } else {
        p.setBrush(QColor(200, 0, 0));
        const QPointF tri[3] = {{2, 1}, {10, 6}, {2, 11}};
        p.drawPolygon(tri, 3);
    }
    return QIcon(pm);
}

// Whole-word test of the search: the characters around the hit are not
// word characters.
bool ContainsWholeWord(std::string_view line, std::string_view word)
{
    std::size_t at = 0;
    while ((at = line.find(word, at)) != std::string_view::npos) {
        const std::size_t after = at + word.size();
        const bool okBefore = at == 0 || !TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(line[at - 1]));
        const bool okAfter =
            after >= line.size() || !TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(line[after]));
        if (okBefore && okAfter)
            return true;
        ++at;
    }
    return false;
}

} // namespace

std::vector<TOccurrence> FindOccurrences(const TTextBuffer& buffer, std::string_view word, bool* more)
{
    std::vector<TOccurrence> out;
    if (more)
        *more = false;
    if (word.empty())
        return out;
    for (std::int32_t i = 0; i < buffer.LineCount(); ++i) {
        std::string text = std::string(kep::TrimControls(buffer.GetLine(i)));
        const auto semi = text.find(';');
        if (semi != std::string::npos)
            text = std::string(kep::TrimControls(std::string_view(text).substr(0, semi)));
        if (text.empty() || !ContainsWholeWord(text, word))
            continue;
        if (int(out.size()) == TEditeur::MaxOccurrences) {
            if (more)
                *more = true;
            break;
        }
        std::string caption = "(" + std::to_string(i + 1) + ") ";
        for (char c : text) {
            if (c == '\t')
                caption += ' ';
            else if (c == '&')
                caption += "&&";
            else
                caption += c;
        }
        out.push_back(TOccurrence{i + 1, std::move(caption)});
    }
    return out;
}

TEditeur::TEditeur(QWidget* parent)
    : TSrcEdit(parent)
{
    connect(this, &TSrcEdit::TextChanged, this, [this] {
        // The table follows line 0 whatever edited it.
        if (Buffer().GetLine(0) != LastFirstLine_)
            SelectTable(false);
    });
}

bool TEditeur::Load()
{
    if (!Buffer().LoadFromFile(FileName)) {
        FileDate = 0;
        return false;
    }
    FileDate = kep::FileModTimeNs(FileName);
    SelectTable(true);
    return true;
}

bool TEditeur::Save(std::string* error)
{
    if (Backup > 0 && kep::FileExists(FileName)) {
        // The oldest copy goes, the others move up one number, and the file
        // itself is copied (not moved) so it stays in place until the new
        // text has replaced it.
        const std::string base = FileName;
        std::remove((base + std::to_string(Backup)).c_str());
        for (int i = Backup - 1; i >= 1; --i)
            std::rename((base + std::to_string(i)).c_str(), (base + std::to_string(i + 1)).c_str());
        std::string bytes;
        if (kep::ReadWholeFile(base, bytes))
            kep::WriteFileAtomic(base + "1", bytes);
    }
    if (!Buffer().SaveFile(FileName, error))
        return false;
    FileDate = kep::FileModTimeNs(FileName);
    // The processor directives may have been edited.
    SelectTable(false);
    return true;
}

bool TEditeur::ChangedOnDisk() const
{
    const std::int64_t onDisk = kep::FileModTimeNs(FileName);
    return onDisk != 0 && onDisk > FileDate;
}

QString TEditeur::ReloadQuestion() const
{
    QString text = QStringLiteral("L'heure ou la date du fichier \r\n -> ") + kep::PathToQString(FileName)
                   + QStringLiteral("\r\n a changé.\r\n\nFaut-il le recharger ?");
    if (Buffer().Modified())
        text += QStringLiteral("\r\n\nLes modifications faites ici et non enregistrées seront perdues.");
    return text;
}

bool TEditeur::AskReloadIfChanged(const TAskReload& ask)
{
    if (!ChangedOnDisk())
        return false;
    if (ask(ReloadQuestion(), Buffer().Modified())) {
        Load();
        return true;
    }
    FileDate = kep::FileModTimeNs(FileName);
    return false;
}

bool TEditeur::ReloadAfterBuild(const TAskReload& ask)
{
    if (!Buffer().Modified()) {
        if (!ChangedOnDisk())
            return false;
        Load();
        return true;
    }
    return AskReloadIfChanged(ask);
}

std::unique_ptr<QMessageBox> MakeReloadBox(QWidget* parent, const QString& text, bool modified)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Confirmation"), text,
                                             QMessageBox::NoButton, parent);
    QPushButton* oui = box->addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton* non = box->addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    // Unsaved work is not thrown away by a stray Enter.
    box->setDefaultButton(modified ? non : oui);
    box->setEscapeButton(non);
    return box;
}

bool AskReloadBox(QWidget* parent, const QString& text, bool modified)
{
    const auto box = MakeReloadBox(parent, text, modified);
    box->exec();
    return box->clickedButton() && box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
}

std::string TEditeur::TableFileFor(const std::string& firstLine) const
{
    return kep::FichierTableLigne0(TabPath, firstLine);
}

std::map<std::string, std::int64_t>& TEditeur::ReportedAtOpen()
{
    static std::map<std::string, std::int64_t> reported;
    return reported;
}

namespace {

// One vocabulary per chip include, shared by the files of that chip and
// rebuilt when the file changes.
std::shared_ptr<const kep::TTokens> ChipTokensFor(const std::string& include)
{
    struct TEntry {
        std::shared_ptr<const std::vector<std::string>> Names;
        std::shared_ptr<const kep::TTokens> Tokens;
    };
    static std::map<std::string, TEntry> cache;
    auto names = kep::NomsDuFichierPuce(include);
    TEntry& e = cache[include];
    if (e.Names != names) {
        auto tokens = std::make_shared<kep::TTokens>(kep::TTokens::TVide{});
        std::vector<std::string> flagged;
        flagged.reserve(names->size());
        // A register name is a whole word: PORTB does not colour PORTBX.
        for (const std::string& n : *names)
            flagged.push_back(n + "~");
        tokens->LoadLists({}, flagged);
        e = TEntry{names, tokens};
    }
    return e.Tokens;
}

std::string TableCaption(const std::string& table, const std::string& chip)
{
    std::string text = "Table processeur : " + kep::FileNameOf(table);
    if (!chip.empty())
        text += " (" + chip + ")";
    return text;
}

} // namespace

void TEditeur::SelectTable(bool opening)
{
    LastFirstLine_ = Buffer().GetLine(0);
    std::string head;
    const std::int32_t n = std::min<std::int32_t>(Buffer().LineCount(), 100);
    for (std::int32_t i = 0; i < n; ++i) {
        head += Buffer().GetLine(i);
        head += '\n';
    }
    const kep::TContexteTable ctx{TabPath, FileName.empty() ? std::string() : kep::FolderOf(FileName), ProjetSource,
                                  ProjetMakeFile};
    const kep::TChoixTable choix = kep::ChoisitTable(head, ctx);
    const std::string before = Table_, chipBefore = Puce_;
    std::string error;
    if (!choix.Table.empty() && kep::SharedTokens().LoadTable(choix.Table, &error)) {
        ReportedTable_.clear();
        Table_ = choix.Table;
        Puce_ = choix.Famille == kep::TFamille::Aucune ? std::string() : choix.Puce;
    }
    // An unknown chip keeps the names the file had.
    if (!choix.Include.empty())
        SetChipTokens(ChipTokensFor(choix.Include));
    else if (choix.Puce.empty())
        SetChipTokens(nullptr);
    Buffer().SetStateValidBefore(0);
    viewport()->update();
    if (!error.empty() && choix.Table != ReportedTable_) {
        // A damaged table named by several files of a project is reported
        // once as they open, again when it changes on disk.
        const std::int64_t date = kep::FileModTimeNs(choix.Table);
        bool say = true;
        if (opening) {
            auto [it, fresh] = ReportedAtOpen().try_emplace(choix.Table, date);
            say = fresh || it->second != date;
            it->second = date;
        }
        if (say) {
            ReportedTable_ = choix.Table;
            // The reader writes its messages and the paths in UTF-8.
            PendingStatus_ = QString::fromUtf8(error);
            emit TableRefused(PendingStatus_);
        }
        return;
    }
    if (!choix.Message.empty()) {
        if (choix.Message != SaidMessage_) {
            SaidMessage_ = choix.Message;
            PendingStatus_ = QString::fromUtf8(choix.Message);
            emit TableStatus(PendingStatus_);
        }
        return;
    }
    SaidMessage_.clear();
    if (!Table_.empty() && (Table_ != before || Puce_ != chipBefore)) {
        PendingStatus_ = kep::PathToQString(TableCaption(Table_, Puce_));
        emit TableStatus(PendingStatus_);
    }
}

void TEditeur::ReprendTable()
{
    if (!Table_.empty() && kep::SharedTokens().TableName() != Table_ && kep::SharedTokens().LoadTable(Table_)) {
        Buffer().SetStateValidBefore(0);
        viewport()->update();
        PendingStatus_ = kep::PathToQString(TableCaption(Table_, Puce_));
    }
}

QString TEditeur::TakeTableStatus()
{
    return std::exchange(PendingStatus_, QString());
}

std::string TEditeur::MnemonicAt(QPoint viewportPoint) const
{
    const std::string word = WordAtPoint(viewportPoint, HelpSet());
    if (word.empty())
        return {};
    kep::TTokens& tokens = kep::SharedTokens();
    const std::string upper = kep::UpperAscii(word);
    if (!tokens.Find(upper) || tokens.Current()->Style != kep::stOp)
        return {};
    return upper;
}

int TEditeur::DirectiveHelpAt(QPoint viewportPoint) const
{
    const std::string word = WordAtPoint(viewportPoint, HelpSet());
    if (word.empty())
        return -1;
    return kep::DirectiveHelpContext(kep::UpperAscii(word));
}

void TEditeur::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        const int context = DirectiveHelpAt(viewport()->mapFromGlobal(QCursor::pos()));
        if (context >= 0) {
            const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/qdx.hlp");
            kep::ShowHelpContext(file, context, this);
            return;
        }
        const std::string mnemonic = MnemonicAt(viewport()->mapFromGlobal(QCursor::pos()));
        if (!mnemonic.empty()) {
            emit MnemonicHelp(QString::fromLatin1(mnemonic));
            return;
        }
    }
    TSrcEdit::keyPressEvent(e);
}

void TEditeur::mousePressEvent(QMouseEvent* e)
{
    TSrcEdit::mousePressEvent(e);
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = e->position().toPoint();
    if (p.x() < LargMarge() && OnMarginClick) {
        OnMarginClick();
        const std::int32_t line = Buffer().CaretLine();
        Buffer().SetAnchor(TTextPos{line, 1});
        Buffer().SelectRange(TTextPos{line, 1}, TTextPos{line + 1, 1});
    } else if (OnConverterWord) {
        std::string word = WordAtPoint(p, WordSet());
        // The whole form: "h'1F'", not the "1F" between its quotes.
        if (ProjetAssembleur != kep::TAssembleur::Inconnu && p.x() >= TextLeft() && p.x() <= viewport()->width()
            && p.y() >= 0 && p.y() <= viewport()->height()) {
            const TTextPos at = PosAtPoint(p, false);
            if (at.Col >= 1)
                word = kep::MotConversion(Buffer().GetLine(at.Line), std::size_t(at.Col - 1), ProjetAssembleur);
        }
        OnConverterWord(this, word);
    }
}

bool TEditeur::ReplaceWithValue(const std::string& text, kep::TAssembleur a)
{
    TTextBuffer& b = Buffer();
    if (b.ReadOnly)
        return false;
    if (b.HasSelection() && a == kep::TAssembleur::Inconnu) {
        const TTextPos s = b.GetSelStart();
        if (s.Col > 1) {
            const char before = b.GetLine(s.Line)[std::size_t(s.Col - 2)];
            if (before == '$' || before == '%')
                b.SelectRange(TTextPos{s.Line, s.Col - 1}, b.GetSelEnd());
        }
    } else if (b.HasSelection() && b.GetSelStart().Line == b.GetSelEnd().Line) {
        const TTextPos s = b.GetSelStart(), e = b.GetSelEnd();
        const kep::TPortee sel{std::size_t(s.Col - 1), std::size_t(e.Col - 1)};
        const kep::TPortee form = kep::PorteeNombre(b.GetLine(s.Line), sel, a);
        if (form != sel)
            b.SelectRange(TTextPos{s.Line, std::int32_t(form.Debut) + 1}, TTextPos{s.Line, std::int32_t(form.Fin) + 1});
    }
    // Recorded like any edit, so that undoing earlier edits still finds
    // their text.
    const TTextPos at = b.HasSelection() ? b.GetSelStart() : b.Caret();
    if (!b.RecordUndo(b.GetSelText(), text, at))
        return false;
    b.InsertText(text);
    return true;
}

void TEditeur::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = findChild<QMenu*>(QStringLiteral("EditorPopup"), Qt::FindDirectChildrenOnly);
    if (!menu) {
        menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("EditorPopup"));
        menu->addSeparator();
    }
    PrepareContextMenu(menu, viewport()->mapFromGlobal(e->globalPos()));
    menu->popup(e->globalPos());
}

void TEditeur::PrepareContextMenu(QMenu* menu, QPoint viewportPoint)
{
    // 1. Drop what the last call added: everything above the first separator.
    QAction* separator = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            separator = a;
            break;
        }
        menu->removeAction(a);
        a->deleteLater();
    }
    if (!separator) {
        separator = new QAction(menu);
        separator->setSeparator(true);
        menu->insertAction(menu->actions().value(0), separator);
    }
    separator->setVisible(false);
    QAction* top = separator;
    auto addOnTop = [&](QAction* a) {
        menu->insertAction(top, a);
        top = a;
    };
    TTextBuffer& b = Buffer();

    // 2. The word: the selection when it holds no line break, else the word
    // under the mouse; none in the margin.
    std::string word;
    if (viewportPoint.x() >= LargMarge()) {
        const std::string sel = b.GetSelText();
        if (!sel.empty() && sel.find_first_of("\r\n") == std::string::npos)
            word = std::string(kep::TrimControls(sel));
        else
            word = WordAtPoint(viewportPoint, WordSet());
    }

    if (!word.empty()) {
        separator->setVisible(true);
        const std::int32_t caretLine = b.CaretLine();
        const std::int32_t clickedLine = b.TopLine() + viewportPoint.y() / std::max(1, LineHeight());
        const std::string upper = kep::UpperAscii(word);

        // 4. Highlighting, for words made of word characters only.
        QAction* highlight = nullptr;
        const bool plainWord = std::all_of(word.begin(), word.end(), [](char c) {
            return TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(c));
        });
        if (plainWord) {
            kep::TTokens& tokens = kep::SharedTokens();
            const bool known = tokens.Find(upper);
            const bool highlighted = known && tokens.Current() && tokens.Current()->Style == kep::stSur;
            if (!known || highlighted) {
                highlight = new QAction(highlighted ? QStringLiteral("Ote surlignage") : QStringLiteral("Surligne"), menu);
                connect(highlight, &QAction::triggered, this, [this, upper] {
                    kep::SharedTokens().ToggleHighlight(upper, kep::stSur);
                    Buffer().SetStateValidBefore(0);
                    viewport()->update();
                });
            }
        }
        // 5. The platform reference for Win32 sources.
        QAction* win32 = nullptr;
        if (b.LineCount() > 1 && b.GetLine(1).find("Win32") != std::string::npos) {
            win32 = new QAction(QStringLiteral("Win32SDK ..."), menu);
            connect(win32, &QAction::triggered, this,
                    [this, word] { kep::ShowHelpKeyword(QStringLiteral("Win32sdk.hlp"), kep::TextToQString(word, Buffer().OemFile), this); });
        }
        // 6. References.
        auto* refs = new QAction(QStringLiteral("Références ..."), menu);
        connect(refs, &QAction::triggered, this, [this, word] {
            if (OnReferences)
                OnReferences(word);
        });
        // 7. The occurrences of the word.
        auto* sub = new QMenu(kep::TextToQString(word, Buffer().OemFile), menu);
        bool more = false;
        const std::vector<TOccurrence> found = FindOccurrences(b, word, &more);
        for (const TOccurrence& o : found) {
            QAction* item = sub->addAction(kep::TextToQString(o.Caption, Buffer().OemFile));
            item->setData(o.Line);
            if (o.Line - 1 == caretLine) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setIcon(MarkIcon(true));
                sub->setDefaultAction(item);
            } else if (o.Line - 1 == clickedLine) {
                item->setIcon(MarkIcon(false));
            }
            const int line = o.Line;
            connect(item, &QAction::triggered, this, [this, line, word] {
                if (OnOccurrenceClick)
                    OnOccurrenceClick(line, word);
            });
        }
        if (more)
            sub->addAction(QStringLiteral("-- Plus de 100 occurences --"));
        if (found.size() == 1 && found.front().Line - 1 == clickedLine && !more)
            sub->clear();

        if (highlight)
            addOnTop(highlight);
        if (win32)
            addOnTop(win32);
        addOnTop(refs);
        addOnTop(sub->menuAction());
    }

    // 8. The markers, 9 down to 0 so that 0 ends on top.
    for (int n = 9; n >= 0; --n) {
        const TTextPos m = b.GetMarker(n);
        if (m.Line < 0 || m.Line >= b.LineCount())
            continue;
        std::string caption = std::to_string(n) + " -> ";
        for (char c : b.GetLine(m.Line))
            caption += c == '\t' ? ' ' : c;
        auto* a = new QAction(kep::TextToQString(caption, Buffer().OemFile), menu);
        connect(a, &QAction::triggered, this, [this, n] { Buffer().GoToMarker(n); });
        addOnTop(a);
    }
}
