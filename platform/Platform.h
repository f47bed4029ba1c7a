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
    // The folder the program was started in; ".\Backup" lives below it. Workers use this
    // absolute path and never change the process's working directory.
    std::filesystem::path workingDirectory;
};

} // namespace tolvane
