#include "serial/U_CommsReglages.h"

#include "platform/AsciiText.h"
#include "platform/IniFile.h"

#include <charconv>

namespace kep {

const std::vector<std::string> kPortsComms = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const std::vector<std::string> kVitessesComms = {"110",   "300",   "600",   "1200",  "2400",   "4800",    "9600", "14400",
                                                 "19200", "38400", "56000", "57600", "115200", "128000", "256000 ", ""};
const std::vector<std::string> kParitesComms = {"Aucune", "Impaire", "Paire", "Mark (1)", "Space (0)"};
const std::vector<std::string> kDataBitsComms = {"5", "6", "7", "8"};
const std::vector<std::string> kStopBitsComms = {"1", "1,5", "2"};

namespace {

std::string_view Blancs(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool Meme(std::string_view a, std::string_view b)
{
    return LowerAscii(a) == LowerAscii(b);
}

// Items at every comma, blanks around them dropped. The stop-bit text
// "1,5" holds a comma of its own, so the line items are split apart by
// SplitCom instead.
std::vector<std::string> Items(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = text.find(',', at);
        items.emplace_back(Blancs(text.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at)));
        if (comma == std::string_view::npos)
            return items;
        at = comma + 1;
    }
}

const char* const kRts[] = {"RtsInactif", "RtsActif", "RtsHandS", "RtsToggle"};
const char* const kDtr[] = {"DtrInactif", "DtrActif", "DtrHandS"};

void Joint(std::string& out, bool on, const char* name)
{
    if (!on)
        return;
    if (!out.empty())
        out += ',';
    out += name;
}

int Nombre(const std::string& text, int def)
{
    const std::string_view t = Blancs(text);
    int v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size())
        return def;
    return v;
}

} // namespace

int IndexListe(const std::vector<std::string>& list, std::string_view text)
{
    text = Blancs(text);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (Meme(Blancs(list[i]), text))
            return int(i);
    return -1;
}

bool TCommsReglages::Coche(std::string_view name)
{
    name = Blancs(name);
    for (int i = 0; i < 4; ++i)
        if (Meme(name, kRts[i]) || (i == RtsTogg && Meme(name, "RtsTogg"))) {
            Rts = TChoixRts(i);
            return true;
        }
    for (int i = 0; i < 3; ++i)
        if (Meme(name, kDtr[i])) {
            Dtr = TChoixDtr(i);
            return true;
        }
    struct {
        const char* Nom;
        bool* Case;
    } const boxes[] = {{"RxOnOff", &RxOnOff}, {"CtsActif", &CtsActif}, {"DsrActif", &DsrActif}, {"TxOnOff", &TxOnOff},
                       {"ByCR", &ByCR},       {"ByLF", &ByLF},         {"ByTO", &ByTO},         {"ByCol", &ByCol},
                       {"cbDateCR", &DateCR}};
    for (const auto& b : boxes)
        if (Meme(name, b.Nom)) {
            *b.Case = true;
            return true;
        }
    if (Meme(name, "rbHeure") || Meme(name, "rbTick")) {
        Heure = Meme(name, "rbHeure");
        return true;
    }
    return false;
}

std::string TCommsReglages::ComTexte() const
{
    auto texte = [](const std::vector<std::string>& list, int i) {
        return i >= 0 && std::size_t(i) < list.size() ? list[std::size_t(i)] : std::string();
    };
    return texte(kPortsComms, Port) + ',' + texte(kVitessesComms, Vitesse) + ',' + texte(kParitesComms, Parite) + ',' +
           texte(kDataBitsComms, DataBits) + ',' + texte(kStopBitsComms, StopBits);
}

std::string TCommsReglages::RxCtrlTexte() const
{
    std::string s = kRts[Rts];
    Joint(s, true, kDtr[Dtr]);
    Joint(s, RxOnOff, "RxOnOff");
    return s;
}

std::string TCommsReglages::TxCtrlTexte() const
{
    std::string s;
    Joint(s, CtsActif, "CtsActif");
    Joint(s, DsrActif, "DsrActif");
    Joint(s, TxOnOff, "TxOnOff");
    return s;
}

std::string TCommsReglages::NewLineTexte() const
{
    std::string s;
    Joint(s, ByCR, "ByCr");
    Joint(s, ByLF, "ByLf");
    Joint(s, ByCol, "ByCol");
    Joint(s, ByTO, "ByTO");
    return s;
}

std::string TCommsReglages::DatationTexte() const
{
    return std::string(DateCR ? "ByCr" : "") + ',' + (Heure ? "Heure" : "Tick");
}

int TCommsReglages::ColonneMax(std::string_view text)
{
    const int v = Nombre(std::string(text), 80);
    return v > 0 ? v : 80;
}

int TCommsReglages::DelaiMs() const
{
    const int v = Nombre(msNbr, 200);
    return v < 10 ? 10 : v > 60000 ? 60000 : v;
}

void TCommsReglages::Lit(const TIniFile& ini)
{
    // The five lists: the stop-bit text "1,5" is the only one with a comma,
    // so the items past the fourth are joined again.
    std::vector<std::string> com = Items(ini.ReadString(Section, "Com", "COM1,19200,Aucune,8,1"));
    if (com.size() > 5) {
        for (std::size_t i = 5; i < com.size(); ++i)
            com[4] += ',' + com[i];
        com.resize(5);
    }
    com.resize(5);
    Port = IndexListe(kPortsComms, com[0]);
    Vitesse = IndexListe(kVitessesComms, com[1]);
    Parite = IndexListe(kParitesComms, com[2]);
    DataBits = IndexListe(kDataBitsComms, com[3]);
    StopBits = IndexListe(kStopBitsComms, com[4]);

    for (const std::string& n : Items(ini.ReadString(Section, "RxCtrl", "RtsInactif")))
        Coche(n);
    for (const std::string& n : Items(ini.ReadString(Section, "TxCtrl", "DtrInactif")))
        Coche(n);
    // The new-line boxes stored are exactly those checked: "par CR" is
    // checked by design, so a list without it unchecks it. An empty list
    // keeps the design state.
    const std::vector<std::string> lignes = Items(ini.ReadString(Section, "NewLine", "ByCR"));
    bool nomme = false;
    for (const std::string& n : lignes)
        for (const char* box : {"ByCR", "ByLF", "ByTO", "ByCol"})
            nomme = nomme || Meme(Blancs(n), box);
    if (nomme)
        ByCR = ByLF = ByTO = ByCol = false;
    for (const std::string& n : lignes)
        Coche(n);

    const int hex = ini.ReadInteger(Section, "AffHex", AffHex);
    AffHex = hex == 1 ? 1 : 0;
    const int echo = ini.ReadInteger(Section, "DistEcho", DistEcho);
    DistEcho = echo == 1 ? 1 : 0;
    ColNbr = ini.ReadString(Section, "ColNbr", ColNbr);
    msNbr = ini.ReadString(Section, "msNbr", msNbr);

    // Without a stored value the design state stays (time of day).
    const std::string dat = ini.ReadString(Section, "Datation", "");
    if (!Blancs(dat).empty()) {
        const std::vector<std::string> d = Items(dat);
        DateCR = Meme(d[0], "ByCr");
        Heure = d.size() > 1 && Meme(d[1], "Heure");
    }
}

bool TCommsReglages::Ecrit(TIniFile& ini) const
{
    ini.BeginUpdate();
    ini.WriteString(Section, "Com", ComTexte());
    ini.WriteString(Section, "RxCtrl", RxCtrlTexte());
    ini.WriteString(Section, "TxCtrl", TxCtrlTexte());
    ini.WriteInteger(Section, "AffHex", AffHex);
    ini.WriteInteger(Section, "DistEcho", DistEcho);
    ini.WriteString(Section, "NewLine", NewLineTexte());
    ini.WriteString(Section, "ColNbr", ColNbr);
    ini.WriteString(Section, "msNbr", msNbr);
    ini.WriteString(Section, "Datation", DatationTexte());
    return ini.EndUpdate();
}

} // namespace kep
