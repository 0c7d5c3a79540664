// The engine links of both directions, each created and initialised when first used.
#include "enginelinks.h"

#include <EngineLink.h>
#include <Etc.h>

namespace yv::trans {

EngineLinks::EngineLinks() = default;
EngineLinks::~EngineLinks() = default;

CEngineLink& EngineLinks::get(int direction)
{
    std::unique_ptr<CEngineLink>& link = direction == DIRECTION_EJ ? m_ej : m_je;
    if (!link) {
        if (direction == DIRECTION_EJ)
            link = std::make_unique<CEngineLink_EJ>();
        else
            link = std::make_unique<CEngineLink_JE>();
        link->Init(nullptr);
    }
    return *link;
}

void EngineLinks::forEachOpen(const std::function<void(CEngineLink&)>& action)
{
    if (m_je)
        action(*m_je);
    if (m_ej)
        action(*m_ej);
}

} // namespace yv::trans
