#include "platform/prefix/PrefixPlatform.h"

#include <cstdlib>

namespace tolvane::prefix {

std::filesystem::path PrefixPlatform::defaultPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".wine";
}

Result<std::unique_ptr<PrefixPlatform>> PrefixPlatform::open(const std::filesystem::path& prefix,
                                                             const Options& options) {
    auto registry = WineRegistry::openPrefix(prefix);
    if (!registry) {
        return registry.error();
    }
    return std::unique_ptr<PrefixPlatform>(
        new PrefixPlatform(std::move(registry.value()), prefix, options));
}

PrefixPlatform::PrefixPlatform(std::unique_ptr<WineRegistry> registry, std::filesystem::path prefix,
                               const Options& options)
    : prefix_(std::move(prefix)), registry_(std::move(registry)),
      files_(prefix_, *registry_,
             PrefixFileSystemOptions{options.workingDirectory, {}, {}, std::nullopt}),
      editor_(*registry_), autostart_(options.configHome, options.executable),
      storage_(*registry_, prefix_, WineServerProbe::forPrefix(prefix_)),
      platform_{
          *registry_, files_, editor_, clock_, autostart_, storage_, options.workingDirectory} {}

} // namespace tolvane::prefix
