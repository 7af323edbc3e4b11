#pragma once
// Reader of the processor table files (".tab") produced by the assembler tool
// chain: the keyword, mnemonic and named-value lists for the syntax colouring,
// and the display text of a mnemonic's encodings for the processor help.
//
// The whole file is kept in one buffer. Every area is checked against the
// buffer when loading, and every read made while describing stays inside its
// area, so a truncated or corrupted table is refused or described with error
// texts, never read outside.
//
// Texts taken from the table and the lines built by Describe are bytes in
// Windows-1252 (the table's own code page): "Inh\xE9rent", the quotes
// "\xAB" and "\xBB". Load errors are UTF-8 messages for the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kep {

// One entry of the program's fixed table of operand argument types.
struct TArgType {
    const char* Name;
    const char* Description;
};

class TTabFile {
public:
    static constexpr int ArgTypeCount = 191;

    // Empty lists, as for a table created with an empty name.
    TTabFile() = default;

    // Reads the file in one block and indexes it. An empty path gives empty
    // lists and succeeds. On failure the lists are empty and *error (when
    // given) holds a French message naming the file.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Same, from bytes already in memory.
    bool LoadFromBytes(std::string bytes, std::string* error = nullptr);
    // Back to the empty state.
    void Clear();

    bool IsLoaded() const { return !Data.empty(); }
    // Text before the first zero byte; not interpreted.
    const std::string& Title() const { return TitleText; }
    // Keyword string split at ";" (empty pieces skipped), file order. A name
    // area that starts with "^" makes the first keyword start with "^".
    const std::vector<std::string>& Keywords() const { return KeywordList; }
    // Mnemonic string split the same way; position k has encodings OD[k].
    const std::vector<std::string>& Mnemonics() const { return MnemonicList; }
    // For each named-value record, the keyword it names.
    const std::vector<std::string>& Values() const { return ValueList; }
    // Flag block bit 0x20 of byte 6: encodings this reader does not decode.
    bool IsH8Style() const { return H8Style; }

    // Position of the mnemonic in Mnemonics(), ignoring ASCII case (the
    // first one when a name repeats); -1 when absent.
    int IndexOfMnemonic(std::string_view mnemonic) const;

    // Clears both lists and fills them: one line per encoding variant (more
    // when operand lists expand), and one "name=description (code)" entry per
    // argument type used. A mnemonic absent from the list gives nothing.
    void Describe(std::string_view mnemonic, std::vector<std::string>& lines,
                  std::vector<std::string>& types) const;

    // The fixed argument-type table, code 1..ArgTypeCount; nullptr outside.
    static const TArgType* ArgType(int code);

private:
    struct TArea {
        std::size_t Start = 0;
        std::size_t Size = 0;
    };
    class TDescriber;

    bool Index(std::string* error);

    std::string Data;
    std::string TitleText;
    std::vector<std::string> KeywordList;
    std::vector<std::string> MnemonicList;
    std::vector<std::string> ValueList;
    // Upper-cased mnemonics with their positions, sorted; built by the first
    // lookup so that loading stays one read and three splits. (A table is
    // used from one thread only.)
    mutable std::vector<std::pair<std::string, int>> MnemonicIndex;
    bool H8Style = false;
    // Areas A, B, C, D and the offset tables OA, OB, OC, OD (counts in words).
    TArea AreaA, AreaB, AreaC, AreaD;
    TArea TableOA, TableOB, TableOC, TableOD;
};

} // namespace kep
