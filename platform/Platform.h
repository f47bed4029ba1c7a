#pragma once

#include <filesystem>

namespace tolvane {

class RegistryGateway;
class FileSystem;
class RegistryEditor;
class Clock;
class Autostart;
class RegistryStorage;

// What the core needs from the outside world, handed down through constructors.
struct Platform {
    RegistryGateway& registry;
    FileSystem& files;
    RegistryEditor& editor;
    Clock& clock;
    Autostart& autostart;
    RegistryStorage& storage;
    // The folder the program was started in. Workers use this absolute path and never change
    // the process's working directory.
    std::filesystem::path workingDirectory;
    // Where this registry's backups live (one folder per Wine prefix); when empty,
    // <working directory>/Backup as on Windows.
    std::filesystem::path backupRoot{};
};

} // namespace tolvane
