#pragma once

#include "engine/ModuleSet.h"

#include <atomic>
#include <filesystem>
#include <functional>

namespace tolvane {

class Autostart;
class Dialogs;
class LinkOpener;
class PrefixCatalog;
class ProfileStore;
class RegistrySession;
class Theme;
struct Platform;

// Makes the factory of the thirteen modules for an open registry; the scanner builds its
// module set with it (and again after RegistrySession::platformChanged).
using ModuleFactoryMaker = std::function<ModuleFactory(Platform& platform)>;

// What the main window and every panel work with, handed down by the application object.
struct UiContext {
    // 1 while a scan, fix, backup action or defragmentation runs; every action that would start
    // one, every page switch, About and closing test it first.
    std::atomic<int>& busy;
    ProfileStore& profile;
    RegistrySession& session;
    Autostart& autostart;
    Dialogs& dialogs;
    LinkOpener& links;
    const Theme& theme;
    ModuleFactoryMaker moduleFactory;
    std::filesystem::path helpFile;
    // Whether the desktop shows tray icons; without one a hidden window could not come back,
    // so hiding minimizes instead.
    std::function<bool()> trayAvailable;
    // The Wine prefixes found on this machine, for the prefix picker and the status line; null
    // where the registry is not chosen among prefixes.
    PrefixCatalog* prefixes = nullptr;
};

} // namespace tolvane
