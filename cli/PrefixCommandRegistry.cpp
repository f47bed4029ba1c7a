#include "cli/PrefixCommandRegistry.h"

#include "cli/CliContext.h"

namespace tolvane {

PrefixCommandRegistry::PrefixCommandRegistry(std::unique_ptr<prefix::WineRegistry> registry,
                                             const std::filesystem::path& prefixPath)
    : registry_(std::move(registry)), editor_(*registry_),
      storage_(*registry_, prefixPath, prefix::WineServerProbe::forPrefix(prefixPath)) {}

std::string PrefixCommandRegistry::afterFailedImport() const {
    // The files are saved only after the whole file went in.
    return "; the prefix was not changed";
}

std::unique_ptr<CommandRegistry> CommandRegistry::open(CliContext& context) {
    const auto prefixPath = context.prefixPath();
    auto registry = prefix::WineRegistry::openPrefix(prefixPath);
    if (!registry) {
        context.fail(registry.message());
        return nullptr;
    }
    return std::make_unique<PrefixCommandRegistry>(std::move(registry.value()), prefixPath);
}

} // namespace tolvane
