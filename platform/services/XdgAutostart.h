#pragma once

#include "platform/Autostart.h"

#include <filesystem>

namespace tolvane {

// Autostart through the desktop's XDG autostart entry <config home>/autostart/tolvane.desktop,
// whose Exec line starts the running executable.
class XdgAutostart final : public Autostart {
public:
    XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable);

    bool IsAutostartSet() override;
    void SetAutostart(bool enable) override;

    std::filesystem::path entryFile() const;
    // $XDG_CONFIG_HOME, else ~/.config.
    static std::filesystem::path defaultConfigHome();
    // An Exec value that starts `executable` with no arguments, quoted as desktop entries need.
    static std::string execLine(const std::filesystem::path& executable);

private:
    std::filesystem::path configHome_;
    std::filesystem::path executable_;
};

} // namespace tolvane
