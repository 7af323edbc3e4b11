#include "app/UE_Prin.h"

#include "config/U_KepFile.h"
#include "config/U_WinBounds.h"
#include "controls/UC_HeaderCtrlG.h"
#include "build/UF_Make.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "editor/UC_Conv.h"
#include "editor/UF_CRef.h"
#include "platform/QtText.h"
#include "platform/DesktopLink.h"
#include "platform/FileIo.h"
#include "project/UF_Proj.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

std::string NomMakeFile;
std::string NomProgFile;
bool ProjetProtege = false;

using kep::NomProjet;

namespace {

std::string LoginFromPasswd()
{
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_name ? std::string(pw->pw_name) : std::string();
}

} // namespace

TEcrPrin::TEcrPrin(kep::TCfgStart start, QWidget* parent)
    : QMainWindow(parent), Start_(std::move(start)), Instance_(QString(), this)
{
    setObjectName(QStringLiteral("EcrPrin"));
    resize(712, 609);

    pSource = new QWidget(this);
    pSource->setObjectName(QStringLiteral("pSource"));
    auto* lay = new QVBoxLayout(pSource);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    TabBar = new THeaderCtrlG(6, pSource);
    TabBar->setObjectName(QStringLiteral("TabBar"));
    TabBar->setFixedHeight(8);
    TabBar->setEnabled(false);
    TabBar->setContextMenuPolicy(Qt::CustomContextMenu);
    // The ruler starts where the editor's text does (past its margin).
    auto* ruler = new QWidget(pSource);
    auto* rl = new QHBoxLayout(ruler);
    RegletteMarge_ = rl;
    rl->setContentsMargins(25, 0, 0, 0);
    rl->setSpacing(0);
    rl->addWidget(TabBar);
    lay->addWidget(ruler);
    Pile_ = new QStackedWidget(pSource);
    lay->addWidget(Pile_, 1);

    PanneauDroit = new QWidget(this);
    PanneauDroit->setObjectName(QStringLiteral("PanneauDroit"));
    auto* pl = new QVBoxLayout(PanneauDroit);
    pl->setContentsMargins(1, 1, 1, 1);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(pSource);
    Splitter1->addWidget(PanneauDroit);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({712 - 107 - 3, 107});
    setCentralWidget(Splitter1);

    for (int i = 0; i < 4; ++i) {
        Etat_[i] = new QLabel(this);
        Etat_[i]->setObjectName(QStringLiteral("Etat%1").arg(i));
        Etat_[i]->setMinimumWidth(i == 0 ? 70 : 50);
        statusBar()->addWidget(Etat_[i], i == 3 ? 1 : 0);
    }
    Etat_[0]->setAlignment(Qt::AlignCenter);
    statusBar()->setObjectName(QStringLiteral("Etat"));

    CreeMenus();
    CreePopups();
    connect(TabBar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PM_TabBar->popup(TabBar->mapToGlobal(p)); });
    connect(TabBar, &THeaderCtrlG::TrackBegin, this, &TEcrPrin::RegletteDebut);
    connect(TabBar, &THeaderCtrlG::Track, this, &TEcrPrin::RegletteSuit);
    connect(TabBar, &THeaderCtrlG::TrackEnd, this, &TEcrPrin::RegletteFin);
    // The guide over the editor while a tab stop is dragged.
    Guide_ = new QLabel(pSource);
    Guide_->setObjectName(QStringLiteral("Guide"));
    Guide_->hide();

    // 1. The sources list.
    Splitter2 = new QSplitter(Qt::Vertical, PanneauDroit);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    pl->addWidget(Splitter2);
    Sources_ = new TSources(Splitter2);
    Sources_->setObjectName(QStringLiteral("Sources"));
    Sources_->setMinimumHeight(10);
    Splitter2->addWidget(Sources_);
    // The converter keeps its height when the window grows.
    Splitter2->setStretchFactor(0, 1);
    Sources_->PopupMenu = PM_Sources;
    Sources_->OnPageChange = [this](int i) { ChoisitPage(i); };
    PageCourante = nullptr;
    CreeRecherche();
    CreeEdition();
    CreeSpecial();
    CreeDebug();
    CreeAide();

    ShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, Titre_, text, QMessageBox::Ok, this);
        box.exec();
    };
    ShowWarning = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Avertissement"), text, QMessageBox::Ok, this);
        box.exec();
    };
    ShowError = [this](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Erreur"), text, QMessageBox::Ok, this);
        box.exec();
    };
    ShowTitled = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel, this);
        box.exec();
    };
    AskSave = [this](const QString& text, bool tous) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::NoButton, this);
        QPushButton* oui = box.addButton(QStringLiteral("&Oui"), QMessageBox::ActionRole);
        QPushButton* non = box.addButton(QStringLiteral("&Non"), QMessageBox::ActionRole);
        QPushButton* annuler = box.addButton(QStringLiteral("Annuler"), QMessageBox::ActionRole);
        QPushButton* all = tous ? nullptr : box.addButton(QStringLiteral("&Tous"), QMessageBox::ActionRole);
        box.setDefaultButton(oui);
        box.setEscapeButton(annuler);
        box.exec();
        const QAbstractButton* b = box.clickedButton();
        if (b == oui)
            return rOui;
        if (b == non)
            return rNon;
        if (all && b == all)
            return rTous;
        return rAnnuler;
    };
    AskSaveName = [this](const QString& startName) {
        QFileDialog dlg(this);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setNameFilters({QStringLiteral("Source assembleur (asm) (*.asm)"), QStringLiteral("Fichier make (mke) (*.mke)"),
                            QStringLiteral("Document texte (txt) (*.txt)")});
        if (!startName.isEmpty()) {
            const QFileInfo fi(startName);
            dlg.setDirectory(fi.absolutePath());
            if (!fi.isDir())
                dlg.selectFile(fi.fileName());
        }
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front()
                                                                                  : QString();
    };
    AskOpenFiles = [this] {
        QFileDialog dlg(this, QStringLiteral("Ouvrir quel fichier ?"));
        dlg.setFileMode(QFileDialog::ExistingFiles);
        const QStringList filters{QStringLiteral("Projet assembleur (*.pja)"),
                                  QStringLiteral("Sources (*.asm, *.A96, *.mke) (*.asm *.a96 *.mke)"),
                                  QStringLiteral("Desc. de construction (*.mke)"),
                                  QStringLiteral("Fichies assemblés (*.hex, *.s19) (*.hex *.s19)"),
                                  QStringLiteral("Résultats assemblage(*.map, *.grp, *.lst) (*.map *.grp *.lst)"),
                                  QStringLiteral("Tous les fichiers (*.*) (*)")};
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters[1]);
        dlg.setDirectory(QDir::currentPath());
        return dlg.exec() == QDialog::Accepted ? dlg.selectedFiles() : QStringList();
    };
    ChooseProject = [this] {
        kep::TEcrProj dlg(NomProjet, this);
        if (dlg.exec() != kep::TEcrProj::mrOk)
            return std::string();
        return dlg.SelectedPath();
    };
    ChoisitProjet = [this](std::string& chosen) {
        return kep::TEcrProj::Choisir(this, NomProjet, chosen, [this] { return CreeNouveauProjet(); });
    };
    ExecDialog = [](QDialog& dlg) { return dlg.exec() == QDialog::Accepted; };
    LoginName = LoginFromPasswd;
    AskReload = [this](const QString& text, bool modified) { return AskReloadBox(this, text, modified); };
    AskFont = [this](const QFont& start) { return AskFontDialog(this, start); };
    AskOpenFile = [this](const QString& title, const QString& filter, const QString& start) {
        return QFileDialog::getOpenFileName(this, title, start, filter);
    };
    AskConfirm = [this](const QString& text) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::NoButton, this);
        QPushButton* oui = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        QPushButton* non = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        box.setDefaultButton(non);
        box.setEscapeButton(non);
        box.exec();
        return box.clickedButton() == oui;
    };
    AskText = [this](const QString& caption, const QString& prompt, const QString& start) {
        bool ok = false;
        const QString text = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, start, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };

    connect(&Instance_, &kep::TProjectInstance::RaiseRequested, this, [this] {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    });
}

TEcrPrin::~TEcrPrin()
{
    // Entries before editors: the records point at them.
    while (Sources_->Count() > 0)
        Sources_->DeleteEntry(Sources_->Count() - 1);
    PageCourante = nullptr;
}

bool TEcrPrin::FormCreate()
{
    // 2. The command line.
    if (!kep::ArgumentsAccepted(Start_.Args)) {
        ShowMessage(QStringLiteral("KEP ne peut ouvrir que les fichiers projets assembleur (.pja)"));
        return Started_ = false;
    }
    // 3. The options; the project from the command line or the last one.
    Cfg_ = std::make_unique<kep::TEcrCfg>(Start_);
    TEditeur::TabPath = Cfg_->Data.TabPath;
    // 4. A remembered project that is gone, or a file that is no project.
    if (!NomProjet.empty() && !kep::FileExists(NomProjet)) {
        ShowWarning(QStringLiteral("Le projet par défaut :\r  ") + kep::PathToQString(NomProjet)
                    + QStringLiteral("\r n'existe pas sur cette machine !"));
        NomProjet.clear();
    } else if (!NomProjet.empty() && !EstUnProjet(NomProjet)) {
        NomProjet.clear();
    }
    // 5. None: the project list.
    if (NomProjet.empty())
        NomProjet = ChooseProject();
    // 6. The project.
    if (!ChargeProjet())
        return Started_ = false;
    // 7. Running.
    Cfg_->MajMenuOutils = [this] { MajMenuOutils(); };
    MajMenuOutils();
    setAcceptDrops(true);
    ProgrammeBackup();
    const std::string login = LoginName ? LoginName() : std::string();
    if (login.empty() || strcasecmp(login.c_str(), DeveloperLogin) != 0)
        MSp_MontreMenuClick();
    show();
    return Started_ = true;
}

bool TEcrPrin::FormCloseQuery()
{
    return NomProjet.empty() || ProjetProtege || FermeProjet();
}

void TEcrPrin::closeEvent(QCloseEvent* e)
{
    // A build reads its output in a loop of its own: stop it, and close
    // once it has ended.
    if (MakeEnCours) {
        FermeApresMake_ = true;
        ArreteMake();
        e->ignore();
        return;
    }
    if (!Started_ || Termine_ || FormCloseQuery()) {
        Instance_.Release();
        e->accept();
        emit Ferme();
    } else {
        e->ignore();
    }
}

void TEcrPrin::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        ActiveRaccourcis(active);
        if (active && Started_)
            QTimer::singleShot(0, this, &TEcrPrin::VerifDatesFichiers);
    }
    QMainWindow::changeEvent(e);
}

// ---- Entries ------------------------------------------------------------------

TEditeur* TEcrPrin::EditeurCourant() const
{
    return PageCourante ? PageCourante->Editor : nullptr;
}

int TEcrPrin::IndexDe(const TInfPage* page) const
{
    for (int i = 0; i < Sources_->Count(); ++i)
        if (Sources_->Entry(i) == page)
            return i;
    return -1;
}

void TEcrPrin::OuvreFichier(const std::string& name0, const kep::TInfosFich* settings, bool tabsInPixels)
{
    const std::string name = name0.empty() ? name0 : kep::QStringToPath(QFileInfo(kep::PathToQString(name0)).absoluteFilePath());
    const QString shown = kep::PathToQString(kep::LowerAscii(kep::FileNameOf(name)));
    int first = -1, last = -1;
    if (!name.empty() && Sources_->FindFile(name, first, last)) {
        TEditeur* ed = Sources_->Entry(first)->Editor;
        const int count = last - first + 1;
        if (count == 1 && Sources_->Text(first) == shown)
            Sources_->SetText(first, shown + QStringLiteral("(1)"));
        ed->Buffer().AddView();
        Sources_->InsertEntry(last + 1, shown + QStringLiteral("(%1)").arg(count + 1),
                              new TInfPage{ed, count, false});
        ChoisitPage(last + 1);
    } else {
        auto* ed = new TEditeur(Pile_);
        const kep::TInfosFich& f = settings ? *settings : Cfg_->FileTypeOf(name);
        ed->SetEditorFont(PoliceDe(f));
        if (settings && tabsInPixels) {
            for (int t = 0; t < 6; ++t)
                ed->SetTabStop(t, f.Tabs[std::size_t(t)]);
        } else {
            ed->SetTabStops(std::vector<int>(f.Tabs.begin(), f.Tabs.end()));
        }
        ed->SetStyles(f.Styles);
        ed->Buffer().OemFile = f.Opts & kep::optConvDos;
        ed->FileName = name;
        // The table a file takes, or what is wrong with it, goes to the
        // status bar: at once for the current file, else when it comes to
        // the front.
        auto dit = [this, ed](const QString& text) {
            if (ed == EditeurCourant()) {
                ed->TakeTableStatus();
                SetPanel(3, text);
            }
        };
        connect(ed, &TEditeur::TableRefused, this, dit);
        connect(ed, &TEditeur::TableStatus, this, dit);
        connect(ed, &TEditeur::MnemonicHelp, this, [this, ed](const QString& m) { AideMnemonique(ed, m); });
        if (!name.empty()) {
            ed->Load();
            const bool ailleurs = !kep::SamePath(kep::FolderOf(name), kep::FolderOf(NomProjet));
            const bool nul = ed->Buffer().HoldsNul();
            ed->Buffer().ReadOnly = (f.Opts & kep::optReadOnly) || ailleurs || ProjetProtege || nul;
            if (nul)
                ShowMessage(QStringLiteral("Le fichier ") + kep::PathToQString(kep::FileNameOf(name))
                            + QStringLiteral(" contient des octets nuls : il est ouvert en lecture seule, "
                                             "sans rien perdre. Enregistrez-le sous un autre nom pour en garder une "
                                             "copie exacte."));
        }
        ed->AutoLoad = f.Opts & kep::optAutoLoad;
        ed->AutoSave = f.Opts & kep::optAutoSave;
        ed->Buffer().CleanEol = f.Opts & kep::optClrEol;
        ed->Backup = f.Backup;
        AssigneEditeur(ed);
        Pile_->addWidget(ed);
        Sources_->AddEntry(shown, new TInfPage{ed, 0, false});
        ChoisitPage(Sources_->Count() - 1);
        if (Sources_->Count() == 1)
            ActiveMenusFichier(true);
    }
    Sources_->viewport()->update();
}

void TEcrPrin::AssigneEditeur(TEditeur* ed)
{
    connect(ed, &TSrcEdit::CaretMoved, this, [this, ed] {
        if (EditeurCourant() == ed)
            CaretMoved();
    });
    connect(ed, &TSrcEdit::ModifiedToggled, this, [this, ed] {
        if (EditeurCourant() == ed)
            ModifiedToggled();
    });
    connect(ed, &TSrcEdit::InsReplSwapped, this, [this, ed] {
        if (EditeurCourant() == ed)
            InsReplSwapped();
    });
    connect(ed, &TSrcEdit::TextChanged, this, &TEcrPrin::ReferencesAJour);
    ed->OnReferences = [this](const std::string& word) { ListeReferences(word); };
    ed->OnOccurrenceClick = [this, ed](int line, const std::string& word) { VaOccurrence(ed, line, word); };
    ed->OnMarginClick = [this, ed] { MontreCode(ed); };
    ed->OnConverterWord = [this](TEditeur* from, const std::string& word) {
        if (!Conv_)
            return;
        Conv_->SetTarget(from);
        Conv_->SetValue(word);
    };
    // Too large for the undo history: the user decides, knowing what goes.
    ed->Buffer().OnCannotStoreUndo = [this] {
        return AskConfirm(QStringLiteral("Cette modification est trop grande pour être annulée ; l'historique "
                                         "d'annulation sera perdu. La faire quand même ?"));
    };
    // The editor's own items go above the shared popup.
    auto* popup = new QMenu(ed);
    popup->setObjectName(QStringLiteral("EditorPopup"));
    popup->addSeparator();
    popup->addActions(PM_Edit->actions());
    connect(popup, &QMenu::aboutToShow, this, &TEcrPrin::OuvrePmEdit);
    SuitAideMenu(popup);
    ed->viewport()->installEventFilter(this);
}

bool TEcrPrin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (auto* ed = qobject_cast<TEditeur*>(watched->parent())) {
            SetPanel(3, QString());
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && ed == EditeurCourant())
                PM_Sources->setProperty("tag", Sources_->ItemIndex());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TEcrPrin::CaretMoved()
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    // The output of the last build goes away once the user works on.
    if (!MakeEnCours && !GardeEcrMake_ && EcrMake_)
        EcrMake_->close();
    const TTextPos c = ed->Buffer().Caret();
    // The column as the eye counts it: character cells, tabs expanded.
    SetPanel(0, QStringLiteral("%1 : %2").arg(c.Line + 1).arg(ed->Buffer().CaretScreenCol()));
    // Focus coming back places the caret again without moving it: what
    // panel 3 says (the code of the line clicked in the margin) stays.
    if (ed != Panel3Editeur_ || c != Panel3Caret_)
        SetPanel(3, QString());
    Panel3Editeur_ = ed;
    Panel3Caret_ = c;
    MajSelection();
    // The selection may change after the caret has moved (extending moves).
    QTimer::singleShot(0, this, &TEcrPrin::MajSelection);
}

void TEcrPrin::MajSelection()
{
    const TEditeur* ed = EditeurCourant();
    const bool sel = ed && ed->Buffer().HasSelection();
    M_Selection->menuAction()->setEnabled(sel);
}

void TEcrPrin::ModifiedToggled()
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    SetPanel(1, ed->Buffer().ReadOnly   ? QStringLiteral("Lecture seule")
                : ed->Buffer().Modified() ? QStringLiteral("Modifié")
                                          : QString());
}

void TEcrPrin::InsReplSwapped()
{
    if (TEditeur* ed = EditeurCourant())
        SetPanel(2, ed->Buffer().ReplaceMode ? QStringLiteral("Remplacement") : QStringLiteral("Insertion"));
}

QString TEcrPrin::Panel(int i) const
{
    return i >= 0 && i < 4 ? Etat_[i]->text() : QString();
}

void TEcrPrin::SetPanel(int i, const QString& text)
{
    if (i >= 0 && i < 4)
        Etat_[i]->setText(text);
}

void TEcrPrin::ChoisitPage(int index)
{
    if (index < 0 || index >= Sources_->Count())
        return;
    Sources_->SelectPage(index);
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    MajReglette();
    setWindowTitle(QStringLiteral("KEP - ") + kep::PathToQString(ed->FileName));
    Pile_->setCurrentWidget(ed);
    ed->setFocus();
    ModifiedToggled();
    CaretMoved();
    InsReplSwapped();
    // Each file is coloured with its own processor's table.
    ed->ReprendTable();
    if (const QString table = ed->TakeTableStatus(); !table.isEmpty())
        SetPanel(3, table);
    // The references mark the current entry's lines.
    if (CRef_) {
        CRef_->SetCurrentEntry(index + 1);
        CRef_->Liste->viewport()->update();
    }
}

void TEcrPrin::RenommeVues(TEditeur* ed, const std::string& oldName)
{
    const std::string old = kep::LowerAscii(kep::FileNameOf(oldName));
    const int views = ed->Buffer().ViewCount();
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (pg->Editor != ed)
            continue;
        const std::string text = kep::QStringToPath(Sources_->Text(i));
        if (kep::LowerAscii(text).rfind(old, 0) == 0)
            Sources_->SetText(i, kep::PathToQString(kep::EntryName(ed->FileName, pg->View, views)));
    }
}

bool TEcrPrin::FermePage(int index, bool ask)
{
    TInfPage* pg = Sources_->Entry(index);
    if (!pg)
        return false;
    TEditeur* ed = pg->Editor;
    if (ed->Buffer().ViewCount() == 1) {
        if (ask) {
            bool tous = true;
            if (!DemandeSauve(index, tous))
                return false;
        }
        Pile_->removeWidget(ed);
        ed->deleteLater();
        ed->hide();
    } else {
        const int removed = pg->View;
        ed->Buffer().DeleteView(removed);
        for (int i = 0; i < Sources_->Count(); ++i) {
            TInfPage* other = Sources_->Entry(i);
            if (other->Editor != ed || other == pg)
                continue;
            if (other->View > removed)
                --other->View;
        }
        RenommeVues(ed, ed->FileName);
    }
    const bool wasCurrent = index == Sources_->CurrentPage();
    const int prevBefore = Sources_->PreviousPage();
    Sources_->DeleteEntry(index);
    if (Sources_->Count() == 0) {
        PageCourante = nullptr;
        Sources_->SetCurrentPage(-1);
        Sources_->SetPreviousPage(-1);
        ActiveMenusFichier(false);
        setWindowTitle(kep::PathToQString(NomProjet));
        for (int i = 0; i < 4; ++i)
            SetPanel(i, QString());
    } else {
        int cur = Sources_->CurrentPage();
        if (wasCurrent) {
            // The selection below must leave the previous index as it was.
            Sources_->SetCurrentPage(prevBefore);
            PageCourante = nullptr;
            ChoisitPage(index > 0 ? index - 1 : index);
        } else if (cur > index) {
            Sources_->SetCurrentPage(cur - 1);
            Sources_->setCurrentRow(cur - 1);
        }
        int prev = Sources_->PreviousPage();
        if (prevBefore == index)
            prev = Sources_->CurrentPage();
        else if (prevBefore > index && prev == prevBefore)
            prev = prevBefore - 1;
        Sources_->SetPreviousPage(prev);
        if (Sources_->PreviousPage() >= Sources_->Count())
            Sources_->SetPreviousPage(-1);
    }
    Sources_->viewport()->update();
    return true;
}

bool TEcrPrin::DemandeSauve(int index, bool& tous)
{
    const TInfPage* pg = Sources_->Entry(index);
    if (!pg || !pg->Editor->Buffer().Modified())
        return true;
    const QString text = kep::PathToQString(kep::FileNameOf(pg->Editor->FileName))
                         + QStringLiteral(" a été modifié.\r\nVoulez vous le sauver ?");
    switch (AskSave(text, tous)) {
    case rAnnuler:
        return false;
    case rNon:
        return true;
    case rTous:
        tous = true;
        [[fallthrough]];
    case rOui:
        return SauvePage(index);
    }
    return false;
}

bool TEcrPrin::SauvePage(int index)
{
    const TInfPage* pg = Sources_->Entry(index);
    if (!pg)
        return false;
    TEditeur* ed = pg->Editor;
    std::string error;
    const bool ok = (!ed->FileName.empty() || SauveSous()) && ed->Save(&error);
    if (!ok)
        ShowError(kep::PathToQString(kep::FileNameOf(ed->FileName)) + QStringLiteral(" n'a pu être sauvé."));
    else if (ed == EditeurCourant())
        ModifiedToggled();
    return ok;
}

bool TEcrPrin::SauveSous()
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return false;
    const QString chosen = AskSaveName(kep::PathToQString(ed->FileName));
    if (chosen.isEmpty())
        return false;
    const std::string nouveau = kep::QStringToPath(QFileInfo(chosen).absoluteFilePath());
    int first = -1, last = -1;
    if (Sources_->FindFile(nouveau, first, last)) {
        // Its own name: saved where it is.
        if (Sources_->Entry(first)->Editor == ed)
            return true;
        // Another document's file: the refusal writes nothing at all.
        ShowTitled(QStringLiteral("Impossible d'utiliser ce nom."),
                   QStringLiteral("Le fichier ") + kep::PathToQString(kep::LowerAscii(kep::FileNameOf(nouveau)))
                       + QStringLiteral(" est utilisé."));
        return false;
    }
    const std::string old = ed->FileName;
    ed->FileName = nouveau;
    RenommeVues(ed, old);
    setWindowTitle(QStringLiteral("KEP - ") + kep::PathToQString(ed->FileName));
    RafraichitCRef();
    return true;
}

void TEcrPrin::RafraichitCRef()
{
    if (CRef_)
        CRef_->Refresh();
}

void TEcrPrin::OuvreFichiers()
{
    for (const QString& f : AskOpenFiles())
        OuvreFichier(kep::QStringToPath(f));
}

void TEcrPrin::Nouveau()
{
    const QString name = AskSaveName(kep::PathToQString(kep::FolderOf(NomProjet)));
    if (!name.isEmpty())
        OuvreFichier(kep::QStringToPath(name));
}

// ---- Backups, disk changes, drops -------------------------------------------------

void TEcrPrin::ProgrammeBackup()
{
    if (Cfg_->Data.EnableBak) {
        if (!BackupTimer_) {
            BackupTimer_ = new QTimer(this);
            connect(BackupTimer_, &QTimer::timeout, this, &TEcrPrin::SauvegardePeriodique);
        }
        const int minutes = std::clamp(Cfg_->Data.DelaiBak, kep::DelaiBakMin, kep::DelaiBakMax);
        BackupTimer_->start(minutes * 60000);
    } else {
        delete BackupTimer_;
        BackupTimer_ = nullptr;
    }
}

void TEcrPrin::SauvegardePeriodique()
{
    QStringList failed;
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        TEditeur* ed = pg->Editor;
        TTextBuffer& b = ed->Buffer();
        if (pg->View != 0 || !b.Modified() || ed->FileName.empty())
            continue;
        const bool clean = b.CleanEol;
        b.CleanEol = false;
        if (!b.SaveToFile(ed->FileName + ".bak"))
            failed << kep::PathToQString(kep::FileNameOf(ed->FileName));
        b.CleanEol = clean;
    }
    if (!failed.isEmpty())
        SetPanel(3, QStringLiteral("La sauvegarde automatique n'a pu écrire ") + failed.join(QStringLiteral(", ")));
}

void TEcrPrin::VerifDatesFichiers()
{
    // A build rewrites files while it runs: they are looked at once it has
    // ended, not in the middle of it.
    if (VerifEnCours_ || MakeEnCours)
        return;
    VerifEnCours_ = true;
    TEditeur* last = nullptr;
    for (int i = 0; i < Sources_->Count(); ++i) {
        TEditeur* ed = Sources_->Entry(i)->Editor;
        if (ed != last && !ed->FileName.empty())
            ed->AskReloadIfChanged(AskReload);
        last = ed;
    }
    VerifEnCours_ = false;
}

void TEcrPrin::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void TEcrPrin::dropEvent(QDropEvent* e)
{
    FichiersDeposes(e->mimeData()->urls());
    e->acceptProposedAction();
}

void TEcrPrin::FichiersDeposes(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        QFileInfo fi(url.toLocalFile());
        if (fi.isSymLink())
            fi = QFileInfo(fi.symLinkTarget());
        if (kep::IsDesktopFileName(kep::QStringToPath(fi.fileName()))) {
            const std::string target = kep::DesktopLinkFileTarget(kep::QStringToPath(fi.absoluteFilePath()));
            if (target.empty())
                continue; // a launcher, not a link to a file
            fi = QFileInfo(kep::PathToQString(target));
        }
        if (fi.exists() && !fi.isDir())
            OuvreFichier(kep::QStringToPath(fi.absoluteFilePath()));
    }
}
