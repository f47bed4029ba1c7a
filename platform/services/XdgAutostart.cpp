#include "platform/services/XdgAutostart.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace tolvane {

XdgAutostart::XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable)
    : configHome_(std::move(configHome)), executable_(std::move(executable)) {}

std::filesystem::path XdgAutostart::entryFile() const {
    return configHome_ / "autostart" / "tolvane.desktop";
}

std::filesystem::path XdgAutostart::defaultConfigHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return config;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/") / ".config";
}

std::string XdgAutostart::execLine(const std::filesystem::path& executable) {
    const std::string path = executable.string();
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';
    // The Exec key's own escaping doubles every backslash once more.
    std::string line;
    for (const char c : quoted) {
        if (c == '\\') {
            line += '\\';
        }
        line += c;
    }
    return line;
}

bool XdgAutostart::IsAutostartSet() {
    std::error_code error;
    return std::filesystem::exists(entryFile(), error);
}

void XdgAutostart::SetAutostart(bool enable) {
    if (enable == IsAutostartSet()) {
        return;
    }
    std::error_code error;
    const auto file = entryFile();
    if (!enable) {
        std::filesystem::remove(file, error);
        return;
    }
    std::filesystem::create_directories(file.parent_path(), error);
    const auto temporary = std::filesystem::path(file).concat(".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Tolvane\n"
               "Comment=Registry cleaner for Windows and Wine prefixes\n"
               "Exec="
            << execLine(executable_)
            << "\n"
               "Icon=tolvane\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n";
        if (!out.flush()) {
            std::filesystem::remove(temporary, error);
            return;
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
    }
}

} // namespace tolvane
