#pragma once
// A fresh folder per test, removed afterwards.
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TTestDir {
public:
    TTestDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kep_test_XXXXXX").string();
        if (mkdtemp(tmpl.data()))
            Dir_ = tmpl;
    }
    ~TTestDir()
    {
        std::error_code ec;
        if (!Dir_.empty()) {
            // A test may have made the folder read-only.
            std::filesystem::permissions(Dir_, std::filesystem::perms::owner_all, ec);
            std::filesystem::remove_all(Dir_, ec);
        }
    }
    TTestDir(const TTestDir&) = delete;
    TTestDir& operator=(const TTestDir&) = delete;

    std::string Path(const std::string& name) const { return Dir_ + "/" + name; }
    std::string Write(const std::string& name, const std::string& data) const
    {
        const std::string p = Path(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        EXPECT_TRUE(kep::WriteFileAtomic(p, data));
        return p;
    }
    std::string Read(const std::string& name) const
    {
        std::string data;
        kep::ReadWholeFile(Path(name), data);
        return data;
    }
    bool Exists(const std::string& name) const { return kep::FileExists(Path(name)); }
    const std::string& Dir() const { return Dir_; }

private:
    std::string Dir_;
};
