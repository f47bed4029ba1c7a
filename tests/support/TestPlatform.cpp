#include "tests/support/TestPlatform.h"

#include <stdexcept>

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

} // namespace tolvane::test
