#pragma once
// A main window on a project with a make file, built with the real kepmake,
// GNU make and the launcher.
#include "app/PrinFixture.h"

#include "build/UF_Make.h"
#include "platform/FileIo.h"

#include <QTimer>

#include <filesystem>

class TPrinMake : public TPrinFixture {
protected:
    void SetUp() override
    {
        TPrinFixture::SetUp();
        // Assembler leftovers go to a temporary folder of the test's own.
        std::filesystem::create_directories(Dir.Path("tmp"));
        HadTmp = qEnvironmentVariableIsSet("TMPDIR");
        OldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(Dir.Path("tmp")));
    }
    void TearDown() override
    {
        TPrinFixture::TearDown();
        if (HadTmp)
            qputenv("TMPDIR", OldTmp);
        else
            qunsetenv("TMPDIR");
    }
    // A project in "p" with the make file "build.mke" (recipes are shell
    // lines; "\t" is added in front of each) and these sources.
    bool StartMake(const std::string& recipes, std::initializer_list<const char*> files = {"prog.asm"},
                   const std::string& makeFile = "build.mke")
    {
        std::string text = "[Global]\r\nMakeFile=" + makeFile + "\r\nNbrEdit=" + std::to_string(files.size()) + "\r\n";
        int i = 0;
        for (const char* f : files) {
            Source(f);
            text += "[Edit" + std::to_string(i++) + "]\r\nNom=" + f + "\r\n";
        }
        WriteMake(recipes, makeFile);
        ProjectPath = Project(text);
        if (!Start({ProjectPath}))
            return false;
        Options().ProgMake = KEP_BINARY_DIR "/app/kepmake";
        Options().FermeConsole = false;
        Options().AfficheInfos = false;
        Options().Err = kep::TErrDefaults{};
        Options().Err.FichErr = "prog.err";
        W->AskReload = [this](const QString& text, bool) {
            ReloadAsked << text + (W->MakeEnCours ? " (pendant)" : "");
            return true;
        };
        return true;
    }
    void WriteMake(const std::string& recipes, const std::string& makeFile = "build.mke")
    {
        std::string mk = "all:\n";
        std::size_t start = 0;
        while (start < recipes.size()) {
            const std::size_t end = recipes.find('\n', start);
            mk += "\t" + recipes.substr(start, end - start) + "\n";
            start = end == std::string::npos ? recipes.size() : end + 1;
        }
        Dir.Write("p/" + makeFile, mk);
    }
    kep::TOptionsKep& Options() { return W->Cfg()->Data; }
    void Build(const char* item = "MM_Make") { W->Action(item)->trigger(); }
    QStringList Output()
    {
        QStringList l;
        if (TEcrMake* e = W->EcrMake())
            for (std::size_t i = 0; i < e->Lignes().Count(); ++i)
                l << QString::fromStdString(e->Lignes().Line(i));
        return l;
    }
    // Lets a closed window go away.
    void Settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    int Entry(const std::string& name)
    {
        int first = -1, last = -1;
        return S().FindFile(Dir.Path("p/" + name), first, last) ? first : -1;
    }
    TEditeur* Current() { return W->EditeurCourant(); }
    std::string CurrentName() { return Current() ? kep::FileNameOf(Current()->FileName) : std::string(); }
    std::int32_t CaretLine() { return Current()->Buffer().CaretLine(); }
    std::string Selected() { return Current()->Buffer().GetSelText(); }

    QStringList ReloadAsked;
    QByteArray OldTmp;
    bool HadTmp = false;
};
