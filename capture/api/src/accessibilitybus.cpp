// The API's side of the accessibility bus: the module with the worker is loaded on the first
// request and never unloaded, so that a worker stuck on a hung bus never runs unmapped code.
#include "accessibilitybus.h"

#include <dlfcn.h>

#include <cstdio>
#include <mutex>

namespace yv::capture {

namespace {

constexpr char kModuleFile[] = "libSnrAccessBus.so";

class ModuleBus final : public AccessibilityBus {
public:
    explicit ModuleBus(std::filesystem::path dir)
        : m_dir(std::move(dir))
    {
    }

    bool ask(int request, int x, int y, AcrobatSharedData* out, std::chrono::milliseconds budget) override
    {
        std::call_once(m_load, [this] { load(); });
        return m_bus && m_bus->ask(request, x, y, out, budget);
    }

private:
    void load()
    {
        const std::filesystem::path file = m_dir / kModuleFile;
        void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        using Make = AccessibilityBus* (*)();
        auto make = module ? reinterpret_cast<Make>(::dlsym(module, "SnrAccessBusMake")) : nullptr;
        if (!make) {
            std::fprintf(stderr, "SNRAPI: the accessibility bus source (%s) is not available: text of programs that "
                                 "draw it themselves (Qt) cannot be captured.\n", file.c_str());
            return;
        }
        m_bus.reset(make());
    }

    std::filesystem::path m_dir;
    std::once_flag m_load;
    std::unique_ptr<AccessibilityBus> m_bus;
};

} // namespace

std::unique_ptr<AccessibilityBus> AccessibilityBus::make(const std::filesystem::path& libraryDir)
{
    return std::make_unique<ModuleBus>(libraryDir);
}

} // namespace yv::capture
