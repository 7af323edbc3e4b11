// Project files opened by KEP and KEP's launcher on the desktop, written the
// way the desktops read them, in a home of the test's own.
#include "platform/DesktopIntegration.h"
#include "platform/MimeApps.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace kep;

namespace {

bool OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const auto end = std::min(dirs.find(':', start), dirs.size());
        const std::string file = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(file.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Output and error output of a shell command.
std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

// Sets an environment variable for the length of a test.
class TEnvVar {
public:
    TEnvVar(const char* name, const char* value) : Name_(name)
    {
        if (const char* old = std::getenv(name))
            Old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~TEnvVar()
    {
        if (Old_)
            setenv(Name_, Old_->c_str(), 1);
        else
            unsetenv(Name_);
    }
    TEnvVar(const TEnvVar&) = delete;
    TEnvVar& operator=(const TEnvVar&) = delete;

private:
    const char* Name_;
    std::optional<std::string> Old_;
};

unsigned Mode(const std::string& path)
{
    struct stat st{};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// A home with KEP's executable in it.
struct THome {
    TTestDir Dir;
    std::string Exe;
    TXdgDirs Xdg;
    // The desktop's helpers the changes asked for, run by RunHelpers.
    TAssistants Helpers;

    explicit THome(const std::string& exeName = "opt/kep/kep")
    {
        Exe = Dir.Write(exeName, "#!/bin/sh\n");
        chmod(Exe.c_str(), 0755);
        Xdg = TXdgDirs::UnderHome(Dir.Dir());
    }
    std::string Package() const { return Xdg.DataHome + "/mime/packages/kep-projet.xml"; }
    std::string Entry() const { return Xdg.DataHome + "/applications/kep.desktop"; }
    std::string Mimeapps() const { return Xdg.ConfigHome + "/mimeapps.list"; }
    std::string Icon() const { return Xdg.DataHome + "/icons/hicolor/scalable/apps/kep.svg"; }
    std::string Read(const std::string& path) const
    {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    void RunHelpers()
    {
        for (const auto& h : Helpers) {
            std::string command = "env";
            for (const auto* words : {&h.Env, &h.Args})
                for (const auto& w : *words)
                    command += " '" + w + "'";
            Output(command);
        }
        Helpers.clear();
    }
};

std::string ValidationErrors(const std::string& file)
{
    std::string errors;
    const std::string out = Output("desktop-file-validate '" + file + "'");
    std::size_t start = 0;
    while (start < out.size()) {
        const auto end = std::min(out.find('\n', start), out.size());
        const std::string line = out.substr(start, end - start);
        if (line.find("error:") != std::string::npos)
            errors += line + "\n";
        start = end + 1;
    }
    return errors;
}

} // namespace

// ---------------------------------------------------------------------------

TEST(DesktopExec, KnownEncodings)
{
    EXPECT_EQ(ExecValue({"/usr/bin/kep", "%f"}), "/usr/bin/kep %f");
    EXPECT_EQ(ExecValue({"/a b/kep"}), "\"/a b/kep\"");
    EXPECT_EQ(ExecValue({"/x/100%"}), "/x/100%%");
    EXPECT_EQ(ExecValue({"/a b/100%", "%U"}), "\"/a b/100%%\" %U");
    // Escaped for Exec inside the quotes, then once more as a string value.
    EXPECT_EQ(ExecValue({"/a\\b"}), R"("/a\\\\b")");
    EXPECT_EQ(ExecValue({"a\"b"}), R"("a\\"b")");
    EXPECT_EQ(ExecValue({"$HOME"}), R"("\\$HOME")");
    EXPECT_EQ(ExecValue({"a`b"}), R"("a\\`b")");
    EXPECT_EQ(ExecValue({"it's"}), R"("it's")");
    EXPECT_EQ(ExecValue({"a;b", "~", "x>y"}), R"("a;b" "~" "x>y")");
    EXPECT_EQ(ExecValue({""}), "\"\"");
    EXPECT_EQ(ExecValue({"tab\there", "l1\nl2"}), R"("tab\there" "l1\nl2")");
    EXPECT_EQ(ExecValue({"/home/u/Projets \xC3\xA9/kep"}), "\"/home/u/Projets \xC3\xA9/kep\"");
    EXPECT_EQ(ExecValue({"/home/u/\xC3\xA9t\xC3\xA9/kep"}), "/home/u/\xC3\xA9t\xC3\xA9/kep");
    EXPECT_EQ(ExecValue({}), "");
}

TEST(DesktopExec, ArgumentsSurviveTheRoundTrip)
{
    const std::vector<std::vector<std::string>> cases = {
        {"/usr/bin/kep"},
        {"/opt/Mes programmes/kep", "%f"},
        {"/home/u/Projets \xC3\xA9/kep"},
        {"/tmp/a\"b'c/kep"},
        {"/tmp/$HOME/`id`/kep"},
        {"/tmp/back\\slash\\/kep", "\\"},
        {"/tmp/100%/kep", "%%", "50%f", "%"},
        {"/tmp/tab\tnew\nline\rcr/kep"},
        {" leading space", "trailing space "},
        {"a", "", "b"},
        {"<>~|&;*?#()"},
        {"=", "--opt=value"},
        {"%F", "%u"},
    };
    for (const auto& args : cases) {
        const std::string value = ExecValue(args);
        EXPECT_EQ(ExecArgs(value), args) << value;
        EXPECT_EQ(value.find('\n'), std::string::npos) << value;
        EXPECT_NE(value.front(), ' ') << value;
    }
}

TEST(DesktopExec, ReadsValuesWrittenByOthers)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(ExecArgs("gedit %U"), (V{"gedit", "%U"}));
    EXPECT_EQ(ExecArgs("  a \t b  "), (V{"a", "b"}));
    EXPECT_EQ(ExecArgs("\"/a b/c\" --x"), (V{"/a b/c", "--x"}));
    EXPECT_EQ(ExecArgs("sh -c 'echo hi %%'"), (V{"sh", "-c", "echo hi %"}));
    EXPECT_EQ(ExecArgs("env A=1 /usr/bin/x --name=%c"), (V{"env", "A=1", "/usr/bin/x", "--name=%c"}));
    // "\s" is a space to the string value, so it parts arguments.
    EXPECT_EQ(ExecArgs("a\\sb \"c\\sd\""), (V{"a", "b", "c d"}));
    // A quote escaped once only, as people write by hand.
    EXPECT_EQ(ExecArgs(R"(x "a\"b")"), (V{"x", "a\"b"}));
    EXPECT_EQ(ExecArgs("progress 100%%"), (V{"progress", "100%"}));
    EXPECT_EQ(ExecArgs(""), V{});
    // Malformed: quotes left open.
    EXPECT_EQ(ExecArgs("\"/a b/c"), V{});
    EXPECT_EQ(ExecArgs("sh -c 'x"), V{});
}

// ---------------------------------------------------------------------------

TEST(DesktopXdgDirs, UnderHomeWithAndWithoutUserDirs)
{
    TTestDir dir;
    TXdgDirs plain = TXdgDirs::UnderHome(dir.Dir() + "/");
    EXPECT_EQ(plain.Home, dir.Dir());
    EXPECT_EQ(plain.ConfigHome, dir.Dir() + "/.config");
    EXPECT_EQ(plain.DataHome, dir.Dir() + "/.local/share");
    EXPECT_TRUE(plain.ConfigDirs.empty());
    EXPECT_TRUE(plain.DataDirs.empty());
    EXPECT_TRUE(plain.CurrentDesktops.empty());
    EXPECT_EQ(plain.Desktop, dir.Dir() + "/Desktop");
    EXPECT_EQ(plain.Documents, dir.Dir() + "/Documents");

    dir.Write(".config/user-dirs.dirs", "# This file is written by xdg-user-dirs-update\n"
                                        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                        "XDG_DOWNLOAD_DIR=\"$HOME/T\xC3\xA9l\xC3\xA9\x63hargements\"\n"
                                        "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                        "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
    TXdgDirs fr = TXdgDirs::UnderHome(dir.Dir());
    EXPECT_EQ(fr.Desktop, dir.Dir() + "/Bureau");
    EXPECT_EQ(fr.Documents, "/srv/docs");

    dir.Write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"Mon \\\"bureau\\\"\"\nXDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    TXdgDirs rel = TXdgDirs::UnderHome(dir.Dir());
    EXPECT_EQ(rel.Desktop, dir.Dir() + "/Mon \"bureau\"");
    EXPECT_EQ(rel.Documents, dir.Dir());
}

TEST(DesktopXdgDirs, FromEnvironment)
{
    TTestDir dir;
    dir.Write("conf/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    {
        TEnvVar home("HOME", (dir.Dir() + "/").c_str());
        TEnvVar config("XDG_CONFIG_HOME", (dir.Dir() + "/conf").c_str());
        TEnvVar data("XDG_DATA_HOME", "relative/data"); // invalid, ignored
        TEnvVar configDirs("XDG_CONFIG_DIRS", "/etc/a:relative:/etc/b/");
        TEnvVar dataDirs("XDG_DATA_DIRS", "/d1::/d2");
        TEnvVar desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        const TXdgDirs x = TXdgDirs::FromEnvironment();
        EXPECT_EQ(x.Home, dir.Dir());
        EXPECT_EQ(x.ConfigHome, dir.Dir() + "/conf");
        EXPECT_EQ(x.DataHome, dir.Dir() + "/.local/share");
        EXPECT_EQ(x.ConfigDirs, (std::vector<std::string>{"/etc/a", "/etc/b"}));
        EXPECT_EQ(x.DataDirs, (std::vector<std::string>{"/d1", "/d2"}));
        EXPECT_EQ(x.CurrentDesktops, (std::vector<std::string>{"ubuntu", "gnome"}));
        EXPECT_EQ(x.Desktop, dir.Dir() + "/Bureau");
        EXPECT_EQ(x.Documents, dir.Dir());
    }
    {
        TEnvVar home("HOME", dir.Dir().c_str());
        TEnvVar config("XDG_CONFIG_HOME", nullptr);
        TEnvVar data("XDG_DATA_HOME", "");
        TEnvVar configDirs("XDG_CONFIG_DIRS", nullptr);
        TEnvVar dataDirs("XDG_DATA_DIRS", "");
        TEnvVar desktop("XDG_CURRENT_DESKTOP", nullptr);
        const TXdgDirs x = TXdgDirs::FromEnvironment();
        EXPECT_EQ(x.ConfigHome, dir.Dir() + "/.config");
        EXPECT_EQ(x.DataHome, dir.Dir() + "/.local/share");
        EXPECT_EQ(x.ConfigDirs, (std::vector<std::string>{"/etc/xdg"}));
        EXPECT_EQ(x.DataDirs, (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
        EXPECT_TRUE(x.CurrentDesktops.empty());
        EXPECT_EQ(x.Desktop, dir.Dir() + "/Desktop");
    }
}

// ---------------------------------------------------------------------------

TEST(DesktopAssociation, AssociateThenDissociate)
{
    THome h;
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, h.Exe));
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));

    const std::string package = h.Read(h.Package());
    EXPECT_NE(package.find("<mime-type type=\"application/x-kep-projet\">"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.pja\""), std::string::npos);
    EXPECT_NE(package.find("<comment>Projet Assembleur</comment>"), std::string::npos);
    EXPECT_NE(package.find("<comment xml:lang=\"fr\">"), std::string::npos);

    const std::string entry = h.Read(h.Entry());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=KEP\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=" + h.Exe + " %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=application/x-kep-projet;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nTerminal=false\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=kep\n"), std::string::npos);
    EXPECT_NE(entry.find("\nCategories=Development;IDE;\n"), std::string::npos);
    EXPECT_EQ(h.Read(h.Mimeapps()), "[Default Applications]\n"
                                    "application/x-kep-projet=kep.desktop\n"
                                    "\n"
                                    "[Added Associations]\n"
                                    "application/x-kep-projet=kep.desktop;\n");
    const std::string icon = h.Read(h.Icon());
    EXPECT_EQ(icon.rfind("<?xml", 0), 0u);
    EXPECT_NE(icon.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(icon.find(">KEP</text>"), std::string::npos);
    EXPECT_EQ(icon.substr(icon.size() - 7), "</svg>\n");

    h.RunHelpers();
    if (OnPath("update-mime-database")) {
        const std::string globs = h.Read(h.Xdg.DataHome + "/mime/globs2");
        EXPECT_NE(globs.find("application/x-kep-projet:*.pja"), std::string::npos) << globs;
    }
    if (OnPath("update-desktop-database")) {
        const std::string cache = h.Read(h.Xdg.DataHome + "/applications/mimeinfo.cache");
        EXPECT_NE(cache.find("application/x-kep-projet=kep.desktop;"), std::string::npos) << cache;
    }

    // Twice changes nothing.
    const std::string associated = h.Read(h.Mimeapps());
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(h.Mimeapps()), associated);

    ASSERT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, h.Exe));
    EXPECT_FALSE(FileExists(h.Package()));
    EXPECT_FALSE(FileExists(h.Entry()));
    // What the association made goes with it.
    EXPECT_FALSE(fs::exists(h.Mimeapps()));
    EXPECT_FALSE(fs::exists(h.Icon()));
    h.RunHelpers();
    if (OnPath("update-mime-database")) {
        EXPECT_EQ(h.Read(h.Xdg.DataHome + "/mime/globs2").find("pja"), std::string::npos);
    }
    if (OnPath("update-desktop-database")) {
        EXPECT_EQ(h.Read(h.Xdg.DataHome + "/applications/mimeinfo.cache").find("kep"), std::string::npos);
    }

    // What is not there is removed without complaint.
    EXPECT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    THome empty;
    EXPECT_EQ(DissocieProjets(empty.Xdg, empty.Exe, empty.Helpers), "");
    EXPECT_FALSE(fs::exists(empty.Mimeapps()));
}

TEST(DesktopAssociation, OtherLinesOfMimeappsStayByteForByte)
{
    const std::vector<std::string> originals = {
        "# R\xC3\xA9glages\n"
        "[Default Applications]\n"
        "text/plain=org.gnome.gedit.desktop\n"
        "image/png = eog.desktop;\n"
        "\n"
        "[Removed Associations]\n"
        "text/html=firefox.desktop;\n",
        // Windows ends, no final end, KEP below another default.
        "[Added Associations]\r\n"
        "application/x-kep-projet=other.desktop;\r\n"
        "[Default Applications]\r\n"
        "application/x-kep-projet=other.desktop\r\n"
        "text/x-c=code.desktop",
        // An empty group of the user's stays.
        "[Default Applications]\n\n[Added Associations]\nx/y=z.desktop;\n",
    };
    for (const auto& original : originals) {
        THome h;
        h.Dir.Write(".config/mimeapps.list", original);
        ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
        EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));
        const std::string associated = h.Read(h.Mimeapps());
        EXPECT_NE(associated, original);
        ASSERT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
        EXPECT_EQ(h.Read(h.Mimeapps()), original);
    }

    THome h;
    h.Dir.Write(".config/mimeapps.list", originals[1]);
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(h.Mimeapps()), "[Added Associations]\r\n"
                                    "application/x-kep-projet=kep.desktop;other.desktop;\r\n"
                                    "[Default Applications]\r\n"
                                    "application/x-kep-projet=kep.desktop;other.desktop\r\n"
                                    "text/x-c=code.desktop");

    THome first;
    first.Dir.Write(".config/mimeapps.list", originals[0]);
    ASSERT_EQ(AssocieProjets(first.Xdg, first.Exe, first.Helpers), "");
    EXPECT_EQ(first.Read(first.Mimeapps()), "# R\xC3\xA9glages\n"
                                            "[Default Applications]\n"
                                            "text/plain=org.gnome.gedit.desktop\n"
                                            "image/png = eog.desktop;\n"
                                            "application/x-kep-projet=kep.desktop\n"
                                            "\n"
                                            "[Removed Associations]\n"
                                            "text/html=firefox.desktop;\n"
                                            "\n"
                                            "[Added Associations]\n"
                                            "application/x-kep-projet=kep.desktop;\n");
}

TEST(DesktopAssociation, KepRefusedForTheTypeIsAcceptedAgain)
{
    THome h;
    h.Dir.Write(".config/mimeapps.list", "[Removed Associations]\n"
                                         "application/x-kep-projet=kep.desktop;x.desktop;\n"
                                         "text/plain=kep.desktop;\n");
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    const std::string text = h.Read(h.Mimeapps());
    EXPECT_NE(text.find("[Removed Associations]\napplication/x-kep-projet=x.desktop;\ntext/plain=kep.desktop;\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));
}

TEST(DesktopAssociation, OnlyThisProgramAsDefaultCounts)
{
    THome h;
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));
    // The same program through a link.
    const std::string link = h.Dir.Path("kep-link");
    ASSERT_EQ(symlink(h.Exe.c_str(), link.c_str()), 0);
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, link));
    // Another copy of KEP elsewhere.
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, h.Dir.Write("other/kep", "")));
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, "/nonexistent/kep"));

    // A default of higher precedence.
    h.Xdg.DataDirs = {h.Dir.Path("sys")};
    h.Dir.Write("sys/applications/other.desktop", "[Desktop Entry]\nType=Application\nName=O\nExec=/usr/bin/other\n");
    h.Xdg.CurrentDesktops = {"xfce"};
    h.Dir.Write(".config/xfce-mimeapps.list", "[Default Applications]\napplication/x-kep-projet=other.desktop\n");
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, h.Exe));
    // ... unless its entry is not installed or hidden.
    h.Dir.Write(".config/xfce-mimeapps.list", "[Default Applications]\napplication/x-kep-projet=gone.desktop\n");
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));
    h.Dir.Write(".local/share/applications/other.desktop", "[Desktop Entry]\nHidden=true\n");
    h.Dir.Write(".config/xfce-mimeapps.list", "[Default Applications]\napplication/x-kep-projet=other.desktop;\n");
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));

    // Another program's kep.desktop written after the association.
    THome o;
    ASSERT_EQ(AssocieProjets(o.Xdg, o.Exe, o.Helpers), "");
    o.Dir.Write(".local/share/applications/kep.desktop", "[Desktop Entry]\nType=Application\nName=K\nExec=/usr/bin/other %f\n");
    EXPECT_FALSE(ProjetsAssocies(o.Xdg, o.Exe));

    // The entry installed in a system folder counts.
    THome s;
    s.Xdg.DataDirs = {s.Dir.Path("usr/share")};
    s.Dir.Write("usr/share/applications/kep.desktop", "[Desktop Entry]\nType=Application\nName=K\nExec=" + s.Exe + " %f\n");
    s.Dir.Write(".config/mimeapps.list", "[Default Applications]\napplication/x-kep-projet=kep.desktop\n");
    EXPECT_TRUE(ProjetsAssocies(s.Xdg, s.Exe));
}

TEST(DesktopAssociation, OnlyWhatKepWroteIsReplacedOrRemoved)
{
    // A kep.desktop without KEP's mark is another's, even one that starts
    // KEP: it is neither replaced nor deleted, and KEP's takes another name.
    for (const std::string exec : {"/usr/bin/other %f", "KEP"}) {
        THome o;
        const std::string foreign = "[Desktop Entry]\nType=Application\nName=K\nExec=" +
                                    (exec == "KEP" ? o.Exe + " %f" : exec) + "\nMimeType=application/x-kep-projet;\n";
        o.Dir.Write(".local/share/applications/kep.desktop", foreign);
        const std::string ours = o.Xdg.DataHome + "/applications/kep-projets.desktop";
        ASSERT_EQ(AssocieProjets(o.Xdg, "/old/place/kep", o.Helpers), "");
        // Ours is known again by its mark, wherever the program now is.
        ASSERT_EQ(AssocieProjets(o.Xdg, o.Exe, o.Helpers), "");
        EXPECT_EQ(o.Read(o.Entry()), foreign);
        EXPECT_NE(o.Read(ours).find("\nX-KEP-Association="), std::string::npos);
        EXPECT_FALSE(FileExists(o.Xdg.DataHome + "/applications/kep-projets-2.desktop"));
        EXPECT_NE(o.Read(o.Mimeapps()).find("application/x-kep-projet=kep-projets.desktop\n"), std::string::npos);
        EXPECT_TRUE(ProjetsAssocies(o.Xdg, o.Exe));
        ASSERT_EQ(DissocieProjets(o.Xdg, o.Exe, o.Helpers), "");
        EXPECT_EQ(o.Read(o.Entry()), foreign);
        EXPECT_FALSE(FileExists(ours) || ProjetsAssocies(o.Xdg, o.Exe));
    }

    // The user's refusal of KEP's entry comes back; the icon made goes.
    const std::vector<std::string> refusals = {
        "[Removed Associations]\ntext/plain=kep.desktop;\napplication/x-kep-projet=kep.desktop;x.desktop;\n",
        "[Removed Associations]\napplication/x-kep-projet=kep.desktop;\ntext/plain=kep.desktop;\n",
    };
    for (const auto& refused : refusals) {
        THome r;
        r.Dir.Write(".config/mimeapps.list", refused);
        ASSERT_EQ(AssocieProjets(r.Xdg, r.Exe, r.Helpers), "");
        EXPECT_TRUE(ProjetsAssocies(r.Xdg, r.Exe) && FileExists(r.Icon()));
        ASSERT_EQ(DissocieProjets(r.Xdg, r.Exe, r.Helpers), "");
        const std::string text = r.Read(r.Mimeapps());
        EXPECT_TRUE(&refused != &refusals.front() || text == refused) << text;
        EXPECT_TRUE(desktop_detail::MimeappsRefuses(text, TypeMimeProjet, "kep.desktop")) << text;
        EXPECT_NE(text.find("\ntext/plain=kep.desktop;\n"), std::string::npos) << text;
        EXPECT_FALSE(FileExists(r.Icon()));
    }

    // An icon that was there before, for the launcher on the desktop, stays;
    // the mimeapps.list the association made goes.
    THome k;
    ASSERT_EQ(CreeRaccourci(k.Xdg, k.Exe, k.Helpers), "");
    ASSERT_EQ(AssocieProjets(k.Xdg, k.Exe, k.Helpers), "");
    ASSERT_EQ(DissocieProjets(k.Xdg, k.Exe, k.Helpers), "");
    EXPECT_TRUE(FileExists(k.Icon()) && !fs::exists(k.Mimeapps()));
}

TEST(DesktopAssociation, DissociatingKeepsOtherProgramsInTheLists)
{
    THome h;
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    h.Dir.Write(".config/mimeapps.list", "[Default Applications]\n"
                                         "application/x-kep-projet=kep.desktop;b.desktop\n"
                                         "text/plain=kep.desktop\n"
                                         "[Added Associations]\n"
                                         "application/x-kep-projet = a.desktop;kep.desktop;\n");
    ASSERT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(h.Mimeapps()), "[Default Applications]\n"
                                    "application/x-kep-projet=b.desktop\n"
                                    "text/plain=kep.desktop\n"
                                    "[Added Associations]\n"
                                    "application/x-kep-projet=a.desktop;\n");
}

TEST(DesktopAssociation, TwoKeysOfOneGroupGoTogether)
{
    THome h;
    const std::string original = "[Default Applications]\ntext/plain=a.desktop\n\n";
    h.Dir.Write(".config/mimeapps.list", original + "\n[Added Associations]\n"
                                                    "application/x-kep-projet=kep.desktop;\n"
                                                    "application/x-kep-projet=kep.desktop;\n");
    ASSERT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(h.Mimeapps()), original);
}

TEST(DesktopAssociation, MimeappsEditsForAnyTypeAndId)
{
    using namespace kep::desktop_detail;
    const std::string original = "[Default Applications]\r\nimage/png=eog.desktop;\r\n"
                                 "[Removed Associations]\r\nimage/png=gimp.desktop;x.desktop;\r\n";
    const std::string with = MimeappsWithDefault(original, "image/png", "gimp.desktop");
    EXPECT_EQ(with, "[Default Applications]\r\nimage/png=gimp.desktop;eog.desktop;\r\n"
                    "[Removed Associations]\r\nimage/png=x.desktop;\r\n"
                    "\r\n"
                    "[Added Associations]\r\nimage/png=gimp.desktop;\r\n");
    EXPECT_EQ(MimeappsWithDefault(with, "image/png", "gimp.desktop"), with);
    EXPECT_EQ(MimeappsWithoutApplication(with, "image/png", "gimp.desktop"),
              "[Default Applications]\r\nimage/png=eog.desktop;\r\n"
              "[Removed Associations]\r\nimage/png=x.desktop;\r\n");
    EXPECT_EQ(MimeappsWithoutApplication(original, "text/plain", "gimp.desktop"), original);
}

TEST(DesktopAssociation, AFailureLeavesNoHalfAssociation)
{
    THome h;
    // A folder where mimeapps.list should be: it can be neither read nor replaced.
    fs::create_directories(h.Mimeapps());
    const std::string err = AssocieProjets(h.Xdg, h.Exe, h.Helpers);
    EXPECT_EQ(err.rfind("Impossible de lire " + h.Mimeapps(), 0), 0u) << err;
    EXPECT_FALSE(FileExists(h.Package()));
    EXPECT_FALSE(FileExists(h.Entry()));
    EXPECT_FALSE(ProjetsAssocies(h.Xdg, h.Exe));

    // An earlier association is put back as it was.
    THome p;
    ASSERT_EQ(AssocieProjets(p.Xdg, "/old/kep", p.Helpers), "");
    const std::string entry = p.Read(p.Entry());
    ASSERT_EQ(rename(p.Mimeapps().c_str(), (p.Mimeapps() + ".saved").c_str()), 0);
    fs::create_directories(p.Mimeapps());
    EXPECT_NE(AssocieProjets(p.Xdg, p.Exe, p.Helpers), "");
    EXPECT_EQ(p.Read(p.Entry()), entry);
    EXPECT_TRUE(FileExists(p.Package()));

    // A file where the applications folder should be.
    THome f;
    f.Dir.Write(".local/share/applications", "");
    const std::string err2 = AssocieProjets(f.Xdg, f.Exe, f.Helpers);
    EXPECT_EQ(err2.rfind("Impossible de cr\xC3\xA9\x65r le dossier " + f.Xdg.DataHome + "/applications : ", 0), 0u) << err2;
    EXPECT_FALSE(FileExists(f.Package()));
    EXPECT_FALSE(fs::exists(f.Mimeapps()));

    // Dissociation stops before anything is lost.
    THome d;
    ASSERT_EQ(AssocieProjets(d.Xdg, d.Exe, d.Helpers), "");
    ASSERT_EQ(unlink(d.Mimeapps().c_str()), 0);
    fs::create_directories(d.Mimeapps());
    EXPECT_NE(DissocieProjets(d.Xdg, d.Exe, d.Helpers), "");
    EXPECT_TRUE(FileExists(d.Entry()));
    EXPECT_TRUE(FileExists(d.Package()));
}

TEST(DesktopAssociation, XdgMimeSeesKepAsTheDefault)
{
    if (!OnPath("xdg-mime"))
        GTEST_SKIP() << "xdg-mime absent";
    THome h;
    const std::string query = "env -i PATH=\"$PATH\" HOME='" + h.Dir.Dir() + "' XDG_CONFIG_HOME='" + h.Xdg.ConfigHome +
        "' XDG_DATA_HOME='" + h.Xdg.DataHome + "' XDG_DATA_DIRS='" + h.Dir.Path("sys/share") + "' XDG_CONFIG_DIRS='" +
        h.Dir.Path("sys/etc") + "' xdg-mime query default application/x-kep-projet";
    EXPECT_EQ(Output(query), "");
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(Output(query), "kep.desktop\n");
    ASSERT_EQ(DissocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(Output(query), "");
}

TEST(DesktopAssociation, EntriesPassTheValidator)
{
    if (!OnPath("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate absent";
    THome h("Mes programmes \xC3\xA9/$x \"q\"/back\\slash/100%/kep");
    // With the "Editer" action.
    h.Dir.Write(".config/mimeapps.list", "[Default Applications]\ntext/plain=myed.desktop\n");
    h.Dir.Write(".local/share/applications/myed.desktop", "[Desktop Entry]\nType=Application\nName=E\nExec=myed %U\n");
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    const std::string entry = h.Read(h.Entry());
    EXPECT_NE(entry.find("\nActions=Editer;\n\n[Desktop Action Editer]\nName=Editer\nExec=myed %f\n"), std::string::npos)
        << entry;
    EXPECT_EQ(ValidationErrors(h.Entry()), "") << entry;
    EXPECT_TRUE(ProjetsAssocies(h.Xdg, h.Exe));

    fs::create_directories(h.Dir.Path("Documents"));
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    const std::string launcher = h.Xdg.Desktop + "/kep.desktop";
    EXPECT_EQ(ValidationErrors(launcher), "") << h.Read(launcher);
}

// ---------------------------------------------------------------------------

TEST(DesktopLauncher, CreatePresentRemove)
{
    THome h;
    h.Dir.Write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/Mes documents\"\n");
    h.Xdg = TXdgDirs::UnderHome(h.Dir.Dir());
    fs::create_directories(h.Dir.Path("Mes documents"));
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
    EXPECT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), ""); // none there: nothing to do

    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    const std::string path = h.Dir.Path("Bureau/kep.desktop");
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(Mode(path), 0755u);
    EXPECT_TRUE(RaccourciPresent(h.Xdg, h.Exe));
    EXPECT_EQ(h.Read(path), "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Version=1.4\n"
                            "Name=KEP\n"
                            "Comment=Environnement de d\xC3\xA9veloppement assembleur\n"
                            "Exec=" + h.Exe + "\n"
                            "Path=" + h.Dir.Path("Mes documents") + "\n"
                            "Icon=" + h.Icon() + "\n"
                            "Terminal=false\n");
    EXPECT_TRUE(FileExists(h.Icon()));
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Dir.Write("other/kep", "")));

    // Created again: still one launcher.
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(h.Dir.Path("Bureau")), fs::directory_iterator()), 1);

    ASSERT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
    EXPECT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
}

TEST(DesktopLauncher, FindsItsLauncherUnderAnyName)
{
    THome h;
    h.Dir.Write("Desktop/readme.txt", "Exec=" + h.Exe + "\n");
    h.Dir.Write("Desktop/KEP IDE.DESKTOP", "[Desktop Entry]\nType=Application\nName=K\nExec=\"" + h.Exe + "\" --x\n");
    EXPECT_TRUE(RaccourciPresent(h.Xdg, h.Exe));
    // Rewritten where it is.
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_FALSE(fs::exists(h.Dir.Path("Desktop/kep.desktop")));
    EXPECT_NE(h.Read(h.Dir.Path("Desktop/KEP IDE.DESKTOP")).find("\nName=KEP\n"), std::string::npos);
    ASSERT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
    EXPECT_FALSE(fs::exists(h.Dir.Path("Desktop/KEP IDE.DESKTOP")));
    EXPECT_TRUE(fs::exists(h.Dir.Path("Desktop/readme.txt")));

    // A link to an installed entry is a launcher too, and the entry stays as it is.
    const std::string installed = "[Desktop Entry]\nType=Application\nName=Installed\nExec=" + h.Exe + " %f\n";
    const std::string entry = h.Dir.Write("usr/share/applications/kep.desktop", installed);
    const std::string link = h.Dir.Path("Desktop/kep.desktop");
    ASSERT_EQ(symlink(entry.c_str(), link.c_str()), 0);
    EXPECT_TRUE(RaccourciPresent(h.Xdg, h.Exe));
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(entry), installed);
    ASSERT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(h.Read(entry), installed);
}

TEST(DesktopLauncher, AnotherProgramsLauncherStays)
{
    THome h;
    const std::string foreign = "[Desktop Entry]\nType=Application\nName=Autre\nExec=/usr/bin/other\n";
    const std::string path = h.Dir.Write("Desktop/kep.desktop", foreign);
    h.Dir.Write("Desktop/kep-1.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=file:///x\n");
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(path), foreign);
    const std::string ours = h.Dir.Path("Desktop/kep-2.desktop");
    EXPECT_TRUE(FileExists(ours));
    EXPECT_TRUE(RaccourciPresent(h.Xdg, h.Exe));
    ASSERT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
    EXPECT_FALSE(fs::exists(ours));
    EXPECT_EQ(h.Read(path), foreign);
    EXPECT_TRUE(FileExists(h.Dir.Path("Desktop/kep-1.desktop")));
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
}

TEST(DesktopLauncher, NastyProgramPaths)
{
    THome h("Projets \xC3\xA9t\xC3\xA9/it's \"$HOME\" `x`/a\\b %d/kep");
    ASSERT_EQ(CreeRaccourci(h.Xdg, h.Exe, h.Helpers), "");
    const std::string text = h.Read(h.Dir.Path("Desktop/kep.desktop"));
    const auto exec = text.find("\nExec=");
    ASSERT_NE(exec, std::string::npos);
    const std::string value = text.substr(exec + 6, text.find('\n', exec + 1) - exec - 6);
    EXPECT_EQ(ExecArgs(value), std::vector<std::string>{h.Exe});
    EXPECT_NE(value.find("a\\\\\\\\b %%d"), std::string::npos) << value;
    // Without a documents folder the launcher starts in the home.
    EXPECT_NE(text.find("\nPath=" + h.Dir.Dir() + "\n"), std::string::npos) << text;
    EXPECT_TRUE(RaccourciPresent(h.Xdg, h.Exe));
    EXPECT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
}

TEST(DesktopLauncher, FailuresAreReported)
{
    THome h;
    h.Dir.Write("Desktop", "a file");
    const std::string err = CreeRaccourci(h.Xdg, h.Exe, h.Helpers);
    EXPECT_EQ(err.rfind("Impossible de cr\xC3\xA9\x65r le dossier " + h.Xdg.Desktop + " : ", 0), 0u) << err;
    EXPECT_FALSE(RaccourciPresent(h.Xdg, h.Exe));
    EXPECT_EQ(SupprimeRaccourci(h.Xdg, h.Exe), "");
}

// ---------------------------------------------------------------------------

TEST(DesktopEditor, FromTheDefaultApplicationOfText)
{
    TEnvVar path("PATH", "/nonexistent");
    THome h;
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "");
    h.Dir.Write(".config/mimeapps.list", "[Default Applications]\ntext/plain=kep.desktop;gone.desktop;myed.desktop\n");
    h.Dir.Write(".local/share/applications/kep.desktop", "[Desktop Entry]\nExec=kep %f\n");
    h.Dir.Write(".local/share/applications/myed.desktop",
                "[Desktop Entry]\nType=Application\nName=My editor\nExec=myed --new-window %U\n"
                "[Desktop Action x]\nExec=wrong\n");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "myed --new-window %f");

    const auto editorFor = [&](const std::string& exec) {
        h.Dir.Write(".local/share/applications/myed.desktop", "[Desktop Entry]\nExec=" + exec + "\n");
        return CommandeEditeurTexte(h.Xdg);
    };
    EXPECT_EQ(editorFor("myed"), "myed %f");
    EXPECT_EQ(editorFor("myed %F"), "myed %f");
    EXPECT_EQ(editorFor("myed %u"), "myed %f");
    EXPECT_EQ(editorFor("myed %f"), "myed %f");
    EXPECT_EQ(editorFor("myed %i --caption %c %k %U"), "myed --caption %f");
    EXPECT_EQ(editorFor("\"/opt/my ed/myed\" --title=100%% %U"), "\"/opt/my ed/myed\" --title=100%% %f");
    EXPECT_EQ(editorFor("myed %i"), "myed %f");
    // An entry without a command is no editor.
    EXPECT_EQ(editorFor("\"open"), "");

    // A desktop id in a subfolder, found in a system folder.
    THome s;
    s.Xdg.DataDirs = {s.Dir.Path("usr/share")};
    s.Dir.Write("usr/share/applications/mimeapps.list", "[Default Applications]\ntext/plain=kde4-kate.desktop\n");
    s.Dir.Write("usr/share/applications/kde4/kate.desktop", "[Desktop Entry]\nExec=kate -b %U\n");
    EXPECT_EQ(CommandeEditeurTexte(s.Xdg), "kate -b %f");
}

TEST(DesktopEditor, FromTheProgramsInstalled)
{
    THome h;
    const std::string bin = h.Dir.Path("bin");
    TEnvVar path("PATH", (bin + ":" + h.Dir.Path("nothing")).c_str());
    const auto install = [&](const std::string& name) {
        const std::string p = h.Dir.Write("bin/" + name, "#!/bin/sh\n");
        chmod(p.c_str(), 0755);
    };
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "");
    install("editor");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "");
    install("x-terminal-emulator");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "x-terminal-emulator -e editor %f");
    h.Dir.Write("bin/geany", "not executable");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "x-terminal-emulator -e editor %f");
    install("leafpad");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "leafpad %f");
    install("mousepad");
    EXPECT_EQ(CommandeEditeurTexte(h.Xdg), "mousepad %f");

    // Used by the association, and left out when there is none.
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_NE(h.Read(h.Entry()).find("\nActions=Editer;\n"), std::string::npos);
    EXPECT_NE(h.Read(h.Entry()).find("\n[Desktop Action Editer]\nName=Editer\nExec=mousepad %f\n"), std::string::npos);
    TEnvVar none("PATH", h.Dir.Path("nothing").c_str());
    ASSERT_EQ(AssocieProjets(h.Xdg, h.Exe, h.Helpers), "");
    EXPECT_EQ(h.Read(h.Entry()).find("Editer"), std::string::npos);
}
