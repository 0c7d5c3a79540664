// The engine links of both directions, each created and initialised when first used.
#pragma once

#include <functional>
#include <memory>

class CEngineLink;

namespace yv::trans {

class EngineLinks final {
public:
    EngineLinks();
    ~EngineLinks();
    EngineLinks(const EngineLinks&) = delete;
    EngineLinks& operator=(const EngineLinks&) = delete;

    // The link of a direction (1 EJ, 2 JE), opened on first use.
    CEngineLink& get(int direction);
    // Calls `action` on each link opened so far: JE first, then EJ.
    void forEachOpen(const std::function<void(CEngineLink&)>& action);

private:
    std::unique_ptr<CEngineLink> m_ej;
    std::unique_ptr<CEngineLink> m_je;
};

} // namespace yv::trans
