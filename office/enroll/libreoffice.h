// The LibreOffice side of the add-in's registration: is a recent enough LibreOffice there,
// and installing the suite's extension for the user with unopkg.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace yv::officeenroll {

struct Version {
    int major = 0;
    int minor = 0;
    auto operator<=>(const Version&) const = default;
};

// The oldest LibreOffice the extension works with.
inline constexpr Version kMinimumVersion{7, 0};

// The version in the first line of "soffice --version" ("LibreOffice 7.4.7.2 40(Build:2)").
std::optional<Version> parseVersion(std::string_view versionOutput);
std::string versionText(const Version& version);

// The messages the registration shows (UTF-8).
std::string missingMessage();
std::string tooOldMessage(const Version& found);
std::string installFailedMessage(std::string_view detail);

// What installing the extension came to; nothing is shown to the user here.
struct InstallResult {
    bool installed = false;
    // Not tried: LibreOffice refuses per-user extensions for the superuser.
    bool superuser = false;
    std::string detail;
};

// The LibreOffice found along PATH: nothing when soffice or unopkg is missing, else its version
// (a version that cannot be read counts as 0.0).
std::optional<Version> findLibreOffice();

// The LibreOffice profile the suite installs into: "-env:UserInstallation=..." or empty for the
// user's own. An isolated instance (YORVANE_HOME) keeps its own profile inside its home.
std::string userInstallationArgument();

// Installs `oxt` for the user with unopkg, replacing an earlier copy.
InstallResult installExtension(const std::string& oxt);
void removeExtension();

// The extension's identifier and its file beside the suite's programs.
inline constexpr std::string_view kExtensionId = "com.orvikan.yorvane5.addin";
std::string extensionFile();

} // namespace yv::officeenroll
