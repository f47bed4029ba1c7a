#pragma once

#include "platform/Autostart.h"

#include <string>

namespace tolvane {

class RegistryGateway;

// Autostart through the value "Tolvane" of the machine's Run key, holding the executable's path.
class RunKeyAutostart final : public Autostart {
public:
    RunKeyAutostart(RegistryGateway& registry, std::string executablePath);

    bool IsAutostartSet() override;
    void SetAutostart(bool enable) override;

    static constexpr const char* runKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    static constexpr const char* valueName = "Tolvane";

private:
    RegistryGateway& registry_;
    std::string executablePath_;
};

} // namespace tolvane
