#include "tests/support/FakeHome.h"

namespace tolvane::test {
namespace {

constexpr std::string_view registryHeader = "WINE REGISTRY Version 2\n;; All keys relative to "
                                            "\\\\Machine\n\n#arch=win64\n";

} // namespace

FakeHome::FakeHome() : home_(scratch_.path() / "home/user") {
    std::filesystem::create_directories(home_);
    environment_.set("HOME", home_.string());
    environment_.set("XDG_DATA_HOME", (home_ / ".local/share").string());
    environment_.set("XDG_CONFIG_HOME", (home_ / ".config").string());
}

std::filesystem::path FakeHome::outside(std::string_view relative) const {
    return scratch_.path() / relative;
}

std::filesystem::path FakeHome::write(std::string_view relative, std::string_view content) const {
    const auto file = home_ / relative;
    writeFile(file, content);
    return file;
}

std::filesystem::path FakeHome::makePrefix(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "drive_c/windows/system32");
    std::filesystem::create_directories(folder / "dosdevices");
    writeFile(folder / "system.reg", registryHeader);
    writeFile(folder / "user.reg", registryHeader);
    writeFile(folder / "userdef.reg", registryHeader);
    return folder;
}

std::filesystem::path FakeHome::makePrefixAt(std::string_view relative) const {
    return makePrefix(home_ / relative);
}

std::string FakeHome::shortcutsVdf(const std::vector<std::pair<std::uint32_t, std::string>>& list) {
    std::string data;
    const auto name = [&](std::string_view text) {
        data += text;
        data += '\0';
    };
    data += '\x00';
    name("shortcuts");
    for (std::size_t i = 0; i < list.size(); ++i) {
        data += '\x00';
        name(std::to_string(i));
        data += '\x02';
        name("appid");
        for (int shift = 0; shift < 32; shift += 8) {
            data += static_cast<char>((list[i].first >> shift) & 0xFF);
        }
        data += '\x01';
        name("AppName");
        name(list[i].second);
        data += '\x01';
        name("Exe");
        name("\"/opt/game/run.sh\"");
        data += '\x00';
        name("tags");
        data += '\x08';
        data += '\x08';
    }
    data += '\x08';
    data += '\x08';
    return data;
}

} // namespace tolvane::test
