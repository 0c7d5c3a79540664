// Opening a path to everyone through POSIX ACLs: the "other" entry gets every right, and a
// folder's default ACL passes that on to what is created in it.
#include <deploy/deploytree.h>

#include <cerrno>
#include <memory>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace yv::deploy {

namespace {

struct AclFree {
    void operator()(void* acl) const { acl_free(acl); }
};
using Acl = std::unique_ptr<std::remove_pointer_t<acl_t>, AclFree>;

bool isUnsupported(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// Whether the file system keeps ACLs at all: asking for the attribute that holds them fails
// with "not supported" where it does not (a FAT stick), and nothing is changed there.
bool keepsAcls(const std::string& path)
{
    return ::lgetxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) >= 0 || !isUnsupported(errno);
}

// Every right for the "other" entry, and a mask that does not hide the named entries' rights.
bool grantOthers(acl_t acl)
{
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &tag) != 0)
            return false;
        if (tag != ACL_OTHER && tag != ACL_MASK)
            continue;
        acl_permset_t permissions = nullptr;
        if (acl_get_permset(entry, &permissions) != 0)
            return false;
        for (const acl_perm_t permission : {ACL_READ, ACL_WRITE, ACL_EXECUTE})
            acl_add_perm(permissions, permission);
        if (acl_set_permset(entry, permissions) != 0)
            return false;
    }
    return acl_valid(acl) == 0;
}

SecurityResult failure(const TraceSink& trace, int error, const char* call)
{
    if (trace)
        trace("Error " + std::to_string(error) + ": " + call + "\n");
    return isUnsupported(error) ? SecurityResult::Unsupported : SecurityResult::Failed;
}

} // namespace

SecurityResult openToEveryone(std::string_view path, const TraceSink& trace)
{
    const std::string name(path);
    if (trace)
        trace("AddAccessRights <" + name + ">\n");
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0)
        return failure(trace, errno, "lstat");
    if (S_ISLNK(info.st_mode))
        return failure(trace, ELOOP, "acl_set_file");
    if (!keepsAcls(name))
        return failure(trace, ENOTSUP, "getxattr");
    const Acl access(acl_get_file(name.c_str(), ACL_TYPE_ACCESS));
    if (!access)
        return failure(trace, errno, "acl_get_file");
    if (!grantOthers(access.get()))
        return failure(trace, EINVAL, "acl_set_permset");
    // A folder also passes the rights on to what is created in it.
    if (S_ISDIR(info.st_mode)) {
        if (acl_set_file(name.c_str(), ACL_TYPE_DEFAULT, access.get()) != 0)
            return failure(trace, errno, "acl_set_file");
    }
    if (acl_set_file(name.c_str(), ACL_TYPE_ACCESS, access.get()) != 0)
        return failure(trace, errno, "acl_set_file");
    return SecurityResult::Granted;
}

} // namespace yv::deploy
