// Which Office version is registered for Word, PowerPoint and Excel documents.
#include "registry_p.h"

#include <array>

namespace {

struct OfficeVersion {
    const char* key;
    int year;
};

constexpr std::array kVersions{OfficeVersion{"12.0", 2007}, OfficeVersion{"11.0", 2003},
                               OfficeVersion{"10.0", 2002}, OfficeVersion{"9.0", 2000}};
constexpr int kOffice97 = 97;

int findOffice(const char* extension, const char* application)
{
    using namespace yv;
    auto& store = settings::Store::instance();
    const auto type = store.value(settings::Hive::ClassesRoot, extension, "");
    const std::string progId = type ? type->string().value_or("") : std::string();
    if (progId.empty() || progId.back() != '8')
        return 0;
    for (const OfficeVersion& v : kVersions) {
        const std::string root = std::string("SOFTWARE\\Microsoft\\Office\\") + v.key + "\\" +
                                 application + "\\InstallRoot";
        if (store.value(settings::Hive::LocalMachine, root, "Path"))
            return v.year;
    }
    return kOffice97;
}

} // namespace

extern "C" {

int AutoFindDoc(void)
{
    return findOffice(".doc", "Word");
}

int AutoFindPpt(void)
{
    return findOffice(".ppt", "PowerPoint");
}

int AutoFindXls(void)
{
    return findOffice(".xls", "Excel");
}

} // extern "C"
