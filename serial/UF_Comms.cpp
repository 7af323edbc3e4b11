#include "serial/UF_Comms.h"

#include "controls/Nommage.h"
#include "platform/QtText.h"
#include "serial/BlocBtn.h"
#include "serial/ComPort.h"
#include "serial/LED.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace kep {

namespace {

QToolButton* Bouton(QWidget* parent, const char* name, const QString& caption, bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setCheckable(checkable);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QComboBox* Liste(QComboBox* box, QWidget* parent, const char* name, const std::vector<std::string>& items)
{
    box->setParent(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const std::string& s : items)
        box->addItem(AnsiToQString(s));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

// ---- The port list and the pane ---------------------------------------------------

void TListePorts::showPopup()
{
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

TSuivi::TSuivi(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Text, Qt::yellow);
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(24, 24, 24));
    setPalette(p);
    QFont f(QStringLiteral("Courier New"), 10);
    f.setStyleHint(QFont::Monospace);
    setFont(f);
    // A terminal keeps a blinking caret even though the text is not edited.
    setCursorWidth(2);
}

int TSuivi::OctetTouche(const QKeyEvent& e)
{
    const int key = e.key();
    const bool ctrl = e.modifiers() & Qt::ControlModifier;
    if (ctrl && !(e.modifiers() & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        switch (key) {
        case Qt::Key_At:
        case Qt::Key_Space: return 0x00;
        case Qt::Key_BracketLeft: return 0x1B;
        case Qt::Key_Backslash: return 0x1C;
        case Qt::Key_BracketRight: return 0x1D;
        case Qt::Key_AsciiCircum: return 0x1E;
        case Qt::Key_Underscore: return 0x1F;
        default: break;
        }
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Escape: return 0x1B;
    default: break;
    }
    if (ctrl)
        return -1;
    const QString t = e.text();
    if (t.size() != 1 || t[0].unicode() < 0x20 || t[0].unicode() == 0x7F)
        return -1;
    const std::string ansi = QStringToAnsi(t);
    // A character the code page lacks would go out as '?'.
    if (ansi.size() != 1 || (ansi[0] == '?' && t[0] != QLatin1Char('?')))
        return -1;
    return static_cast<unsigned char>(ansi[0]);
}

bool TSuivi::event(QEvent* e)
{
    // Ctrl keys belong to the board: no shortcut of the pane may take them.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (OctetTouche(*k) >= 0) {
            e->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void TSuivi::keyPressEvent(QKeyEvent* e)
{
    const int b = OctetTouche(*e);
    if (b < 0) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    if (OnTouche)
        OnTouche(static_cast<unsigned char>(b));
    e->accept();
}

void TSuivi::contextMenuEvent(QContextMenuEvent* e)
{
    if (OnMenu)
        OnMenu(e->globalPos());
    e->accept();
}

// ---- The window -------------------------------------------------------------------

TEcrComms::TEcrComms(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("EcrComms"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("KEP - Communication série asynchrone"));
    Com = new TComPort(this);
    Com->setObjectName(QStringLiteral("Com"));
    Com->SetEvents(EventBit(evRxChar) | EventBit(evRing) | EventBit(evBreak) | EventBit(evCTS) | EventBit(evDSR) |
                   EventBit(evRLSD));
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    CreeControles();
    Relie();
    RelieFichiers();
    resize(760, 480);
    EtatConnexion();
}

TEcrComms::~TEcrComms()
{
    // The port's handlers point into this window: none may run from here on.
    Com->OnRxChar = nullptr;
    Com->OnClose = nullptr;
    Com->OnFault = nullptr;
    ArreteJournal();
}

void TEcrComms::CreeControles()
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(2, 2, 2, 2);
    main->setSpacing(2);

    // The line.
    PanelCom = Nomme(new QFrame(this), "PanelCom");
    PanelCom->setFrameShape(QFrame::StyledPanel);
    auto* com = new QHBoxLayout(PanelCom);
    com->setContentsMargins(4, 2, 4, 2);
    btnOnLine = Bouton(PanelCom, "btnOnLine", QStringLiteral("Connecté"), true);
    btnCars = Bouton(PanelCom, "btnCars", QStringLiteral("Cars"), true);
    btnCtrl = Bouton(PanelCom, "btnCtrl", QStringLiteral("Ctrl "), true);
    btnCtrl->setChecked(true);
    lstPorts = static_cast<TListePorts*>(Liste(new TListePorts, PanelCom, "lstPorts", kPortsComms));
    lstVitesses = Liste(new QComboBox, PanelCom, "lstVitesses", kVitessesComms);
    lstParites = Liste(new QComboBox, PanelCom, "lstParites", kParitesComms);
    lstDataBits = Liste(new QComboBox, PanelCom, "lstDataBits", kDataBitsComms);
    lstStopBits = Liste(new QComboBox, PanelCom, "lstStopBits", kStopBitsComms);
    for (QWidget* w : std::initializer_list<QWidget*>{btnOnLine, btnCars, btnCtrl, lstPorts, lstVitesses, lstParites,
                                                      lstDataBits, lstStopBits})
        com->addWidget(w);
    com->addStretch(1);
    main->addWidget(PanelCom);

    // The handshake lines and the modem lines.
    tbSignaux = Nomme(new QFrame(this), "tbSignaux");
    auto* sig = new QHBoxLayout(tbSignaux);
    sig->setContentsMargins(4, 0, 4, 0);
    btnRTS = Bouton(tbSignaux, "btnRTS", QStringLiteral("RTS"), true);
    btnDTR = Bouton(tbSignaux, "btnDTR", QStringLiteral("DTR"), true);
    ledDSR = Nomme(new TLEDLabel(QStringLiteral("DSR"), tbSignaux), "ledDSR");
    ledCTS = Nomme(new TLEDLabel(QStringLiteral("CTS"), tbSignaux), "ledCTS");
    ledDCD = Nomme(new TLEDLabel(QStringLiteral("DCD"), tbSignaux), "ledDCD");
    ledRI = Nomme(new TLEDLabel(QStringLiteral("RI"), tbSignaux), "ledRI");
    ledDSR->SetColor(lcGreen);
    ledCTS->SetColor(lcGreen);
    ledDCD->SetColor(lcYellow);
    ledRI->SetColor(lcRed);
    for (QWidget* w : std::initializer_list<QWidget*>{btnRTS, btnDTR, ledDSR, ledCTS, ledDCD, ledRI})
        sig->addWidget(w);
    sig->addStretch(1);
    main->addWidget(tbSignaux);

    auto* corps = new QHBoxLayout;
    corps->setSpacing(2);
    main->addLayout(corps, 1);

    // The settings.
    PanelCtrl = Nomme(new QFrame(this), "PanelCtrl");
    PanelCtrl->setFrameShape(QFrame::StyledPanel);
    PanelCtrl->setToolTip(QStringLiteral("Double-clic : masque ce panneau"));
    auto* ctrl = new QVBoxLayout(PanelCtrl);
    ctrl->setContentsMargins(4, 4, 4, 4);
    ctrl->setSpacing(2);
    auto groupe = [&](const char* name, const QString& title, QBoxLayout* dans) {
        auto* g = Nomme(new QGroupBox(title, PanelCtrl), name);
        dans->addWidget(g);
        auto* l = new QVBoxLayout(g);
        l->setContentsMargins(4, 2, 4, 2);
        l->setSpacing(0);
        return g;
    };
    auto radio = [](QWidget* w, const char* name, const QString& text) {
        auto* r = Nomme(new QRadioButton(text, w), name);
        w->layout()->addWidget(r);
        return r;
    };
    auto coche = [](QGroupBox* g, const char* name, const QString& text) {
        auto* c = Nomme(new QCheckBox(text, g), name);
        g->layout()->addWidget(c);
        return c;
    };
    auto* modes = new QHBoxLayout;
    ctrl->addLayout(modes);
    grpModeAff = groupe("grpModeAff", QStringLiteral("Affichage"), modes);
    optAscii = radio(grpModeAff, "optAscii", QStringLiteral("Ascii"));
    optHexa = radio(grpModeAff, "optHexa", QStringLiteral("Hexa"));
    optAscii->setChecked(true);
    grpModeEcho = groupe("grpModeEcho", QStringLiteral("Echo"), modes);
    optLocal = radio(grpModeEcho, "optLocal", QStringLiteral("Local"));
    optDistant = radio(grpModeEcho, "optDistant", QStringLiteral("Distant"));
    optLocal->setChecked(true);

    QGroupBox* ligne = groupe("grpNouvelleLigne", QStringLiteral("Nouvelle ligne"), ctrl);
    ByCR = coche(ligne, "ByCR", QStringLiteral("par CR"));
    ByCR->setChecked(true);
    ByLF = coche(ligne, "ByLF", QStringLiteral("par LF"));
    auto* to = new QHBoxLayout;
    ByTO = Nomme(new QCheckBox(QStringLiteral("après"), ligne), "ByTO");
    edTimeOut = Nomme(new QSpinBox(ligne), "edTimeOut");
    edTimeOut->setRange(10, 60000);
    edTimeOut->setValue(200);
    to->addWidget(ByTO);
    to->addWidget(edTimeOut);
    to->addWidget(new QLabel(QStringLiteral("ms"), ligne));
    to->addStretch(1);
    static_cast<QVBoxLayout*>(ligne->layout())->addLayout(to);
    auto* col = new QHBoxLayout;
    ByCol = Nomme(new QCheckBox(QStringLiteral("à la colonne"), ligne), "ByCol");
    edColMax = Nomme(new QLineEdit(QStringLiteral("80"), ligne), "edColMax");
    edColMax->setMaximumWidth(50);
    col->addWidget(ByCol);
    col->addWidget(edColMax);
    col->addStretch(1);
    static_cast<QVBoxLayout*>(ligne->layout())->addLayout(col);

    QGroupBox* rx = groupe("grpRx", QStringLiteral("Contrôle réception"), ctrl);
    RxOnOff = coche(rx, "RxOnOff", QStringLiteral("Xon/Xoff"));
    auto* lignes = new QHBoxLayout;
    static_cast<QVBoxLayout*>(rx->layout())->addLayout(lignes);
    auto* rts = Nomme(new QWidget(rx), "grpRts");
    auto* dtr = Nomme(new QWidget(rx), "grpDtr");
    auto* rtsL = new QVBoxLayout(rts);
    auto* dtrL = new QVBoxLayout(dtr);
    rtsL->setContentsMargins(0, 0, 0, 0);
    dtrL->setContentsMargins(0, 0, 0, 0);
    rtsL->setSpacing(0);
    dtrL->setSpacing(0);
    rtsL->addWidget(new QLabel(QStringLiteral("RTS"), rts));
    dtrL->addWidget(new QLabel(QStringLiteral("DTR"), dtr));
    RtsInactif = radio(rts, "RtsInactif", QStringLiteral("Inactif"));
    RtsActif = radio(rts, "RtsActif", QStringLiteral("Actif"));
    RtsHandS = radio(rts, "RtsHandS", QStringLiteral("Handsh."));
    RtsTogg = radio(rts, "RtsTogg", QStringLiteral("Toggle"));
    RtsTogg->hide();
    DtrInactif = radio(dtr, "DtrInactif", QStringLiteral("Inactif"));
    DtrActif = radio(dtr, "DtrActif", QStringLiteral("Actif"));
    DtrHandS = radio(dtr, "DtrHandS", QStringLiteral("Handsh."));
    RtsInactif->setChecked(true);
    DtrInactif->setChecked(true);
    lignes->addWidget(rts);
    lignes->addWidget(dtr);

    QGroupBox* tx = groupe("grpTx", QStringLiteral("Contrôle émission"), ctrl);
    CtsActif = coche(tx, "CtsActif", QStringLiteral("CTS"));
    DsrActif = coche(tx, "DsrActif", QStringLiteral("DSR"));
    TxOnOff = coche(tx, "TxOnOff", QStringLiteral("Xon/Xoff"));

    QGroupBox* dat = groupe("grpDatation", QStringLiteral("Datation"), ctrl);
    cbDateCR = coche(dat, "cbDateCR", QStringLiteral("à CR"));
    auto* quand = new QHBoxLayout;
    rbTick = Nomme(new QRadioButton(QStringLiteral("Tick"), dat), "rbTick");
    rbHeure = Nomme(new QRadioButton(QStringLiteral("Heure"), dat), "rbHeure");
    rbHeure->setChecked(true);
    quand->addWidget(rbTick);
    quand->addWidget(rbHeure);
    quand->addStretch(1);
    static_cast<QVBoxLayout*>(dat->layout())->addLayout(quand);
    ctrl->addStretch(1);
    corps->addWidget(PanelCtrl);

    // The control characters.
    PanelCars = Nomme(new QFrame(this), "PanelCars");
    PanelCars->setFrameShape(QFrame::StyledPanel);
    PanelCars->setToolTip(QStringLiteral("Double-clic : masque ce panneau"));
    auto* cars = new QHBoxLayout(PanelCars);
    cars->setContentsMargins(2, 2, 2, 2);
    cars->setSpacing(2);
    BlocCars0 = Nomme(new TBlocBtn(PanelCars), "BlocCars0");
    BlocCars1 = Nomme(new TBlocBtn(PanelCars), "BlocCars1");
    for (TBlocBtn* b : {BlocCars0, BlocCars1}) {
        b->SetBlocDirection(bdVertical);
        b->SetBtnNumber(16);
        b->SetBtnDownMode(dmNone);
        cars->addWidget(b, 0, Qt::AlignTop);
    }
    BlocCars0->SetFirstChar(0x00);
    BlocCars1->SetFirstChar(0x10);
    PanelCars->hide();
    corps->addWidget(PanelCars);

    // The text.
    PanelDonnees = Nomme(new QFrame(this), "PanelDonnees");
    auto* donnees = new QVBoxLayout(PanelDonnees);
    donnees->setContentsMargins(0, 0, 0, 0);
    donnees->setSpacing(2);
    Suivi = Nomme(new TSuivi(PanelDonnees), "Suivi");
    donnees->addWidget(Suivi, 1);
    auto* bas = new QHBoxLayout;
    btnEffacer = Nomme(new QPushButton(QStringLiteral("Effacer"), PanelDonnees), "btnEffacer");
    btnCopier = Nomme(new QPushButton(QStringLiteral("Copier"), PanelDonnees), "btnCopier");
    BarreEnvoi = Nomme(new QProgressBar(PanelDonnees), "BarreEnvoi");
    BarreEnvoi->setFormat(QStringLiteral("Envoi : %p %"));
    btnAnnulerEnvoi = Nomme(new QPushButton(QStringLiteral("Annuler"), PanelDonnees), "btnAnnulerEnvoi");
    BarreEnvoi->hide();
    btnAnnulerEnvoi->hide();
    bas->addWidget(btnEffacer);
    bas->addWidget(btnCopier);
    bas->addWidget(BarreEnvoi, 1);
    bas->addWidget(btnAnnulerEnvoi);
    bas->addStretch(0);
    donnees->addLayout(bas);
    corps->addWidget(PanelDonnees, 1);

    MenuSuivi = new QMenu(this);
    MenuSuivi->setObjectName(QStringLiteral("MenuSuivi"));
    QAction* copier = MenuSuivi->addAction(QStringLiteral("&Copier la sélection"));
    copier->setObjectName(QStringLiteral("PM_Copier"));
    connect(copier, &QAction::triggered, Suivi, &QPlainTextEdit::copy);
    QAction* effacer = MenuSuivi->addAction(QStringLiteral("&Effacer"));
    effacer->setObjectName(QStringLiteral("PM_Effacer"));
    connect(effacer, &QAction::triggered, this, &TEcrComms::Efface);
    MenuSuivi->addSeparator();
    PM_Journal = MenuSuivi->addAction(QStringLiteral("Enregistrer la &réception..."));
    PM_Journal->setObjectName(QStringLiteral("PM_Journal"));
    PM_EnvoiFichier = MenuSuivi->addAction(QStringLiteral("Envoyer un &fichier..."));
    PM_EnvoiFichier->setObjectName(QStringLiteral("PM_EnvoiFichier"));

    PanelCtrl->installEventFilter(this);
    PanelCars->installEventFilter(this);
}

} // namespace kep
