#include "modules/ProblemTarget.h"

#include "engine/ModuleTable.h"

namespace tolvane {

namespace {

constexpr std::string_view hklm = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view hkcu = "HKEY_CURRENT_USER\\";
constexpr std::string_view hkcr = "HKEY_CLASSES_ROOT\\";
constexpr std::string_view defaultValue = "(Default)";

std::string joined(std::string_view root, std::string_view path) {
    std::string key(root);
    key += path;
    while (key.size() > 1 && key.back() == '\\') {
        key.pop_back();
    }
    return key;
}

// The descriptions end in "... contains a bad path <data>" where the module quotes the data.
std::string quotedData(const std::string& description) {
    constexpr std::string_view marker = "contains a bad path ";
    const auto at = description.find(marker);
    if (at == std::string::npos) {
        return {};
    }
    std::string data = description.substr(at + marker.size());
    return data.rfind("for the ", 0) == 0 ? std::string() : data;
}

} // namespace

ProblemTarget ProblemTarget::of(const ProblemRecord& record) {
    ProblemTarget target;
    target.data_ = quotedData(record.description);
    const auto value = [&target](std::string_view root, std::string_view key,
                                 const std::string& name) {
        target.action_ = Action::deleteValue;
        target.keyPath_ = joined(root, key);
        target.valueName_ = name.empty() ? std::string(defaultValue) : name;
    };
    switch (record.moduleId) {
    case moduleid::components:
    case moduleid::fileAssociations:
        target.keyPath_ = joined(hkcr, record.primaryName);
        break;
    case moduleid::userSettings:
        value(hkcu, record.secondaryName, record.primaryName);
        break;
    case moduleid::systemSettings:
    case moduleid::drivers:
    case moduleid::help:
        value(hklm, record.secondaryName, record.primaryName);
        break;
    case moduleid::sharedDlls:
        value(hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", record.primaryName);
        break;
    case moduleid::fonts:
        value(hklm, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", record.primaryName);
        break;
    case moduleid::startup:
        value(hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", record.primaryName);
        break;
    case moduleid::fileExtensions:
        if (record.entryKind == entrykind::explorerExtension) {
            target.keyPath_ = joined(hkcu, record.primaryName);
        } else {
            value(hkcu, record.primaryName, record.secondaryName);
        }
        break;
    case moduleid::appPaths:
        target.keyPath_ = joined(hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" +
                                           record.primaryName);
        break;
    case moduleid::uninstall:
        target.keyPath_ = joined(hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                           record.primaryName);
        break;
    case moduleid::sounds:
        value(hkcu, record.primaryName, record.secondaryName);
        target.action_ = Action::emptyValue;
        break;
    default:
        target.keyPath_ = record.primaryName;
        break;
    }
    return target;
}

std::string_view ProblemTarget::actionText(Action action) {
    switch (action) {
    case Action::deleteKey:
        return "Delete key";
    case Action::deleteValue:
        return "Delete value";
    case Action::emptyValue:
        return "Empty value";
    }
    return {};
}

} // namespace tolvane
