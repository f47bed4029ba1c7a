#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::test {

// A registry hive file with nothing but its root key, built byte by byte from the format's
// description: a 4096-byte "regf" base block with its XOR checksum, one 4096-byte "hbin" holding
// the root "nk" cell, its "sk" security cell (a self-relative descriptor without a DACL) and a
// free cell for the rest. hivex opens it and fills it.
class HiveImage {
public:
    // A key of a hive to build: values in order, sub-keys sorted as Windows stores them.
    class Key {
    public:
        explicit Key(std::string name) : name_(std::move(name)) {}
        // The sub-key `name`, made when missing.
        Key& child(std::string_view name);
        void set(std::string_view name, std::uint32_t type, std::string bytes);

    private:
        friend class HiveImage;
        struct Value {
            std::string name;
            std::uint32_t type;
            std::string bytes;
        };
        std::string name_;
        std::vector<Value> values_;
        std::vector<std::unique_ptr<Key>> children_;
        std::unordered_map<std::string, Key*> byName_;
    };

    // A whole hive holding `root` and everything below it, written cell by cell (one hbin, "lf"
    // sub-key lists, one shared "sk" cell). Sub-keys of a key must stay below 65536; value
    // data below 16 KB (no "db" big-data cells). hivex adds a key by copying its parent's
    // whole sub-key list, which makes a hive of many siblings quadratic in time and size:
    // large hives for benchmarks are built here instead.
    static std::string build(const Key& root);

    static std::string empty(std::string_view rootName = "ROOT");
    // Sets the base block's sequence numbers of hive bytes and its checksum to match, as Windows
    // leaves a hive whose last changes are still in its logs when they differ.
    static void setSequenceNumbers(std::string& hive, std::uint32_t primary,
                                   std::uint32_t secondary);
    // Writes empty() to `file`, replacing what is there.
    static Result<void> write(const std::filesystem::path& file,
                              std::string_view rootName = "ROOT");
};

} // namespace tolvane::test
