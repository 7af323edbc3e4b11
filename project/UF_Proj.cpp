#include "project/UF_Proj.h"

#include "app/UF_SelDir.h"
#include "config/U_KepFile.h"
#include "platform/Help.h"
#include "platform/InstanceBus.h"
#include "project/U_ProjList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kep {

bool TEcrProj::SearchAbort = false;

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int WasCheckedRole = Qt::UserRole + 1;
// Folder entries handled between two turns of the event loop.
constexpr std::size_t EntriesPerStep = 200;
const QString Filter = QStringLiteral("Projet assembleur (*.pja)");

QString Shown(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string Bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string PathOf(const QListWidgetItem* item)
{
    return item ? item->data(PathRole).toByteArray().toStdString() : std::string();
}

// The name with its extension replaced by ".pja".
QString WithPjaExtension(const QString& name)
{
    const QFileInfo info(name);
    const QString base = info.fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? base.left(dot) : base;
    return info.dir().filePath(stem + QStringLiteral(".pja"));
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = QString())
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace

TEcrProj::TEcrProj(const std::string& nomProjet, QWidget* parent, TInstanceBus* bus)
    : QDialog(parent), NomProjet_(nomProjet), Bus_(bus ? bus : &TInstanceBus::Instance()),
      SearchTimer_(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Gestion des projets"));
    NewEditorProgram = QCoreApplication::applicationFilePath();

    lblTitre = new QLabel(QStringLiteral("Projets répertoriés :"), this);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    ListeProj = new QListWidget(this);
    ListeProj->setObjectName(QStringLiteral("ListeProj"));
    ListeProj->setSelectionMode(QAbstractItemView::SingleSelection);
    ListeProj->installEventFilter(this);
    lblTitre->setBuddy(ListeProj);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->hide();
    lblInfo = new QLabel(QStringLiteral("Le projet coché sera ouvert automatiquement la prochaine fois."), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));

    BtnOuvre = Button(this, "BtnOuvre", QStringLiteral("&Ouvre ce projet"));
    BtnNouvEdit = Button(this, "BtnNouvEdit", QStringLiteral("&Nouvel Editeur"));
    BtnSauve = Button(this, "BtnSauve", QStringLiteral("&Enregistrer"));
    BtnSauve->setDefault(true);
    BtnSauve->setEnabled(false);
    BtnAbandon = Button(this, "BtnAbandon", QStringLiteral("&Fermer"));
    BtnNouveau = Button(this, "BtnNouveau", QStringLiteral("&Créer un Nouveau"));
    BtnNouveauProjet = Button(this, "BtnNouveauProjet", QStringLiteral("Nou&veau projet..."),
                              QStringLiteral("Crée un projet qui se construit tel quel : fichier projet, fichier make "
                                             "et source principal"));
    BtnNouveauProjet->hide();
    BtnAjouter = Button(this, "BtnAjouter", QStringLiteral("&Ajouter..."), QStringLiteral("Ajoute un fichier projet existant"));
    btnCherche = Button(this, "btnCherche", QStringLiteral("&Recherche les projets"),
                        QStringLiteral("Recherche tous les projets existants sur ce poste"));
    BtnSupprime = Button(this, "BtnSupprime", QStringLiteral("&Supprimer"), QStringLiteral("Ote le projet sélectionné de la liste"));
    btnAide = Button(this, "btnAide", QStringLiteral("Aide"));

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {BtnOuvre, BtnNouvEdit, BtnSauve, BtnAbandon})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    for (QPushButton* b : {BtnNouveau, BtnNouveauProjet, BtnAjouter, btnCherche, BtnSupprime})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnAide);

    auto* left = new QVBoxLayout;
    left->addWidget(lblTitre);
    left->addWidget(ListeProj, 1);
    left->addWidget(Edit1);
    left->addWidget(lblInfo);

    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    resize(560, 330);

    connect(BtnOuvre, &QPushButton::clicked, this, &TEcrProj::BtnOuvreClick);
    connect(BtnNouvEdit, &QPushButton::clicked, this, &TEcrProj::BtnNouvEditClick);
    connect(BtnSauve, &QPushButton::clicked, this, [this] { SauveListe(); });
    connect(BtnAbandon, &QPushButton::clicked, this, [this] { done(mrAbort); });
    connect(BtnNouveau, &QPushButton::clicked, this, &TEcrProj::BtnNouveauClick);
    connect(BtnAjouter, &QPushButton::clicked, this, &TEcrProj::BtnAjouterClick);
    connect(BtnNouveauProjet, &QPushButton::clicked, this, [this] {
        const std::string path = CreeProjet_ ? CreeProjet_() : std::string();
        if (!path.empty())
            AjouteProjet(path);
    });
    connect(btnCherche, &QPushButton::clicked, this, &TEcrProj::btnChercheClick);
    connect(BtnSupprime, &QPushButton::clicked, this, &TEcrProj::BtnSupprimeClick);
    connect(btnAide, &QPushButton::clicked, this,
            [this] { ShowHelpContext(QStringLiteral("Kep.hlp"), 2002, this); });
    connect(ListeProj, &QListWidget::itemChanged, this, &TEcrProj::OnItemChanged);
    connect(ListeProj, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(ListeProj, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    connect(ListeProj, &QListWidget::itemDoubleClicked, this, [this] {
        if (BtnOuvre->isEnabled())
            BtnOuvreClick();
    });
    connect(SearchTimer_, &QTimer::timeout, this, &TEcrProj::SearchStep);
    connect(Bus_, &TInstanceBus::Received, this, &TEcrProj::OnBusMessage);

    AskSearchFolder = [this] {
        TEcrSelDir chooser(this);
        chooser.setWindowTitle(QStringLiteral("Répertoire où chercher les projets ?"));
        return chooser.exec() == QDialog::Accepted ? chooser.Folder() : QString();
    };
    AskNewProject = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Crée un nouveau projet assembleur"), QString(), Filter);
    };
    AskExistingProject = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Ouvrir"), QString(), Filter);
    };
    ShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, this);
        box.exec();
    };

    Charge();
    if (!NomProjet_.empty() && !ContainsProjPath(Paths(), NomProjet_)) {
        AddItem(NomProjet_);
        ListChanged_ = true;
    }
    for (int i = 0; i < ListeProj->count(); ++i)
        if (!NomProjet_.empty() && PathOf(ListeProj->item(i)) == NomProjet_)
            ListeProj->setCurrentRow(i);
    UpdateSauve();
    UpdateButtons();
}

int TEcrProj::Choisir(QWidget* owner, const std::string& nomProjet, std::string& chosen,
                      std::function<std::string()> creeProjet)
{
    TEcrProj dlg(nomProjet, owner);
    dlg.SetCreeProjet(std::move(creeProjet));
    if (owner) {
        const QPoint corner = owner->frameGeometry().topLeft();
        dlg.move(corner + QPoint(10, 10));
    }
    const int result = dlg.exec();
    chosen = dlg.SelectedPath();
    return result;
}

TEcrProj::~TEcrProj()
{
    SearchTimer_->stop();
}

void TEcrProj::AddItem(const std::string& path, bool checked)
{
    const bool was = Updating_;
    Updating_ = true;
    auto* item = new QListWidgetItem(Shown(path));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setData(PathRole, QByteArray::fromStdString(path));
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(WasCheckedRole, checked);
    ListeProj->addItem(item);
    Updating_ = was;
}

void TEcrProj::Charge()
{
    const TKepFile ini;
    const TProjList list = LoadProjList(ini);
    const std::string selected = SelectedPath();
    Updating_ = true;
    ListeProj->clear();
    SavedChecked_.clear();
    for (std::size_t i = 0; i < list.Paths.size(); ++i) {
        const bool checked = static_cast<int>(i) == list.Checked;
        AddItem(list.Paths[i], checked);
        if (checked)
            SavedChecked_ = list.Paths[i];
    }
    for (int i = 0; i < ListeProj->count(); ++i)
        if (!selected.empty() && PathOf(ListeProj->item(i)) == selected)
            ListeProj->setCurrentRow(i);
    Updating_ = false;
}

std::string TEcrProj::SelectedPath() const
{
    const auto items = ListeProj->selectedItems();
    return items.isEmpty() ? std::string() : PathOf(items.front());
}

std::vector<std::string> TEcrProj::Paths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < ListeProj->count(); ++i)
        paths.push_back(PathOf(ListeProj->item(i)));
    return paths;
}

int TEcrProj::CheckedIndex() const
{
    for (int i = 0; i < ListeProj->count(); ++i)
        if (ListeProj->item(i)->checkState() == Qt::Checked)
            return i;
    return -1;
}

void TEcrProj::UpdateSauve()
{
    BtnSauve->setEnabled(ListChanged_ || CheckChanged_);
}

void TEcrProj::UpdateButtons()
{
    const std::string selected = SelectedPath();
    const bool open = !selected.empty() && selected != NomProjet_;
    BtnOuvre->setEnabled(open);
    BtnNouvEdit->setEnabled(open && !NomProjet_.empty());
    BtnSupprime->setEnabled(open);
}

void TEcrProj::OnItemChanged(QListWidgetItem* item)
{
    if (Updating_)
        return;
    const bool checked = item->checkState() == Qt::Checked;
    if (checked == item->data(WasCheckedRole).toBool())
        return; // another property changed
    Updating_ = true;
    item->setData(WasCheckedRole, checked);
    // A tick on an item selects it, so the rules below concern the selection.
    ListeProj->setCurrentItem(item);
    const std::string path = PathOf(item);
    if (checked) {
        for (int i = 0; i < ListeProj->count(); ++i) {
            QListWidgetItem* other = ListeProj->item(i);
            if (other != item && other->checkState() != Qt::Unchecked) {
                other->setCheckState(Qt::Unchecked);
                other->setData(WasCheckedRole, false);
            }
        }
        if (path != SavedChecked_)
            CheckChanged_ = true;
    } else if (!SavedChecked_.empty()) {
        CheckChanged_ = true;
    }
    Updating_ = false;
    UpdateSauve();
    UpdateButtons();
}

bool TEcrProj::SauveListe()
{
    const std::vector<std::string> paths = Paths();
    const int checked = CheckedIndex();
    std::string error, notCreated;
    bool ok;
    {
        TKepFile ini;
        ok = SaveProjList(ini, paths, checked, error, notCreated);
    }
    if (!ok && notCreated.empty()) {
        ShowMessage(QStringLiteral("Impossible d'enregistrer la liste des projets :\n") + QString::fromStdString(error));
        return false;
    }
    // The list is written even when a new project's file could not be made.
    if (!notCreated.empty())
        ShowMessage(QStringLiteral("Impossible de créer le fichier projet\n") + Shown(notCreated));
    SavedChecked_ = checked >= 0 ? paths[static_cast<std::size_t>(checked)] : std::string();
    ListChanged_ = CheckChanged_ = false;
    UpdateSauve();
    Bus_->Broadcast(QString::fromLatin1(MsgProjListChange), reinterpret_cast<quintptr>(this));
    return ok;
}

void TEcrProj::SetCreeProjet(std::function<std::string()> creeProjet)
{
    CreeProjet_ = std::move(creeProjet);
    BtnNouveauProjet->setVisible(bool(CreeProjet_));
}

void TEcrProj::AjouteProjet(const std::string& path)
{
    if (!ContainsProjPath(Paths(), path)) {
        AddItem(path);
        ListChanged_ = true;
    }
    for (int i = 0; i < ListeProj->count(); ++i)
        if (SameProjPath(PathOf(ListeProj->item(i)), path)) {
            ListeProj->setCurrentRow(i);
            break;
        }
    UpdateButtons();
    UpdateSauve();
}

bool TEcrProj::AjouteCopie(const std::string& copie, const std::string& original)
{
    Updating_ = true;
    if (!ContainsProjPath(Paths(), copie)) {
        AddItem(copie);
        ListChanged_ = true;
    }
    const int checked = CheckedIndex();
    if (checked >= 0 && SameProjPath(PathOf(ListeProj->item(checked)), original)) {
        for (int i = 0; i < ListeProj->count(); ++i) {
            QListWidgetItem* item = ListeProj->item(i);
            const bool mine = SameProjPath(PathOf(item), copie);
            item->setCheckState(mine ? Qt::Checked : Qt::Unchecked);
            item->setData(WasCheckedRole, mine);
        }
        CheckChanged_ = true;
    }
    Updating_ = false;
    return SauveListe();
}

void TEcrProj::OnBusMessage(const QString& message, qint64, quint64 sender, bool local)
{
    if (message != QLatin1String(MsgProjListChange))
        return;
    if (local && sender == reinterpret_cast<quintptr>(this))
        return;
    Charge();
    ListChanged_ = CheckChanged_ = false;
    UpdateSauve();
    UpdateButtons();
}

void TEcrProj::BtnOuvreClick()
{
    // A list that could not be written keeps the dialog open.
    if (BtnSauve->isEnabled() && (SauveListe(), BtnSauve->isEnabled()))
        return;
    done(mrOk);
}

void TEcrProj::BtnNouvEditClick()
{
    // A list that could not be written keeps the dialog open.
    if (BtnSauve->isEnabled() && (SauveListe(), BtnSauve->isEnabled()))
        return;
    const QString path = Shown(SelectedPath());
    if (!QProcess::startDetached(NewEditorProgram, {path}))
        ShowMessage(QStringLiteral("Erreur lors de l'ouverture du nouvel éditeur"));
    done(mrYes);
}

void TEcrProj::BtnNouveauClick()
{
    const QString name = AskNewProject ? AskNewProject() : QString();
    if (name.isEmpty())
        return;
    AddItem(Bytes(WithPjaExtension(name)));
    ListChanged_ = true;
    UpdateSauve();
}

void TEcrProj::BtnAjouterClick()
{
    const QString name = AskExistingProject ? AskExistingProject() : QString();
    if (name.isEmpty())
        return;
    const std::string path = Bytes(QFileInfo(name).absoluteFilePath());
    if (ContainsProjPath(Paths(), path)) {
        ShowMessage(QStringLiteral("Ce projet est déjà enregistré"));
        return;
    }
    AddItem(path);
    ListChanged_ = true;
    UpdateSauve();
}

void TEcrProj::BtnSupprimeClick()
{
    const auto items = ListeProj->selectedItems();
    if (items.isEmpty())
        return;
    delete ListeProj->takeItem(ListeProj->row(items.front()));
    ListChanged_ = true;
    UpdateSauve();
    UpdateButtons();
}

void TEcrProj::btnChercheClick()
{
    if (Searching()) {
        StopSearch();
        return;
    }
    const QString folder = AskSearchFolder ? AskSearchFolder() : QString();
    if (folder.isEmpty())
        return;
    StartSearch(folder);
}

void TEcrProj::SetSearchButton(bool searching)
{
    btnCherche->setText(searching ? QStringLiteral("&Stopper la recherche") : QStringLiteral("&Recherche les projets"));
}

bool TEcrProj::Searching() const
{
    return Search_ != nullptr;
}

void TEcrProj::StartSearch(const QString& folder)
{
    if (Searching())
        return;
    SearchAbort = false;
    SetSearchButton(true);
    CountBeforeSearch_ = ListeProj->count();
    Search_ = std::make_unique<TProjSearch>(Bytes(folder));
    Edit1->show();
    Edit1->setText(Shown(Search_->CurrentFolder()));
    SearchTimer_->start(0);
}

void TEcrProj::StopSearch()
{
    SearchAbort = true;
    if (Searching())
        EndSearch();
}

void TEcrProj::SearchStep()
{
    if (!Search_)
        return;
    const bool more = !SearchAbort && Search_->Step(EntriesPerStep);
    std::vector<std::string> paths = Paths();
    for (const std::string& found : Search_->TakeFound()) {
        if (!ContainsProjPath(paths, found)) {
            AddItem(found);
            paths.push_back(found);
        }
    }
    Edit1->setText(Shown(Search_->CurrentFolder()));
    if (!more || SearchAbort)
        EndSearch();
}

void TEcrProj::EndSearch()
{
    SearchTimer_->stop();
    Search_.reset();
    Edit1->hide();
    // Finding projects is a change of the list; changes made before the
    // search still wait to be saved.
    if (ListeProj->count() != CountBeforeSearch_)
        ListChanged_ = true;
    UpdateSauve();
    SetSearchButton(false);
}

bool TEcrProj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListeProj && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (BtnSupprime->isEnabled())
            BtnSupprimeClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TEcrProj::done(int result)
{
    if (Searching()) {
        SearchAbort = true;
        EndSearch();
    }
    QDialog::done(result);
}

} // namespace kep
