#include "tests/support/TestPlatform.h"

#include "tests/support/ValueBytes.h"

#include <stdexcept>
#include <string>

namespace tolvane::test {

TestPlatform::TestPlatform()
    : files_(registry_), editor_(registry_),
      autostart_(scratch_ / "config", "/usr/bin/tolvane"), platform_{
                                                               registry_,        files_.files(),
                                                               editor_,          clock_,
                                                               autostart_,       storage_,
                                                               scratch_ / "work"} {
    std::filesystem::create_directories(platform_.workingDirectory / "Backup");
}

void TestPlatform::importReg(std::string_view regText) {
    const auto file = scratch_.write("import.reg", regText);
    if (auto imported = editor_.importRegFile(file); !imported) {
        throw std::runtime_error("test registry text refused: " + imported.message());
    }
}

void TestPlatform::addLink(HKey root, std::string_view path, std::string_view target) {
    const bool machine = root == hkeyLocalMachine;
    if (!machine && root != hkeyCurrentUser) {
        throw std::invalid_argument("links are made below HKLM or HKCU only");
    }
    std::string full(machine ? "\\Registry\\Machine\\" : "\\Registry\\User\\S-1-5-21-0-0-0-1000\\");
    full += target;
    HKey key = HKey::null;
    if (registry_.RegCreateKeyA(root, path, key) != winerr::success ||
        registry_.RegSetValueExW(key, u"SymbolicLinkValue", regtype::link,
                                 utf16(std::u16string(full.begin(), full.end()))) !=
            winerr::success) {
        throw std::runtime_error("test link not made");
    }
    registry_.RegCloseKey(key);
    registry_.withTree([&](prefix::RegistryTree& tree) {
        prefix::RegNode* node = tree.branchRoot(machine ? prefix::RegistryTree::machineBranch
                                                        : prefix::RegistryTree::currentUserBranch);
        std::size_t pos = 0;
        while (node != nullptr && pos < path.size()) {
            std::size_t end = path.find('\\', pos);
            end = end == std::string_view::npos ? path.size() : end;
            node = tree.findChild(node, path.substr(pos, end - pos));
            pos = end + 1;
        }
        if (node == nullptr) {
            throw std::runtime_error("test link key not found");
        }
        node->isLink = true;
    });
}

} // namespace tolvane::test
