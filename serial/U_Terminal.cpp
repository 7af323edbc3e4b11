#include "serial/U_Terminal.h"

#include <chrono>
#include <ctime>

namespace kep {

std::string TTerminal::Hex(unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string{'<', digits[byte >> 4], digits[byte & 15], '>'};
}

void TTerminal::Ajoute(TMorceaux& out, TCouleurSuivi c, std::string_view texte)
{
    if (texte.empty())
        return;
    if (!out.empty() && out.back().Couleur == c && !out.back().Saut)
        out.back().Texte.append(texte);
    else
        out.push_back(TMorceau{c, std::string(texte), false});
    LigneVide_ = false;
}

void TTerminal::Saut(TMorceaux& out)
{
    if (out.empty() || out.back().Saut)
        out.push_back(TMorceau{csRecu, {}, true});
    else
        out.back().Saut = true;
    Colonne_ = 0;
    LigneVide_ = true;
}

void TTerminal::Recoit(std::string_view bytes, TMorceaux& out)
{
    const TReglagesSuivi& r = Reglages;
    // Printable bytes go out in runs rather than one by one.
    std::size_t run = 0;
    auto jusqua = [&](std::size_t end) {
        if (end > run)
            Ajoute(out, csRecu, bytes.substr(run, end - run));
        run = end;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (r.Hexa || b < 0x20) {
            jusqua(i);
            Ajoute(out, csRecu, Hex(b));
            run = i + 1;
        }
        ++Colonne_;
        const bool stamp = r.DateCR && b == 0x0D;
        const bool saut = (r.ByCR && b == 0x0D) || (r.ByLF && b == 0x0A) || (r.ByCol && Colonne_ >= r.ColMax);
        if (!stamp && !saut)
            continue;
        jusqua(i + 1);
        if (stamp) {
            const std::string t = r.Heure ? (HeureTexte ? HeureTexte() : HeureSysteme())
                                          : std::to_string(Tick ? Tick() : TickSysteme());
            Ajoute(out, csEtat, "<" + t + ">");
        }
        if (saut)
            Saut(out);
    }
    jusqua(bytes.size());
}

void TTerminal::Emet(unsigned char key, TMorceaux& out)
{
    if (Reglages.Hexa || key < 0x20) {
        Ajoute(out, csEmis, Hex(key));
        if ((Reglages.ByCR && key == 0x0D) || (Reglages.ByLF && key == 0x0A))
            Saut(out);
        return;
    }
    Ajoute(out, csEmis, std::string_view(reinterpret_cast<const char*>(&key), 1));
}

void TTerminal::FinRafale(TMorceaux& out)
{
    if (!LigneVide_)
        Saut(out);
}

void TTerminal::Etat(std::string_view texte, TMorceaux& out)
{
    if (!LigneVide_)
        Saut(out);
    Ajoute(out, csEtat, texte);
    Saut(out);
}

void TTerminal::Efface()
{
    Colonne_ = 0;
    LigneVide_ = true;
}

std::uint64_t TickSysteme()
{
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string HeureSysteme()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &local);
    return buf;
}

} // namespace kep
