#pragma once
// A fresh folder per test, removed afterwards.
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TProjTestDir {
public:
    TProjTestDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kep_proj_XXXXXX").string();
        if (mkdtemp(tmpl.data()))
            Dir_ = tmpl;
    }
    ~TProjTestDir()
    {
        std::error_code ec;
        if (!Dir_.empty())
            std::filesystem::remove_all(Dir_, ec);
    }
    TProjTestDir(const TProjTestDir&) = delete;
    TProjTestDir& operator=(const TProjTestDir&) = delete;

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
    const std::string& Dir() const { return Dir_; }

private:
    std::string Dir_;
};
