// Project session, option store and project list readers: any file reads
// without fault, and a file type read back after writing is the same.
#include "app/U_Session.h"
#include "config/U_IniFilePlus.h"
#include "config/U_Options.h"
#include "platform/FileIo.h"
#include "project/U_ProjList.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = kep::fuzz::ScratchFile("fuzz.pja");
    KEP_FUZZ_CHECK(kep::WriteFileAtomic(path, std::string(input)));
    kep::CheckProjectText(input);

    kep::TIniFilePlus ini(path);

    // As the main window reads a project.
    const kep::TSessionGlobal g = kep::ReadSessionGlobal(ini);
    KEP_FUZZ_CHECK(g.NbrEdit >= 0);
    kep::TErrDefaults err;
    kep::ReadSessionErr(ini, err);
    const std::vector<kep::TReopenItem> closed = kep::ReadClosedFiles(ini);
    KEP_FUZZ_CHECK(closed.size() <= kep::TReopenList::Max);
    const int n = std::min<int>(g.NbrEdit, int(ini.ReadSections().size()));
    kep::TInfosFich type;
    for (int i = 0; i < n; ++i) {
        kep::ReadEditView(ini, i);
        std::string error;
        kep::ReadEditSettings(ini, i, type, i % 2 == 1, &error);
    }

    // As the option store reads its file.
    kep::TOptionsKep opts;
    std::string nomProjet;
    std::vector<std::string> errors;
    kep::ChargeOptions(ini, opts, kep::TProgramPaths{"/opt/kep/"}, nomProjet, errors);
    KEP_FUZZ_CHECK(!opts.TypesFich.empty());
    kep::LoadProjList(ini);

    // File types survive a write and a read.
    const std::string out = kep::fuzz::ScratchFile("types.ini");
    std::remove(out.c_str());
    kep::TIniFilePlus store(out);
    for (std::size_t t = 0; t < opts.TypesFich.size() && t < 2; ++t) {
        const std::string section = "Type" + std::to_string(t);
        KEP_FUZZ_CHECK(store.WriteFileType(section, opts.TypesFich[t]));
        kep::TIniFilePlus back(out);
        kep::TInfosFich read;
        read.Nom = opts.TypesFich[t].Nom; // the list names the type, not its section
        try {
            back.ReadFileType(section, read);
        } catch (const kep::EConvertError&) {
            KEP_FUZZ_CHECK(!"a written file type reads back as not a number");
        }
        // A lone CR read inside a value is written as a space.
        kep::TInfosFich was = opts.TypesFich[t];
        for (std::string* text : {&was.Ext, &was.Police})
            std::replace_if(text->begin(), text->end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        if (!(read == was)) {
            std::fprintf(stderr, "type %zu: Ext %d Police %d Taille %d Styles %d Tabs %d Opts %d Backup %d\n", t,
                         read.Ext == was.Ext, read.Police == was.Police, read.Taille == was.Taille,
                         read.Styles == was.Styles, read.Tabs == was.Tabs, read.Opts == was.Opts,
                         read.Backup == was.Backup);
            for (int st = 0; st < kep::StyleCount; ++st)
                if (!(read.Styles[st] == was.Styles[st]))
                    std::fprintf(stderr, "style %d: was %s, read %s\n", st, kep::StyleValueText(was.Styles[st]).c_str(),
                                 kep::StyleValueText(read.Styles[st]).c_str());
        }
        KEP_FUZZ_CHECK(read == was);
    }
    return 0;
}
