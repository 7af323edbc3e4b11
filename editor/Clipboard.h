#pragma once
// The clipboard as the text buffer sees it: ANSI bytes in, ANSI bytes out.
// The editor widget supplies the system clipboard; models without a window
// use the in-process one.
#include <string>
#include <string_view>

class TClipboard {
public:
    virtual ~TClipboard() = default;
    virtual bool HasText() const = 0;
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

class TMemoryClipboard final : public TClipboard {
public:
    bool HasText() const override { return Has_; }
    std::string Text() const override { return Text_; }
    void SetText(std::string_view text) override
    {
        Text_.assign(text);
        Has_ = true;
    }
    void Clear()
    {
        Text_.clear();
        Has_ = false;
    }

private:
    std::string Text_;
    bool Has_ = false;
};
