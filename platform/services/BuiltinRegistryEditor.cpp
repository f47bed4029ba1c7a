#include "platform/services/BuiltinRegistryEditor.h"

#include "platform/base/HexText.h"
#include "platform/base/PathText.h"
#include "platform/regformat/RegFileRoots.h"
#include "platform/regformat/RegFileText.h"
#include "platform/services/RegKey.h"

#include <fstream>
#include <system_error>

namespace tolvane {

namespace {

// Deeper than any real registry goes (Windows stops at 512 levels); beyond it a link loops.
constexpr int maxKeyDepth = 512;

// Appended in place: GCC 12 at -O3 warns (-Wrestrict) on a literal prepended to a
// temporary string, a false alarm that would break -Werror builds.
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

std::string quoted(const std::filesystem::path& file) {
    const std::string text = textFromPath(file);
    return quoted(std::string_view(text));
}

// How deep a key lies in a whole-registry export, which writes HKEY_LOCAL_MACHINE and
// HKEY_USERS: the other roots are keys below those.
int exportDepth(HKey root, std::u16string_view path) {
    int depth = 0;
    if (root == hkeyCurrentUser) {
        depth = 1;
    } else if (root == hkeyClassesRoot) {
        depth = 2;
    } else if (root == hkeyCurrentConfig) {
        depth = 4;
    }
    bool inName = false;
    for (const char16_t unit : path) {
        if (unit == u'\\') {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++depth;
        }
    }
    return depth;
}

std::u16string widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// "a\\b\" -> "a\b": empty path elements name nothing.
std::u16string normalizeKeyPath(std::u16string_view path) {
    std::u16string result;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto end = path.find(u'\\', pos);
        if (end == std::u16string_view::npos) {
            end = path.size();
        }
        if (end > pos) {
            if (!result.empty()) {
                result += u'\\';
            }
            result.append(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return result;
}

std::string codeText(std::int32_t code) {
    return " (error " + std::to_string(code) + ")";
}

std::filesystem::path temporaryNameBeside(const std::filesystem::path& file) {
    auto temporary = file;
    temporary += ".tmp" + randomHexDigits(8);
    return temporary;
}

} // namespace

BuiltinRegistryEditor::BuiltinRegistryEditor(RegistryGateway& registry) : registry_(registry) {}

template <typename Write>
Result<void> BuiltinRegistryEditor::writeFileAtomically(const std::filesystem::path& file,
                                                        Write&& write) {
    const auto temporary = temporaryNameBeside(file);
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return makeError("cannot create " + quoted(temporary));
        }
        auto written = write(out);
        out.close();
        if (!written) {
            std::filesystem::remove(temporary, ignored);
            return written;
        }
        if (out.fail()) {
            std::filesystem::remove(temporary, ignored);
            return makeError("cannot write " + quoted(temporary));
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, ignored);
        return makeError("cannot replace " + quoted(file) + ": " + error.message());
    }
    return {};
}

Result<void> BuiltinRegistryEditor::exportKey(const std::filesystem::path& file,
                                              std::string_view keyText) {
    return writeFileAtomically(
        file, [&](std::ostream& out) { return writeKey(out, keyText, RegFileFormat::regedit4); });
}

Result<void> BuiltinRegistryEditor::exportRegistry(const std::filesystem::path& file) {
    return writeFileAtomically(file, [&](std::ostream& out) { return writeRegistry(out); });
}

Result<void> BuiltinRegistryEditor::importRegFile(const std::filesystem::path& file) {
    auto imported = importFrom(RegFileReader::openFile(file));
    if (!imported) {
        return makeError(file.string() + ": " + imported.message());
    }
    return {};
}

Result<void> BuiltinRegistryEditor::writeKey(std::ostream& out, std::string_view keyText,
                                             RegFileFormat format) {
    const auto wide = narrowToWide(keyText);
    const auto key = wide ? splitRootedKeyPath(*wide) : std::nullopt;
    if (!key) {
        return makeError(quoted(keyText) + " does not start with a root key name");
    }
    const auto path = normalizeKeyPath(key->path);
    HKey handle = key->root;
    RegKey owner;
    if (!path.empty()) {
        const auto code = registry_.RegOpenKeyExW(key->root, path, handle);
        if (code != winerr::success) {
            return makeError("cannot open the key \"" + std::string(keyText) + "\"" +
                             codeText(code));
        }
        owner = RegKey(registry_, handle, handle != key->root);
    }
    std::u16string fullPath = widen(rootKeyName(key->root));
    if (!path.empty()) {
        fullPath += u'\\';
        fullPath += path;
    }
    RegFileWriter writer(out, format);
    auto written = writeTree(writer, handle, fullPath, 0);
    if (!written) {
        return written;
    }
    return writer.finish();
}

Result<void> BuiltinRegistryEditor::writeRegistry(std::ostream& out) {
    RegFileWriter writer(out, RegFileFormat::version5);
    for (const HKey root : {hkeyLocalMachine, hkeyUsers}) {
        std::u16string path = widen(rootKeyName(root));
        auto written = writeTree(writer, root, path, 0);
        if (!written) {
            return written;
        }
    }
    return writer.finish();
}

Result<void> BuiltinRegistryEditor::writeTree(RegFileWriter& writer, HKey key, std::u16string& path,
                                              int depth) {
    if (depth > maxKeyDepth) {
        return makeError("keys nest deeper than " + std::to_string(maxKeyDepth) + " levels at \"" +
                         printable(path) + "\" (a link that loops?)");
    }
    auto written = writer.writeKey(path);
    if (!written) {
        return written;
    }
    std::u16string name;
    std::string data;
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t type = 0;
        const auto code = registry_.RegEnumValueW(key, index, name, type, data);
        if (code == winerr::noMoreItems) {
            break;
        }
        if (code != winerr::success) {
            return makeError("cannot read the values of \"" + printable(path) + "\"" +
                             codeText(code));
        }
        written = writer.writeValue(name, type, data);
        if (!written) {
            return makeError("in \"" + printable(path) + "\": " + written.message());
        }
    }
    for (std::uint32_t index = 0;; ++index) {
        const auto code = registry_.RegEnumKeyExW(key, index, name);
        if (code == winerr::noMoreItems) {
            break;
        }
        if (code != winerr::success) {
            return makeError("cannot read the sub-keys of \"" + printable(path) + "\"" +
                             codeText(code));
        }
        HKey subKey = HKey::null;
        // A sub-key that cannot be opened (no access, a link to nowhere) is left out, as the
        // system's editor leaves it out.
        if (registry_.RegOpenKeyExW(key, name, subKey) != winerr::success) {
            continue;
        }
        RegKey guard(registry_, subKey, subKey != key);
        const auto length = path.size();
        path += u'\\';
        path += name;
        written = writeTree(writer, subKey, path, depth + 1);
        path.resize(length);
        if (!written) {
            return written;
        }
    }
    return {};
}

Result<void> BuiltinRegistryEditor::importBytes(std::string_view bytes) {
    return importFrom(RegFileReader::open(bytes));
}

Result<void> BuiltinRegistryEditor::importFrom(Result<RegFileReader> reader) {
    if (!reader) {
        return reader.error();
    }
    // The whole file is checked before the first change is made, including that an export
    // could write every key again.
    std::string tooDeep;
    auto checked = reader->read([&tooDeep](const RegFileEntry& entry) {
        if (tooDeep.empty() && (entry.kind == RegFileEntry::Kind::openKey ||
                                entry.kind == RegFileEntry::Kind::deleteKey)) {
            if (const int depth = exportDepth(entry.root, entry.name); depth > maxKeyDepth) {
                tooDeep = "line " + std::to_string(entry.line) + ": the key is nested " +
                          std::to_string(depth) + " levels deep, more than the " +
                          std::to_string(maxKeyDepth) + " levels an export can write";
            }
        }
    });
    if (!checked) {
        return checked.error();
    }
    if (!tooDeep.empty()) {
        return makeError(tooDeep);
    }
    ImportState state;
    auto applied = reader->read([&](const RegFileEntry& entry) { apply(entry, state); });
    if (!applied) {
        return applied.error();
    }
    if (state.failures != 0) {
        return makeError(
            std::to_string(state.failures) +
            " of the file's changes could not be made; the first: " + state.firstFailure);
    }
    return {};
}

void BuiltinRegistryEditor::apply(const RegFileEntry& entry, ImportState& state) {
    const auto fail = [&](std::string what) {
        if (state.failures++ == 0) {
            state.firstFailure = "line " + std::to_string(entry.line) + ": " + what;
        }
    };
    switch (entry.kind) {
    case RegFileEntry::Kind::openKey: {
        state.currentKey.close();
        HKey handle = HKey::null;
        const auto code = registry_.RegCreateKeyExW(entry.root, entry.name, handle);
        if (code == winerr::success) {
            state.currentKey = RegKey(registry_, handle, handle != entry.root);
        } else {
            fail("cannot create the key \"" + printable(entry.name) + "\"" + codeText(code));
        }
        break;
    }
    case RegFileEntry::Kind::deleteKey: {
        state.currentKey.close();
        const auto code = deleteTree(entry.root, entry.name, 0);
        if (code != winerr::success && code != winerr::fileNotFound) {
            fail("cannot delete the key \"" + printable(entry.name) + "\"" + codeText(code));
        }
        break;
    }
    case RegFileEntry::Kind::setValue:
    case RegFileEntry::Kind::deleteValue: {
        if (!state.currentKey) {
            fail("the value's key could not be created");
            break;
        }
        const bool set = entry.kind == RegFileEntry::Kind::setValue;
        const auto code = set ? registry_.RegSetValueExW(state.currentKey.get(), entry.name,
                                                         entry.type, entry.data)
                              : registry_.RegDeleteValueW(state.currentKey.get(), entry.name);
        if (code != winerr::success && (set || code != winerr::fileNotFound)) {
            fail(std::string(set ? "cannot set" : "cannot delete") + " the value \"" +
                 printable(entry.name) + "\"" + codeText(code));
        }
        break;
    }
    }
}

std::int32_t BuiltinRegistryEditor::deleteTree(HKey parent, std::u16string_view path, int depth) {
    if (depth > maxKeyDepth) {
        return winerr::invalidParameter;
    }
    HKey handle = HKey::null;
    auto code = registry_.RegOpenKeyExW(parent, path, handle);
    if (code != winerr::success) {
        return code;
    }
    {
        RegKey key(registry_, handle, handle != parent);
        std::u16string child;
        for (;;) {
            code = registry_.RegEnumKeyExW(key.get(), 0, child);
            if (code == winerr::noMoreItems) {
                break;
            }
            if (code == winerr::success) {
                code = deleteTree(key.get(), child, depth + 1);
            }
            if (code != winerr::success) {
                return code;
            }
        }
    }
    return registry_.RegDeleteKeyW(parent, path);
}

} // namespace tolvane
