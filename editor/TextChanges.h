#pragma once
// The changes of a text as an accessibility client wants them: an offset,
// the characters removed there and those inserted, line breaks as "\n", each
// reported as the line table changes, so that the text at each report is the
// text the report describes. A changed line reports only what differs.
#include "editor/TextBuffer.h"

#include <functional>
#include <string>
#include <string_view>

class TTextChangeFeed : public TLineObserver {
public:
    explicit TTextChangeFeed(const TTextBuffer& buffer) : Buffer_(buffer) {}

    std::function<void(std::int64_t offset, std::string_view removed, std::string_view inserted)> OnChange;
    std::function<void(std::int64_t oldChars)> OnReset;
    // Whether a client listens at the moment; none means no offsets to count.
    std::function<bool()> Wanted;

    bool Listening() const override { return (OnChange || OnReset) && (!Wanted || Wanted()); }

    void LineReplaced(std::int32_t line, std::string_view oldText) override;
    void LinesInserted(std::int32_t first, std::int32_t count) override;
    void LinesErasing(std::int32_t first, std::int32_t count) override;
    void LinesReset(std::int64_t oldChars) override;

private:
    // Lines first..first+count-1, each followed by "\n" (trailing) or each
    // preceded by one (leading).
    std::string Join(std::int32_t first, std::int32_t count, bool leading) const;
    void Report(std::int64_t offset, std::string_view removed, std::string_view inserted) const;

    const TTextBuffer& Buffer_;
};
