#pragma once

#include "platform/prefix/Arena.h"
#include "platform/prefix/MappedMemory.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

// One value of a key. Names are unit text (see UnitText.h). A value read from a file keeps its
// file text and is decoded when asked for, so loading stays cheap and an unchanged value is
// written back exactly as it was read; a value set later holds its bytes.
struct RegValue {
    const char* name = nullptr;
    std::uint32_t nameLength = 0;
    std::uint32_t type = 0;
    // fromFile: the whole value text ("name"=... up to the end of its last line, without the
    // newline); otherwise the stored bytes.
    const char* source = nullptr;
    std::uint32_t sourceLength = 0;
    // fromFile: offset of the data tag (just after '=') in the source text.
    std::uint32_t dataOffset = 0;
    bool fromFile = false;

    std::string_view nameView() const { return {name, nameLength}; }
    std::string_view sourceView() const { return {source, sourceLength}; }
};

struct RegNode {
    const char* name = nullptr;
    std::uint32_t nameLength = 0;
    std::uint32_t childCount = 0;
    std::uint32_t childCapacity = 0;
    std::uint32_t valueCount = 0;
    std::uint32_t valueCapacity = 0;
    // Index + 1 into the tree's table of rarely used details (class, lines kept from the file).
    std::uint32_t detailIndex = 0;
    RegNode* parent = nullptr;
    RegNode** children = nullptr;
    RegValue* values = nullptr;
    // Last write time as a FILETIME (100 ns units since 1601).
    std::uint64_t modified = 0;
    std::uint8_t branch = 0;
    bool isLink = false;
    bool deleted = false;

    std::string_view nameView() const { return {name, nameLength}; }
};

// The registry as wineserver holds it: one tree under \REGISTRY with the three branches that
// Wine keeps in files (Machine, User\.Default, User\S-1-5-21-0-0-0-1000). Sub-keys and values
// are kept sorted in Wine's order, so enumeration indexes are array positions. Not thread-safe;
// the gateway serialises access.
class RegistryTree {
public:
    enum Branch : std::uint8_t {
        noBranch = 0,
        machineBranch,
        userDefaultBranch,
        currentUserBranch
    };
    static constexpr std::size_t branchCount = 4;
    static constexpr std::uint32_t maxLinkDepth = 16;

    RegistryTree();
    RegistryTree(const RegistryTree&) = delete;
    RegistryTree& operator=(const RegistryTree&) = delete;

    // The current time as a FILETIME.
    static std::uint64_t now();

    RegNode* registryRoot() { return root_; }
    RegNode* usersNode() { return users_; }
    RegNode* branchRoot(Branch branch) { return branchRoots_[branch]; }
    const RegNode* branchRoot(Branch branch) const { return branchRoots_[branch]; }

    Arena& arena() { return arena_; }
    // Keeps a file's text alive for as long as the tree refers to it.
    void keepBuffer(MappedMemory buffer) { buffers_.push_back(std::move(buffer)); }

    // --- sub-keys ---
    // The child called `name` (compared the Wine way), or null; `insertAt` receives where it
    // belongs in the sorted array.
    RegNode* findChild(const RegNode* parent, std::string_view name,
                       std::uint32_t* insertAt = nullptr) const;
    // Adds a child at `insertAt`; `name` must outlive the tree (a view of a kept buffer or of
    // the arena).
    RegNode* insertChild(RegNode* parent, std::uint32_t insertAt, std::string_view name,
                         std::uint64_t modified);
    // The loader's path: children arrive mostly in sorted order, so the last child is tried
    // first.
    RegNode* findOrAddChild(RegNode* parent, std::string_view name, std::uint64_t modified,
                            bool& created);
    // Removes a key that has no sub-keys; open handles to it see it as deleted.
    void removeLeaf(RegNode* node);

    // --- values ---
    RegValue* findValue(const RegNode* node, std::string_view name,
                        std::uint32_t* insertAt = nullptr) const;
    // Adds or replaces a value with the name of `value` (the loader's path, fast when values
    // come sorted).
    void putValue(RegNode* node, const RegValue& value);
    // Sets a value to bytes; false when it already held exactly these (nothing changes then).
    bool setValue(RegNode* node, std::string_view name, std::uint32_t type, std::string_view bytes);
    bool deleteValue(RegNode* node, std::string_view name);
    // The stored bytes of a value.
    std::string valueData(const RegValue& value) const;
    // The same into `bytes`, reusing its room.
    void readValueData(const RegValue& value, std::string& bytes) const;
    // The number of stored bytes, counted from the file text where it tells them (no decoding).
    std::size_t valueDataSize(const RegValue& value) const;
    // For a string value read from a file: its text decoded straight to UTF-8 (without the
    // terminating NUL), appended to `out` (null: count only), and its number of UTF-16 units
    // without the NUL. False for any other value, and for text that escapes a surrogate.
    bool fileStringText(const RegValue& value, std::string* out, std::size_t& units) const;

    // --- key details ---
    std::string_view className(const RegNode* node) const;
    void setClassName(RegNode* node, std::string_view unitText);
    // Lines of a key block that the engine does not interpret, kept to be written back.
    const std::vector<std::string_view>& keptLines(const RegNode* node) const;
    void keepLine(RegNode* node, std::string_view line);

    // --- links ---
    // The key a link leads to (the node itself when it is no link); null when the target is
    // missing or links nest deeper than maxLinkDepth.
    RegNode* followLink(RegNode* node, std::uint32_t depth = 0);

    // --- changes ---
    // Marks `node` written now and its branch changed.
    void touch(RegNode* node);
    // Grows with every key or value added, replaced or removed: a node found by a path stays
    // the node of that path for as long as this stays the same.
    std::uint64_t changeCount() const { return changeCount_; }
    bool isDirty(Branch branch) const { return dirty_[branch]; }
    void setDirty(Branch branch, bool dirty) { dirty_[branch] = dirty; }

private:
    struct Details {
        std::string_view className;
        std::vector<std::string_view> keptLines;
    };

    RegNode* makeNode(RegNode* parent, std::string_view name, std::uint64_t modified);
    Details& details(RegNode* node);
    void insertValueAt(RegNode* node, std::uint32_t at, const RegValue& value);

    Arena arena_;
    std::vector<MappedMemory> buffers_;
    std::vector<Details> details_;
    RegNode* root_ = nullptr;
    RegNode* users_ = nullptr;
    std::array<RegNode*, branchCount> branchRoots_{};
    std::array<bool, branchCount> dirty_{};
    std::uint64_t changeCount_ = 0;
};

} // namespace tolvane::prefix
