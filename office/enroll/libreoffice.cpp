// Finding LibreOffice and installing the add-in's extension with unopkg.
#include "libreoffice.h"

#include <platform/paths.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace yv::officeenroll {

namespace {

// unopkg starts a small office process; its first run on a fresh profile takes a few seconds.
constexpr int kUnopkgTimeoutMs = 120000;
constexpr int kVersionTimeoutMs = 30000;

void anchor() {}

QString findProgram(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

struct Run {
    bool finished = false;
    int exitCode = -1;
    std::string output;
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAll().trimmed().toStdString();
    return result;
}

QStringList unopkgArguments(const char* command, const std::string& operand)
{
    QStringList arguments{QString::fromLatin1(command)};
    const std::string installation = userInstallationArgument();
    if (!installation.empty())
        arguments << QString::fromStdString(installation);
    arguments << QString::fromStdString(operand);
    return arguments;
}

} // namespace

std::optional<Version> parseVersion(std::string_view output)
{
    output = output.substr(0, output.find('\n'));
    const auto at = output.find_first_of("0123456789");
    if (at == std::string_view::npos)
        return std::nullopt;
    const char* p = output.data() + at;
    const char* end = output.data() + output.size();
    Version version;
    auto [next, error] = std::from_chars(p, end, version.major);
    if (error != std::errc())
        return std::nullopt;
    if (next < end && *next == '.') {
        if (std::from_chars(next + 1, end, version.minor).ec != std::errc())
            return std::nullopt;
    }
    return version;
}

std::string versionText(const Version& version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor);
}

std::string missingMessage()
{
    return "LibreOffice が見つかりません。Office アドインを使うには LibreOffice " + versionText(kMinimumVersion) +
           " 以降をインストールしてください。";
}

std::string tooOldMessage(const Version& found)
{
    return "LibreOffice " + versionText(found) + " は古いため、Office アドインを組み込めません。LibreOffice " +
           versionText(kMinimumVersion) + " 以降が必要です。";
}

std::string installFailedMessage(std::string_view detail)
{
    return "Office アドインを LibreOffice に組み込めませんでした。\n" + std::string(detail);
}

std::optional<Version> findLibreOffice()
{
    const QString soffice = findProgram("soffice");
    if (soffice.isEmpty() || findProgram("unopkg").isEmpty())
        return std::nullopt;
    const Run version = run(soffice, {QStringLiteral("--version")}, kVersionTimeoutMs);
    return parseVersion(version.output).value_or(Version{});
}

std::string userInstallationArgument()
{
    const char* home = std::getenv("YORVANE_HOME");
    if (!home || !*home)
        return {};
    const std::filesystem::path profile = std::filesystem::absolute(std::filesystem::path(home) / "libreoffice");
    return "-env:UserInstallation=file://" + profile.string();
}

std::string extensionFile()
{
    return (paths::moduleDir(reinterpret_cast<const void*>(&anchor)) / "Yorvane5.oxt").string();
}

InstallResult installExtension(const std::string& oxt)
{
    InstallResult result;
    if (::geteuid() == 0) {
        result.superuser = true;
        result.detail = "LibreOffice does not install extensions per user for root";
        return result;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(oxt, error)) {
        result.detail = oxt + ": not found";
        return result;
    }
    const Run add = run(findProgram("unopkg"), unopkgArguments("add", oxt) << QStringLiteral("--force"),
                        kUnopkgTimeoutMs);
    result.installed = add.finished && add.exitCode == 0;
    if (!result.installed)
        result.detail = add.output.empty() ? "unopkg add failed" : add.output;
    return result;
}

void removeExtension()
{
    const QString unopkg = findProgram("unopkg");
    if (unopkg.isEmpty() || ::geteuid() == 0)
        return;
    run(unopkg, unopkgArguments("remove", std::string(kExtensionId)), kUnopkgTimeoutMs);
}

} // namespace yv::officeenroll
