#pragma once
// A main window started on a project of a fresh folder, with the message
// boxes and dialogs replaced by recorders.
#include "support/TestDir.h"
#include "app/UE_Prin.h"
#include "config/U_KepFile.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>

class TPrinFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(Dir.Path("cfg"));
        std::filesystem::create_directories(Dir.Path("run"));
        std::filesystem::permissions(Dir.Path("run"), std::filesystem::perms::owner_all);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(Dir.Path("cfg")));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Dir.Path("run")));
        std::filesystem::create_directories(Dir.Path("p"));
        kep::NomProjet.clear();
    }
    void TearDown() override
    {
        W.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A project file in the folder "p".
    std::string Project(const std::string& text, const std::string& name = "demo.pja")
    {
        return Dir.Write("p/" + name, text);
    }
    std::string Source(const std::string& name, int lines = 40)
    {
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += "        nop     ; line " + std::to_string(i) + "\r\n";
        return Dir.Write("p/" + name, text);
    }

    std::unique_ptr<TEcrPrin> Make(std::vector<std::string> args)
    {
        kep::TCfgStart st;
        st.ExePath = Dir.Path("bin/kep");
        st.Args = std::move(args);
        st.FileVersion = "0.1.0.0";
        st.ReportError = [this](const QString& t) { Messages.push_back(t); };
        auto w = std::make_unique<TEcrPrin>(st);
        w->ShowMessage = [this](const QString& t) { Messages.push_back(t); };
        w->ShowWarning = [this](const QString& t) { Warnings.push_back(t); };
        w->ShowError = [this](const QString& t) { Errors.push_back(t); };
        w->ShowTitled = [this](const QString& c, const QString& t) { Titled.push_back(c + "|" + t); };
        w->AskSave = [this](const QString& t, bool tous) {
            Asked.push_back(t);
            OfferedTous.push_back(!tous);
            if (Answers.empty())
                return TEcrPrin::rNon;
            const auto a = Answers.front();
            Answers.pop_front();
            return a;
        };
        w->AskSaveName = [this](const QString&) { return SaveName; };
        w->AskOpenFiles = [this] { return OpenNames; };
        w->ChooseProject = [this] {
            ++Chosen;
            return ChooseResult;
        };
        w->LoginName = [this] { return Login; };
        w->AskConfirm = [this](const QString& t) {
            Confirms.push_back(t);
            return ConfirmAnswer;
        };
        return w;
    }

    bool Start(std::vector<std::string> args)
    {
        W = Make(std::move(args));
        return W->FormCreate();
    }

    // A project opening these sources (40 lines each), one view each.
    bool StartWith(std::initializer_list<const char*> files)
    {
        std::string text = "[Global]\r\nNbrEdit=" + std::to_string(files.size()) + "\r\n";
        int i = 0;
        for (const char* f : files) {
            Source(f);
            text += "[Edit" + std::to_string(i++) + "]\r\nNom=" + f + "\r\n";
        }
        ProjectPath = Project(text);
        return Start({ProjectPath});
    }

    // A project of the given files (name, text), each opened in one view.
    bool StartFiles(std::initializer_list<std::pair<const char*, const char*>> files, const std::string& global = {})
    {
        std::string text = "[Global]\r\n" + global + "NbrEdit=" + std::to_string(files.size()) + "\r\n";
        int i = 0;
        for (const auto& [name, body] : files) {
            Dir.Write(std::string("p/") + name, body);
            text += "[Edit" + std::to_string(i++) + "]\r\nNom=" + name + "\r\n";
        }
        ProjectPath = Project(text);
        return Start({ProjectPath});
    }

    TSources& S() { return *W->Sources(); }
    TEditeur* Ed(int entry) { return S().Entry(entry)->Editor; }
    QStringList Names()
    {
        QStringList n;
        for (int i = 0; i < S().Count(); ++i)
            n << S().Text(i);
        return n;
    }

    TTestDir Dir;
    std::string ProjectPath;
    std::unique_ptr<TEcrPrin> W;
    QStringList Messages, Warnings, Errors, Titled, Asked, Confirms;
    bool ConfirmAnswer = true;
    std::vector<bool> OfferedTous;
    std::deque<TEcrPrin::TReponse> Answers;
    QString SaveName;
    QStringList OpenNames;
    int Chosen = 0;
    std::string ChooseResult;
    std::string Login = "quelquun";
};
