#include "platform/PathChecks.h"

#include "platform/RegKey.h"

namespace tolvane {

namespace {

// The "Applications\" key path is built in a buffer of 268 bytes.
constexpr std::size_t applicationKeyBuffer = 268;

bool fitsPathBuffer(std::string_view text) {
    return text.size() < maxPath;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string replaced;
    std::size_t pos = 0;
    for (std::size_t hit = text.find(from); hit != std::string_view::npos;
         hit = text.find(from, pos)) {
        replaced.append(text.substr(pos, hit - pos)).append(to);
        pos = hit + from.size();
    }
    replaced.append(text.substr(pos));
    return replaced;
}

} // namespace

bool HasDrivePath(std::string& text, std::string& out) {
    // assign() keeps the room `out` already has: this runs for every value of a large walk.
    out.assign("     ");
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == std::string::npos) {
            return false;
        }
        out.assign(text, 1, close - 1);
    } else {
        // Without a branch per character: this lower-cases nearly every value of a walk.
        for (char& c : text) {
            const bool upper = static_cast<unsigned char>(c - 'A') < 26;
            c = static_cast<char>(c + (upper ? 'a' - 'A' : 0));
        }
        const std::size_t exe = text.find("exe");
        out.assign(text, 0, text.find(' ', exe == std::string::npos ? 0 : exe));
    }
    return out.size() >= 3 && out[1] == ':' && out[2] == '\\';
}

void TakeFirstToken(std::string& text) {
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        text = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        return;
    }
    text = text.substr(0, text.find(' '));
}

void CutAfterExtension(std::string& text) {
    const std::size_t start = (!text.empty() && text.front() == '"') ? 1 : 0;
    if (text.size() > start + 1 && text[start + 1] == ':') {
        const std::size_t dot = text.rfind('.');
        if (dot != std::string::npos) {
            text = text.substr(0, text.find(' ', dot));
        }
        return;
    }
    text = text.substr(0, text.find(' '));
    if (text.find('.') == std::string::npos) {
        text += ".exe";
    }
}

PathChecks::PathChecks(FileSystem& files, RegistryGateway& registry)
    : files_(files), registry_(registry) {}

void PathChecks::NormalizeServerPath(std::string& text) {
    // Cut in place: this runs for every server key of a scan.
    std::erase(text, '"');
    for (const std::string_view end :
         {std::string_view(" /"), std::string_view("/"), std::string_view(",")}) {
        if (const std::size_t cut = text.find(end); cut != std::string::npos) {
            text.resize(cut);
        }
    }
    const std::size_t open = text.find('%');
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close != std::string::npos) {
        std::string expanded;
        const std::uint32_t needed = files_.ExpandEnvironmentStringsA(
            std::string_view(text).substr(0, close + 1), expanded, maxPath);
        if (needed != 0 && needed <= maxPath) {
            // A closing '%' at the very end leaves nothing to drop.
            const std::size_t rest = std::min(close + 2, text.size());
            text = expanded + "\\" + text.substr(rest);
        }
    }
}

bool PathChecks::FileExistsInSystemDirs(std::string_view path) {
    return path.size() > 1 && inSystemFolders(path, &PathChecks::pathExists);
}

bool PathChecks::ExistsTrimmingTail(std::string_view path) {
    if (!fitsPathBuffer(path)) {
        return false;
    }
    trimmed_.assign(path);
    bool found = FileExistsInSystemDirs(trimmed_);
    // Shedding characters from the end keeps the last dot until it goes itself.
    const std::size_t lastDot = trimmed_.rfind('.');
    bool hasDot = lastDot != std::string::npos;
    while (!found && trimmed_.size() >= 4 && hasDot) {
        trimmed_.pop_back();
        hasDot = lastDot < trimmed_.size();
        found = FileExistsInSystemDirs(trimmed_);
    }
    return found;
}

bool PathChecks::CommandTargetExists(std::string_view text) {
    if (!fitsPathBuffer(text)) {
        return false;
    }
    std::string work(text);
    TakeFirstToken(work);
    if (FindFileOrApp(work)) {
        return true;
    }
    work = text;
    CutAfterExtension(work);
    return FindFileOrApp(work);
}

bool PathChecks::FindFileOrApp(std::string_view name) {
    return !name.empty() && inSystemFolders(name, &PathChecks::fileOrAppExists);
}

bool PathChecks::IsFileOrRegisteredApp(std::string_view name) {
    if (fitsPathBuffer(name)) {
        const std::uint32_t attributes = files_.GetFileAttributesA(name);
        if (attributes != invalidFileAttributes && (attributes & fileAttributeDirectory) == 0) {
            return true;
        }
    }
    std::string keyPath = "Applications\\";
    keyPath += name;
    if (keyPath.size() >= applicationKeyBuffer) {
        return false;
    }
    RegKey application;
    return RegKey::open(registry_, hkeyClassesRoot, keyPath, application) == winerr::success;
}

bool PathChecks::inSystemFolders(std::string_view name,
                                 bool (PathChecks::*test)(std::string_view)) {
    if ((this->*test)(name) ||
        (this->*test)(belowFolder(&FileSystem::GetWindowsDirectoryA, name)) ||
        (this->*test)(belowFolder(&FileSystem::GetSystemDirectoryA, name))) {
        return true;
    }
    // Without a "WINNT" this would test the name again.
    return name.find("WINNT") != std::string_view::npos &&
           (this->*test)(replaceAll(name, "WINNT", "WINDOWS"));
}

bool PathChecks::pathExists(std::string_view path) {
    return fitsPathBuffer(path) && files_.PathFileExistsA(path);
}

bool PathChecks::fileOrAppExists(std::string_view name) {
    return fitsPathBuffer(name) && IsFileOrRegisteredApp(name);
}

// A failed query leaves the folder out: the joined path then starts with the backslash. The
// path is built in a buffer kept for the next one, as every server key of a scan asks this.
std::string_view PathChecks::belowFolder(FolderQuery query, std::string_view name) {
    joined_.clear();
    const std::uint32_t length = (files_.*query)(joined_, maxPath);
    if (length == 0 || length >= maxPath) {
        joined_.clear();
    }
    joined_ += '\\';
    joined_ += name;
    return joined_;
}

} // namespace tolvane
